#include "pipmoves/shapes.hpp"

#include <array>
#include <cmath>

#include "constants.hpp"
#include "easing.hpp"

namespace pipmoves {
namespace {

using detail::kFourPi;
using detail::kMinusHalfPi;
using detail::kPi;
using detail::kTwoPi;
using detail::phase;
using detail::smoothstep_weight;

constexpr double kStepTouchLift = -0.35;

// Step-touch stations: segment s glides from kStepFrom[s] to kStepTo[s].
constexpr std::array<double, 4> kStepFrom{-1.0, 0.0, 1.0, 0.0};
constexpr std::array<double, 4> kStepTo{0.0, 1.0, 0.0, -1.0};

struct Corner {
  double x;
  double y;
};
constexpr std::array<Corner, 4> kBoxCorners{{{-1.0, -1.0}, {1.0, -1.0}, {1.0, 1.0}, {-1.0, 1.0}}};

}  // namespace

Offset3 bounce(int pip) noexcept {
  const double t = phase(pip, 64);
  return {std::fma(std::fabs(t - 0.5), -4.0, 1.0), 0.0, 0.0};
}

Offset3 sway(int pip) noexcept {
  const double t = phase(pip, 128);
  return {std::sin(t * kTwoPi), 0.0, 0.0};
}

Offset3 circle(int pip) noexcept {
  const double a = std::fma(phase(pip, 64), kTwoPi, kMinusHalfPi);
  return {std::cos(a), std::sin(a), 0.0};
}

Offset3 figure_eight(int pip) noexcept {
  const double theta = phase(pip, 128) * kTwoPi;
  return {std::sin(theta), std::sin(theta + theta), 0.0};
}

Offset3 step_touch(int pip) noexcept {
  const int s = (pip >> 5) & 3;
  const double u = static_cast<double>(pip & 31) / 32;
  const double x = std::fma(kStepTo[s] - kStepFrom[s], smoothstep_weight(u), kStepFrom[s]);
  const double y = std::sin(u * kPi) * kStepTouchLift;
  return {x, y, 0.0};
}

Offset3 box_step(int pip) noexcept {
  const int s = (pip >> 6) & 3;
  const double u = static_cast<double>(pip & 63) / 64;
  const int n = (s + 1) & 3;
  const Corner from = kBoxCorners[s];
  const Corner to = kBoxCorners[n];
  const double w = smoothstep_weight(u);
  return {std::fma(to.x - from.x, w, from.x), std::fma(to.y - from.y, w, from.y), 0.0};
}

Offset3 helix(int pip) noexcept {
  const double t = phase(pip, 256);
  return {std::cos(t * kFourPi), std::sin(t * kFourPi), std::sin(t * kTwoPi)};
}

}  // namespace pipmoves

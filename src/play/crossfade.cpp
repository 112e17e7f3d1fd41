#include "pipmoves/play/crossfade.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>
#include <utility>

namespace pipmoves::play {
namespace {

// In the order of the enumeration.
constexpr std::array<std::string_view, 4> kEasingNames = {"linear", "smoothstep", "smootherstep", "sine"};

}  // namespace

Easing easing_named(std::string_view name) {
  for (std::size_t i = 0; i < kEasingNames.size(); ++i) {
    if (kEasingNames[i] == name) {
      return static_cast<Easing>(i);
    }
  }
  throw std::invalid_argument("Unknown easing: " + std::string(name));
}

std::string_view easing_name(Easing easing) noexcept { return kEasingNames[static_cast<std::size_t>(easing)]; }

std::span<const std::string_view> easing_names() noexcept { return kEasingNames; }

double ease(Easing easing, double t) noexcept {
  double w = t;
  switch (easing) {
    case Easing::linear:
      break;
    case Easing::smoothstep:
      w = t * t * (3.0 - 2.0 * t);
      break;
    case Easing::smootherstep:
      w = t * t * t * (t * (6.0 * t - 15.0) + 10.0);
      break;
    case Easing::sine:
      w = 0.5 - 0.5 * std::cos(std::numbers::pi * t);
      break;
  }
  // Rounding may step a hair outside near the ends.
  return std::clamp(w, 0.0, 1.0);
}

CrossFade::CrossFade(PatternRef from, PatternRef to, std::int32_t start_pip, std::int32_t length_pips,
                     Easing easing)
    : from_(std::move(from)), to_(std::move(to)), start_pip_(start_pip), length_pips_(length_pips), easing_(easing) {
  if (length_pips < 0) {
    throw std::invalid_argument("Fade length must not be negative");
  }
}

double CrossFade::weight(std::int32_t pip) const noexcept {
  // Elapsed pips in wrapping arithmetic: negative means before the start.
  const auto elapsed =
      static_cast<std::int32_t>(static_cast<std::uint32_t>(pip) - static_cast<std::uint32_t>(start_pip_));
  if (elapsed < 0) {
    return 0.0;
  }
  if (elapsed >= length_pips_) {
    return 1.0;
  }
  return ease(easing_, static_cast<double>(elapsed) / static_cast<double>(length_pips_));
}

Offset3 CrossFade::mix(const Offset3& from, const Offset3& to, double weight) noexcept {
  // std::lerp is exact at both ends and stays between its ends.
  return {std::lerp(from.x, to.x, weight), std::lerp(from.y, to.y, weight), std::lerp(from.z, to.z, weight)};
}

Offset3 CrossFade::sample(std::int32_t pip) const {
  const double w = weight(pip);
  if (w == 0.0) {
    return from_.sample(pip);
  }
  if (w == 1.0) {
    return to_.sample(pip);
  }
  return mix(from_.sample(pip), to_.sample(pip), w);
}

}  // namespace pipmoves::play

#include <array>
#include <cmath>

#include "easing.hpp"
#include "pipmoves/shapes.hpp"

namespace pipmoves {
namespace {

struct Keyframe {
  int pip;
  double x;
  double y;
};

// x is n / 14 as double division yields it; the last keyframe closes the loop.
const std::array<Keyframe, 14> kClayKeyframes{{
    {0, 0.0 / 14, 0.0},
    {23, 2.0 / 14, -0.1},
    {33, 13.0 / 14, -0.8},
    {49, 5.0 / 14, -0.4},
    {87, -3.0 / 14, 0.2},
    {100, -14.0 / 14, 0.9},
    {118, -5.0 / 14, 0.5},
    {154, 1.0 / 14, 0.0},
    {169, 12.0 / 14, 1.0},
    {187, 4.0 / 14, 0.5},
    {215, -2.0 / 14, -0.2},
    {228, -10.0 / 14, -0.9},
    {243, -3.0 / 14, -0.3},
    {256, 0.0 / 14, 0.0},
}};

std::array<Offset3, 256> build_clay_table() {
  std::array<Offset3, 256> table{};
  std::size_t k = 1;
  for (int i = 0; i < 256; ++i) {
    // A pip on a keyframe belongs to the segment that ends there (t = 1).
    while (kClayKeyframes[k].pip < i) {
      ++k;
    }
    const Keyframe& from = kClayKeyframes[k - 1];
    const Keyframe& to = kClayKeyframes[k];
    const double t = static_cast<double>(i - from.pip) / static_cast<double>(to.pip - from.pip);
    const double w = detail::smoothstep_weight(t);
    table[static_cast<std::size_t>(i)] = {std::fma(to.x - from.x, w, from.x),
                                          std::fma(to.y - from.y, w, from.y), 0.0};
  }
  return table;
}

// Filled once when the library loads; read-only afterwards.
const std::array<Offset3, 256> kClayTable = build_clay_table();

}  // namespace

Offset3 clay_background(int pip) noexcept {
  return kClayTable[static_cast<std::size_t>(pip & 255)];
}

}  // namespace pipmoves

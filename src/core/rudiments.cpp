#include "pipmoves/rudiments.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <span>

#include "constants.hpp"

namespace pipmoves {
namespace {

enum class Hand { right, left };

struct Stroke {
  std::uint32_t start;
  std::uint32_t length;
  double amplitude;
  Hand hand;
};

constexpr double kVerticalFactor = 0.72;

constexpr Hand R = Hand::right;
constexpr Hand L = Hand::left;

// Sums sine-squared stroke bumps in list order; the order of the additions and
// the fused multiply-adds fix the last bit of every sample.
Offset3 play(std::span<const Stroke> strokes, std::uint32_t period, int pip) noexcept {
  double x = 0.0;
  double y = 0.0;
  for (const Stroke& stroke : strokes) {
    // Unsigned arithmetic wraps, so no pip can overflow the elapsed count.
    const std::uint32_t elapsed = (static_cast<std::uint32_t>(pip) - stroke.start) & (period - 1);
    double h = 0.0;
    if (elapsed < stroke.length) {
      const double s = std::sin((static_cast<double>(elapsed) / stroke.length) * detail::kPi);
      h = s * (s * stroke.amplitude);
    }
    x = stroke.hand == Hand::right ? x + h : x - h;
    y = std::fma(-h, kVerticalFactor, y);
  }
  return {std::clamp(x, -1.0, 1.0), std::clamp(y, -1.0, 1.0), 0.0};
}

constexpr std::array<Stroke, 8> kSingleStrokeRoll{{
    {0, 8, 0.92, R}, {8, 8, 0.92, L}, {16, 8, 0.92, R}, {24, 8, 0.92, L},
    {32, 8, 0.92, R}, {40, 8, 0.92, L}, {48, 8, 0.92, R}, {56, 8, 0.92, L},
}};

constexpr std::array<Stroke, 8> kDoubleStrokeRoll{{
    {0, 8, 0.88, R}, {8, 8, 0.72, R}, {16, 8, 0.88, L}, {24, 8, 0.72, L},
    {32, 8, 0.88, R}, {40, 8, 0.72, R}, {48, 8, 0.88, L}, {56, 8, 0.72, L},
}};

constexpr std::array<Stroke, 8> kMultipleBounceRoll{{
    {0, 6, 0.92, R}, {6, 6, 0.68, R}, {12, 6, 0.48, R}, {18, 6, 0.32, R},
    {32, 6, 0.92, L}, {38, 6, 0.68, L}, {44, 6, 0.48, L}, {50, 6, 0.32, L},
}};

constexpr std::array<Stroke, 16> kSingleParadiddle{{
    {0, 8, 1.0, R}, {8, 8, 0.72, L}, {16, 8, 0.72, R}, {24, 8, 0.72, R},
    {32, 8, 1.0, L}, {40, 8, 0.72, R}, {48, 8, 0.72, L}, {56, 8, 0.72, L},
    {64, 8, 1.0, R}, {72, 8, 0.72, L}, {80, 8, 0.72, R}, {88, 8, 0.72, R},
    {96, 8, 1.0, L}, {104, 8, 0.72, R}, {112, 8, 0.72, L}, {120, 8, 0.72, L},
}};

constexpr std::array<Stroke, 4> kFlam{{
    {0, 10, 0.34, L}, {5, 14, 0.9, R}, {32, 10, 0.34, R}, {37, 14, 0.9, L},
}};

constexpr std::array<Stroke, 6> kDrag{{
    {0, 8, 0.28, L}, {5, 8, 0.32, L}, {10, 14, 0.88, R},
    {32, 8, 0.28, R}, {37, 8, 0.32, R}, {42, 14, 0.88, L},
}};

constexpr std::array<Stroke, 10> kFiveStrokeRoll{{
    {0, 9, 0.72, R}, {8, 9, 0.62, R}, {16, 9, 0.72, L}, {24, 9, 0.62, L}, {36, 14, 1.0, R},
    {64, 9, 0.72, L}, {72, 9, 0.62, L}, {80, 9, 0.72, R}, {88, 9, 0.62, R}, {100, 14, 1.0, L},
}};

}  // namespace

Offset3 single_stroke_roll(int pip) noexcept { return play(kSingleStrokeRoll, 64, pip); }
Offset3 double_stroke_roll(int pip) noexcept { return play(kDoubleStrokeRoll, 64, pip); }
Offset3 multiple_bounce_roll(int pip) noexcept { return play(kMultipleBounceRoll, 64, pip); }
Offset3 single_paradiddle(int pip) noexcept { return play(kSingleParadiddle, 128, pip); }
Offset3 flam(int pip) noexcept { return play(kFlam, 64, pip); }
Offset3 drag(int pip) noexcept { return play(kDrag, 64, pip); }
Offset3 five_stroke_roll(int pip) noexcept { return play(kFiveStrokeRoll, 128, pip); }

}  // namespace pipmoves

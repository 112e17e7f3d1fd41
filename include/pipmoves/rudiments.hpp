#pragma once

#include "pipmoves/offset3.hpp"

namespace pipmoves {

// Drum rudiments rendered as motion: right-hand strokes push x up, left-hand
// strokes push it down, every stroke pulls y down. z is always 0.
Offset3 single_stroke_roll(int pip) noexcept;    // 64 pips
Offset3 double_stroke_roll(int pip) noexcept;    // 64 pips
Offset3 multiple_bounce_roll(int pip) noexcept;  // 64 pips
Offset3 single_paradiddle(int pip) noexcept;     // 128 pips
Offset3 flam(int pip) noexcept;                  // 64 pips
Offset3 drag(int pip) noexcept;                  // 64 pips
Offset3 five_stroke_roll(int pip) noexcept;      // 128 pips

}  // namespace pipmoves

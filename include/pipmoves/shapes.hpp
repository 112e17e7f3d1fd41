#pragma once

#include "pipmoves/offset3.hpp"

namespace pipmoves {

// Procedural movement shapes. Each is periodic with a power-of-two period and
// accepts every 32-bit pip; axes beyond the shape's dimensions are exactly 0.
Offset3 bounce(int pip) noexcept;           // 64 pips, x only
Offset3 sway(int pip) noexcept;             // 128 pips, x only
Offset3 circle(int pip) noexcept;           // 64 pips
Offset3 figure_eight(int pip) noexcept;     // 128 pips
Offset3 step_touch(int pip) noexcept;       // 128 pips
Offset3 box_step(int pip) noexcept;         // 256 pips
Offset3 helix(int pip) noexcept;            // 256 pips, all three axes
Offset3 clay_background(int pip) noexcept;  // 256 pips, read from a table built at load

}  // namespace pipmoves

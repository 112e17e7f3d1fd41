#pragma once

#include "pipmoves/rudiments.hpp"
#include "pipmoves/shapes.hpp"

namespace pipmoves::testing {

using Pattern = Offset3 (*)(int) noexcept;

struct Procedural {
  const char* name;
  Pattern pattern;
  int period;
  int dimensions;
};

// The fifteen procedural patterns in catalogue order, written out here so the
// tests do not lean on the library's own table.
inline constexpr Procedural kProcedural[] = {
    {"bounce", pipmoves::bounce, 64, 1},
    {"sway", pipmoves::sway, 128, 1},
    {"circle", pipmoves::circle, 64, 2},
    {"figure_eight", pipmoves::figure_eight, 128, 2},
    {"step_touch", pipmoves::step_touch, 128, 2},
    {"box_step", pipmoves::box_step, 256, 2},
    {"helix", pipmoves::helix, 256, 3},
    {"clay_background", pipmoves::clay_background, 256, 2},
    {"single_stroke_roll", pipmoves::single_stroke_roll, 64, 2},
    {"double_stroke_roll", pipmoves::double_stroke_roll, 64, 2},
    {"multiple_bounce_roll", pipmoves::multiple_bounce_roll, 64, 2},
    {"single_paradiddle", pipmoves::single_paradiddle, 128, 2},
    {"flam", pipmoves::flam, 64, 2},
    {"drag", pipmoves::drag, 64, 2},
    {"five_stroke_roll", pipmoves::five_stroke_roll, 128, 2},
};

}  // namespace pipmoves::testing

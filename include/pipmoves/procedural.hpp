#pragma once

#include <span>

#include "pipmoves/default_pattern.hpp"
#include "pipmoves/rudiments.hpp"
#include "pipmoves/shapes.hpp"

namespace pipmoves {

// The fifteen procedural patterns in catalogue order, each with the pattern
// function of its name as sampler. The one list of them: dispatch, the
// catalogue, the pack generator's name check and the Python module read it.
inline constexpr DefaultPattern kProceduralPatterns[] = {
    {{"bounce", "One-beat vertical bounce", 64, 1}, &bounce},
    {{"sway", "Two-beat side-to-side sway", 128, 1}, &sway},
    {{"circle", "One-beat circular orbit", 64, 2}, &circle},
    {{"figure_eight", "Two-beat figure eight", 128, 2}, &figure_eight},
    {{"step_touch", "Two-beat side step with a small lift", 128, 2}, &step_touch},
    {{"box_step", "Four-beat softened square path", 256, 2}, &box_step},
    {{"helix", "Four-beat double-turn helix", 256, 3}, &helix},
    {{"clay_background", "Zedi/Ravad four-beat accented background drift", 256, 2}, &clay_background},
    {{"single_stroke_roll", "Alternating R/L strokes with smooth attack and decay", 64, 2}, &single_stroke_roll},
    {{"double_stroke_roll", "RRLL strokes with a softer second motion", 64, 2}, &double_stroke_roll},
    {{"multiple_bounce_roll", "Decaying same-hand bounce clusters", 64, 2}, &multiple_bounce_roll},
    {{"single_paradiddle", "RLRR LRLL with accented lead strokes", 128, 2}, &single_paradiddle},
    {{"flam", "Grace motion flowing into an opposite-hand primary motion", 64, 2}, &flam},
    {{"drag", "Two grace motions flowing into an opposite-hand primary motion", 64, 2}, &drag},
    {{"five_stroke_roll", "Two diddles resolving to an accented fifth motion", 128, 2}, &five_stroke_roll},
};

inline std::span<const DefaultPattern> procedural_patterns() noexcept { return kProceduralPatterns; }

}  // namespace pipmoves

#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "pipmoves/offset3.hpp"
#include "pipmoves/play/crossfade.hpp"
#include "pipmoves/play/pattern_ref.hpp"
#include "pipmoves/play/rows.hpp"

namespace pipmoves::play {

// What every other fixture (the second, the fourth, ...) does differently.
enum class Alternation : std::uint8_t {
  none,
  reverse,   // runs the pattern backwards in time
  mirror_x,  // negates x
};

// By name: "none", "reverse", "mirror_x". Throws std::invalid_argument
// "Unknown alternation: <name>".
Alternation alternation_named(std::string_view name);
std::string_view alternation_name(Alternation alternation) noexcept;
// Every alternation's name, in the order of the enumeration.
std::span<const std::string_view> alternation_names() noexcept;

// How one pattern plays on a row of fixtures. Fixture i lags the first by its
// phase offset, so a feature of the pattern travels from the first fixture to
// the last.
//
// With stage positions the fixtures are placed by where they stand rather
// than by their order: a fixture's place runs from 0 at the leftmost x to
// n - 1 at the rightmost, in proportion to its x, and stands in for its index
// i in every offset below (a fixed step's offset rounded to the nearest pip,
// a fan's floored). From the centre, the place is the distance from the
// middle of the rig on that scale, less the innermost fixture's. Fixtures
// evenly spaced in order play as without positions; fixtures all at one x
// play in phase.
struct Spread {
  // Offset between neighbouring fixtures in pips; without one the fixtures
  // fan out evenly over the pattern's period: fixture i of n lags by
  // floor(i * period / n).
  std::optional<std::int32_t> phase_step = std::nullopt;
  // Offsets grow from the centre outwards, the two halves mirroring each
  // other: fixtures i and n - 1 - i share a phase.
  bool from_centre = false;
  Alternation alternate = Alternation::none;
  // Each fixture's x on stage, one per fixture, or none to go by order.
  std::vector<double> stage_x = {};
};

// One row per fixture at pip, out.size() fixtures. A fade's weight follows
// pip itself, so every fixture fades at once while each pattern keeps its own
// spread. Throws std::invalid_argument "Too many rows: at most 16777216",
// or for stage positions "Stage positions must be one per fixture" or
// "Stage positions must be finite", before writing anything.
void spread(const PatternRef& pattern, std::int32_t pip, const Spread& how, std::span<Offset3> out);
void spread(const CrossFade& fade, std::int32_t pip, const Spread& how, std::span<Offset3> out);

// The same into a new block; a negative count is refused before allocating.
Rows<Offset3> spread(const PatternRef& pattern, std::int32_t pip, std::int64_t fixtures, const Spread& how = {});
Rows<Offset3> spread(const CrossFade& fade, std::int32_t pip, std::int64_t fixtures, const Spread& how = {});

}  // namespace pipmoves::play

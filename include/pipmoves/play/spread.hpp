#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

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
struct Spread {
  // Offset between neighbouring fixtures in pips; without one the fixtures
  // fan out evenly over the pattern's period: fixture i of n lags by
  // floor(i * period / n).
  std::optional<std::int32_t> phase_step = std::nullopt;
  // Offsets grow from the centre outwards, the two halves mirroring each
  // other: fixtures i and n - 1 - i share a phase.
  bool from_centre = false;
  Alternation alternate = Alternation::none;
};

// One row per fixture at pip, out.size() fixtures. A fade's weight follows
// pip itself, so every fixture fades at once while each pattern keeps its own
// spread. Throws std::invalid_argument "Too many rows: at most 16777216".
void spread(const PatternRef& pattern, std::int32_t pip, const Spread& how, std::span<Offset3> out);
void spread(const CrossFade& fade, std::int32_t pip, const Spread& how, std::span<Offset3> out);

// The same into a new block; a negative count is refused before allocating.
Rows<Offset3> spread(const PatternRef& pattern, std::int32_t pip, std::int64_t fixtures, const Spread& how = {});
Rows<Offset3> spread(const CrossFade& fade, std::int32_t pip, std::int64_t fixtures, const Spread& how = {});

}  // namespace pipmoves::play

#include "pipmoves/procedural.hpp"

#include <array>
#include <cstddef>
#include <cstring>

#include "pipmoves/rudiments.hpp"
#include "pipmoves/shapes.hpp"
#include "procedural_lookup.hpp"

namespace pipmoves {
namespace {

// The one list of the procedural patterns: dispatch, the catalogue, the pack
// generator's name check and the Python module all read it.
constexpr DefaultPattern kProcedural[] = {
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

// Rows of the table by name length, so a name is compared only with the
// procedural names of its own length: at most three share one.
constexpr std::size_t kLongest = 20;
constexpr std::size_t kMostOfOneLength = 3;

struct SameLength {
  std::array<const DefaultPattern*, kMostOfOneLength> rows{};
  std::size_t count = 0;
};

constexpr std::array<SameLength, kLongest + 1> kByLength = [] {
  std::array<SameLength, kLongest + 1> buckets{};
  for (const DefaultPattern& row : kProcedural) {
    SameLength& bucket = buckets.at(row.name.size());
    bucket.rows.at(bucket.count++) = &row;
  }
  return buckets;
}();

}  // namespace

std::span<const DefaultPattern> procedural_patterns() noexcept { return kProcedural; }

const DefaultPattern* detail::find_procedural(std::string_view name) noexcept {
  if (name.size() > kLongest) {
    return nullptr;
  }
  const SameLength& candidates = kByLength[name.size()];
  for (std::size_t i = 0; i < candidates.count; ++i) {
    if (std::memcmp(candidates.rows[i]->name.data(), name.data(), name.size()) == 0) {
      return candidates.rows[i];
    }
  }
  return nullptr;
}

}  // namespace pipmoves

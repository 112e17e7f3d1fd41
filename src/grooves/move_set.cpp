#include "move_set.hpp"

#include <algorithm>
#include <cmath>

#include "common/twelve_places.hpp"

namespace pipmoves::authoring::grooves {

std::span<const MoveSpec> moves_of(MoveSet set) {
  static const std::vector<MoveSpec> club = club_move_specs();
  static const std::vector<MoveSpec> dancefloor = dancefloor_move_specs();
  return set == MoveSet::club ? std::span<const MoveSpec>(club) : std::span<const MoveSpec>(dancefloor);
}

SplitMove fitted_whole(Table (*move)(const Score&)) {
  return [move](const Score& score) {
    Table t = move(score);
    Table none(t.size());
    return SplitTable{std::move(none), std::move(t)};
  };
}

namespace {

// A score unlike any stored one may swing past the stored extremes; it is held
// at the edge. A value no finite sum gives (a degenerate score) rests at 0.
double held(double v) { return std::isfinite(v) ? packs::round_to_twelve_places(std::clamp(v, -1.0, 1.0)) : 0.0; }

}  // namespace

Table move_table(const Score& score, const MoveSpec& move, const FamilyScale& scale) {
  Table table = apply_scale(move.split(score), scale);
  for (Offset3& o : table) {
    o = {held(o.x), held(o.y), held(o.z)};
  }
  return table;
}

}  // namespace pipmoves::authoring::grooves

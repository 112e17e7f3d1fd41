#include "groove_pack.hpp"

#include "move_set.hpp"

namespace pipmoves::authoring::grooves {

SplitMove fitted_whole(Table (*move)(const Score&)) {
  return [move](const Score& score) {
    Table t = move(score);
    Table none(t.size());
    return SplitTable{std::move(none), std::move(t)};
  };
}

MoveFamily::MoveFamily(MoveSet set, std::size_t move) : set_(set), move_(move) {}

Rule MoveFamily::rule(std::size_t member) const {
  return [set = set_, move = move_, member](const RowContext&) {
    const MoveSpec& spec = moves_of(set)[move];
    return apply_scale(spec.split(score_of(*spec.grooves.at(member))), solve_stored_scale(set, move));
  };
}

}  // namespace pipmoves::authoring::grooves

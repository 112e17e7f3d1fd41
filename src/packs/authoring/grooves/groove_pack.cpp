#include "groove_pack.hpp"

namespace pipmoves::authoring::grooves {

SplitMove fitted_whole(Table (*move)(const Score&)) {
  return [move](const Score& score) {
    Table t = move(score);
    Table none(t.size());
    return SplitTable{std::move(none), std::move(t)};
  };
}

MoveFamily::MoveFamily(std::string label, FitTargets targets, std::vector<const Groove*> grooves, SplitMove split) {
  std::vector<FittedFamily::Member> members;
  std::vector<std::string> names;
  for (const Groove* groove : grooves) {
    members.push_back([groove, split](const Sources&) { return split(score_of(*groove)); });
    names.emplace_back(groove->name);
  }
  family_ = std::make_shared<FittedFamily>(std::move(label), targets, GainRule::search, std::move(names),
                                         std::move(members));
}

Rule MoveFamily::rule(std::size_t member) const {
  return [family = family_, member](const RowContext& c) { return family->member(member, c.sources); };
}

}  // namespace pipmoves::authoring::grooves

#include "groove_pack.hpp"

#include <cstdio>
#include <stdexcept>

namespace pipmoves::authoring::grooves {

FamilyTargets targets_of(std::string_view ranges) {
  FamilyTargets targets;
  std::string text(ranges);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("; ", start);
    if (end == std::string::npos) {
      end = text.size();
    }
    const std::string clause = text.substr(start, end - start);
    char axis = 0;
    double low = 0.0;
    double high = 0.0;
    if (std::sscanf(clause.c_str(), "%c %lf to %lf", &axis, &low, &high) != 3 || axis < 'x' || axis > 'z') {
      throw std::invalid_argument("not a range: '" + clause + "'");
    }
    targets[static_cast<std::size_t>(axis - 'x')] = AxisTarget{low, high};
    start = end + 2;
  }
  return targets;
}

SplitMove fitted_whole(Table (*move)(const Score&)) {
  return [move](const Score& score) {
    Table t = move(score);
    Table none(t.size());
    return SplitTable{std::move(none), std::move(t)};
  };
}

MoveFamily::MoveFamily(std::string label, FamilyTargets targets, std::vector<const Groove*> grooves, SplitMove split) {
  std::vector<std::function<SplitTable()>> members;
  std::vector<std::string> names;
  for (const Groove* groove : grooves) {
    members.push_back([groove, split] { return split(score_of(*groove)); });
    names.emplace_back(groove->name);
  }
  family_ = std::make_shared<FittedFamily>(std::move(label), targets, std::move(names), std::move(members));
}

Rule MoveFamily::rule(std::size_t member) const {
  return [family = family_, member](const RowContext&) { return family->member(member); };
}

}  // namespace pipmoves::authoring::grooves

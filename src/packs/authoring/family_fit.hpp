#pragma once

// The one way a family of rows is scaled onto its stated ranges. Each row's
// raw table is split into a part kept exactly and a part scaled; each axis of
// the scaled part goes through one map shared by the whole family, which keeps
// the relative sizes of the rows and every zero at zero, chosen so that the
// family's extremes are the stated ones. The map is f(v) = v G(v) with a
// gain G that changes smoothly from one side's to the other's: each side
// reaches its own extreme, yet the speed through zero is the same from both
// sides. A single row is a family of one.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "grooves/family_scale.hpp"
#include "pack.hpp"

namespace pipmoves::authoring {

// The exact ranges of a statement such as "x -0.82 to 0.82; y, z -0.5 to 0.5",
// read by the same parser as the generator's checks. Throws
// std::invalid_argument for malformed text or a "within" bound, which is no
// target.
FitTargets fit_targets(std::string_view ranges);

// How each side's gain is found on an axis whose kept part is zero throughout:
// as the ratio of target to extreme, the extreme itself landing on the target
// exactly, or by the search that an axis with a kept part always needs. The
// groove moves were authored with the search; their tables keep it.
enum class GainRule { ratio, search };

// Throws std::runtime_error naming the family when no gains reach the range,
// or when the two sides need gains so far apart that the map would fold.
FamilyScale solve_family_scale(const std::string& family, const std::vector<SplitTable>& rows,
                               const FitTargets& targets, GainRule rule = GainRule::ratio);

// Where each axis reaches its extremes: the member and the pip.
std::string describe_extremes(const std::vector<SplitTable>& rows, const std::vector<std::string>& names,
                              const FamilyScale& scale);

// A table scaled alone onto the targets, wholly scaled by the ratio rule.
Table fitted(Table table, const FitTargets& targets);

// Evaluates every member of a family once, on first use, and hands out each
// member's fitted table.
class FittedFamily {
 public:
  using Member = std::function<SplitTable(const Sources&)>;

  FittedFamily(std::string label, FitTargets targets, GainRule rule, std::vector<std::string> names,
               std::vector<Member> members);
  Table member(std::size_t index, const Sources& sources);

 private:
  std::string label_;
  FitTargets targets_;
  GainRule rule_;
  std::vector<std::string> names_;
  std::vector<Member> members_;
  std::vector<Table> fitted_;
};

}  // namespace pipmoves::authoring

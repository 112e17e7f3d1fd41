#pragma once

// A move is shaped over all the grooves it is played on at once: each groove's
// table is a part kept as it is plus a part scaled per axis and side, with one
// gain per axis and side for the whole family, chosen so that the family's
// extremes are exactly its stated range.

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "../shaping.hpp"

namespace pipmoves::authoring::grooves {

struct SplitTable {
  Table kept;    // a rule's exact contribution, never scaled
  Table scaled;  // scaled by the family gains
};

struct AxisTarget {
  double low;
  double high;
};

// Per axis: the stated range, or nothing for an axis the family keeps at zero.
using FamilyTargets = std::array<std::optional<AxisTarget>, 3>;

struct SideGains {
  double negative = 1.0;
  double positive = 1.0;
};
using FamilyGains = std::array<SideGains, 3>;

// Throws std::runtime_error naming the family when no gains reach the range.
FamilyGains solve_family_gains(const std::string& family, const std::vector<SplitTable>& rows,
                               const FamilyTargets& targets);

// Where each axis reaches its extremes: the member and the pip.
std::string describe_extremes(const std::vector<SplitTable>& rows, const std::vector<std::string>& names,
                              const FamilyGains& gains);

Table apply_gains(const SplitTable& row, const FamilyGains& gains);

// Evaluates every member of a family once, on first use, and hands out each
// member's fitted table.
class FittedFamily {
 public:
  FittedFamily(std::string label, FamilyTargets targets, std::vector<std::string> names,
               std::vector<std::function<SplitTable()>> members);
  Table member(std::size_t index);

 private:
  std::string label_;
  FamilyTargets targets_;
  std::vector<std::string> names_;
  std::vector<std::function<SplitTable()>> members_;
  std::vector<Table> fitted_;
};

}  // namespace pipmoves::authoring::grooves

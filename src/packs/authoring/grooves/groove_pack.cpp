#include "groove_pack.hpp"

#include <array>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>

namespace pipmoves::authoring::grooves {
namespace {

// The extremes of the whole pack table lie in these families and are met
// exactly, beyond the four decimals printed with the move.
FitTargets targets_of(const MoveSpec& move) {
  FitTargets targets = fit_targets(move.ranges);
  if (move.name == "ricochet") {
    targets[0] = AxisTarget{-0.85586587211, 0.85586587211};
  }
  return targets;
}

}  // namespace

const FamilyScale& solve_stored_scale(MoveSet set, std::size_t move) {
  struct Solved {
    std::once_flag once;
    FamilyScale scale;
  };
  static std::array<Solved, 4> club;
  static std::array<Solved, 16> dancefloor;
  const std::span<const MoveSpec> moves = moves_of(set);
  Solved& solved = set == MoveSet::club ? club.at(move) : dancefloor.at(move);
  std::call_once(solved.once, [&] {
    const MoveSpec& spec = moves[move];
    std::vector<SplitTable> rows;
    rows.reserve(spec.grooves.size());
    for (const Groove* groove : spec.grooves) {
      rows.push_back(spec.split(score_of(*groove)));
    }
    const std::string family = (set == MoveSet::club ? "club " : "dancefloor ") + std::string(spec.name);
    solved.scale = solve_family_scale(family, rows, targets_of(spec), GainRule::search);
  });
  return solved.scale;
}

namespace {

std::string exact(double v) {
  if (std::isinf(v)) {
    return v > 0 ? "std::numeric_limits<double>::infinity()" : "-std::numeric_limits<double>::infinity()";
  }
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%a", v);
  return buffer;
}

std::string target_text(const std::optional<AxisTarget>& t) {
  return t ? "AxisTarget{" + exact(t->low) + ", " + exact(t->high) + "}" : std::string("std::nullopt");
}

}  // namespace

std::string recorded_scales_source(std::string_view heading) {
  std::string out = "// " + std::string(heading) +
                    "\n// The gains of the groove move families, as the stored rows were scaled by.\n\n"
                    "#include <array>\n#include <limits>\n#include <optional>\n\n#include \"grooves/move_set.hpp\"\n\n"
                    "namespace pipmoves::authoring::grooves {\nnamespace {\n\n";
  for (const MoveSet set : {MoveSet::club, MoveSet::dancefloor}) {
    const std::span<const MoveSpec> moves = moves_of(set);
    out += std::string("const std::array<FamilyScale, ") + std::to_string(moves.size()) + "> k" +
           (set == MoveSet::club ? "Club" : "Dancefloor") + " = {{\n";
    for (std::size_t m = 0; m < moves.size(); ++m) {
      out += "    {{  // " + std::string(moves[m].name) + "\n";
      for (const AxisScale& a : solve_stored_scale(set, m)) {
        out += "        AxisScale{" + exact(a.negative) + ", " + exact(a.positive) + ", AxisTarget{" + exact(a.raw.low) +
               ", " + exact(a.raw.high) + "}, " + exact(a.width) + ", " + target_text(a.targets) + "},\n";
      }
      out += "    }},\n";
    }
    out += "}};\n\n";
  }
  out +=
      "}  // namespace\n\n"
      "const FamilyScale& recorded_scale(MoveSet set, std::size_t move) {\n"
      "  return set == MoveSet::club ? kClub.at(move) : kDancefloor.at(move);\n}\n\n"
      "}  // namespace pipmoves::authoring::grooves\n";
  return out;
}

MoveFamily::MoveFamily(MoveSet set, std::size_t move) : set_(set), move_(move) {}

Rule MoveFamily::rule(std::size_t member) const {
  return [set = set_, move = move_, member](const RowContext&) {
    const MoveSpec& spec = moves_of(set)[move];
    return apply_scale(spec.split(score_of(*spec.grooves.at(member))), solve_stored_scale(set, move));
  };
}

}  // namespace pipmoves::authoring::grooves

#include "move_set.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <mutex>
#include <optional>
#include <cmath>
#include <string>

#include "common/twelve_places.hpp"

namespace pipmoves::authoring::grooves {

std::span<const MoveSpec> moves_of(MoveSet set) {
  static const std::vector<MoveSpec> club = club_move_specs();
  static const std::vector<MoveSpec> dancefloor = dancefloor_move_specs();
  return set == MoveSet::club ? std::span<const MoveSpec>(club) : std::span<const MoveSpec>(dancefloor);
}

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
    solved.scale = solve_family_scale(family, rows, spec.targets, GainRule::search);
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
                    "#include <array>\n#include <limits>\n#include <optional>\n\n#include \"authoring/grooves/move_set.hpp\"\n\n"
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

// The dancefloor pack: twelve further moves for each of the 36 club grooves,
// then 32 grooves of its own, each with the four club moves and the twelve.

#include <array>
#include <set>
#include <span>
#include <string_view>

#include "groove_pack.hpp"

namespace pipmoves::authoring::grooves {
namespace {

// Grooves whose bounce and step stay flat: no low-end cue and no fine grain.
const std::set<std::string_view> kFlatGrooves = {"jersey_five", "baile_toms"};

constexpr const char* kGrooveBound = "x, y, z within -1 to 1";

Selection selection_of(const MoveSpec& move, const std::vector<const Groove*>& grooves) {
  Selection s{"dancefloor move " + std::string(move.name), std::string(move.ranges), {}};
  for (const Groove* g : grooves) {
    s.names.push_back(row_name(g->name, move.name));
  }
  return s;
}

Row row_of(const Groove& groove, const MoveSpec& move, int dimensions, Rule rule) {
  return Row{row_name(groove.name, move.name), groove.period, dimensions,
             row_description(groove.heading, move.label, move.sentence), std::move(rule)};
}

}  // namespace

Pack dancefloor_pack() {
  std::vector<const Groove*> club;
  std::vector<const Groove*> own;
  for (const Groove& g : club_grooves()) {
    club.push_back(&g);
  }
  for (const Groove& g : dancefloor_grooves()) {
    own.push_back(&g);
  }
  std::vector<const Groove*> every = club;
  every.insert(every.end(), own.begin(), own.end());

  const std::span<const MoveSpec> moves = moves_of(MoveSet::dancefloor);
  const std::span<const MoveSpec> club_moves_here = moves.first(4);
  const std::span<const MoveSpec> new_moves = moves.subspan(4);
  Pack pack{"dancefloor", {}, {}};
  std::vector<MoveFamily> new_families;
  for (const MoveSpec& move : new_moves) {
    new_families.emplace_back(MoveSet::dancefloor, club_moves_here.size() + new_families.size());
    pack.selections.push_back(selection_of(move, every));
  }
  std::vector<MoveFamily> club_families;
  for (const MoveSpec& move : club_moves_here) {
    club_families.emplace_back(MoveSet::dancefloor, club_families.size());
    pack.selections.push_back(selection_of(move, own));
  }

  for (std::size_t g = 0; g < every.size(); ++g) {
    const Groove& groove = *every[g];
    Family& family =
        pack.families.emplace_back(Family{"dancefloor groove " + std::string(groove.name), kGrooveBound, {}});
    if (g >= club.size()) {
      const std::size_t own_index = g - club.size();
      const int flat = kFlatGrooves.contains(groove.name) ? 2 : 3;
      const std::array<int, 4> dimensions = {flat, flat, 3, 3};
      for (std::size_t m = 0; m < club_moves_here.size(); ++m) {
        family.rows.push_back(row_of(groove, club_moves_here[m], dimensions[m], club_families[m].rule(own_index)));
      }
    }
    for (std::size_t m = 0; m < new_moves.size(); ++m) {
      family.rows.push_back(row_of(groove, new_moves[m], 3, new_families[m].rule(g)));
    }
  }
  return pack;
}

}  // namespace pipmoves::authoring::grooves

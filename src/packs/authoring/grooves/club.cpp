// The club pack: 36 grooves, each played with four moves.

#include <array>
#include <map>
#include <span>
#include <string_view>

#include "groove_pack.hpp"

namespace pipmoves::authoring::grooves {
namespace {

// Dimensions of each groove's rows in move order: bounce and step gain depth
// only from low-end and crash cues; a groove of kicks alone orbits flat.
const std::map<std::string_view, std::array<int, 4>> kDimensions = {
    {"four_floor", {2, 2, 2, 3}},      {"house_classic", {2, 2, 3, 3}},  {"house_shuffle", {2, 2, 3, 3}},
    {"house_jack", {2, 2, 3, 3}},      {"techno_drive", {2, 2, 3, 3}},   {"techno_toms", {2, 2, 3, 3}},
    {"techno_broken", {2, 2, 3, 3}},   {"techno_polymeter", {2, 2, 3, 3}}, {"ukg_two_step", {2, 2, 3, 3}},
    {"ukg_skip", {2, 2, 3, 3}},        {"ukg_four_four", {2, 2, 3, 3}},  {"speed_garage", {3, 3, 3, 3}},
    {"bassline", {3, 3, 3, 3}},        {"grime_sparse", {2, 2, 3, 3}},   {"grime_syncopated", {2, 2, 3, 3}},
    {"grime_half", {3, 3, 3, 3}},      {"drill_tresillo", {3, 3, 3, 3}}, {"drill_displaced", {3, 3, 3, 3}},
    {"drill_rolls", {3, 3, 3, 3}},     {"amen_four_bar", {3, 3, 3, 3}},  {"amen_no_ghosts", {3, 3, 3, 3}},
    {"jungle_chops", {2, 2, 3, 3}},    {"jungle_ghosts", {2, 2, 3, 3}},  {"jungle_switch", {2, 2, 3, 3}},
    {"dnb_two_step", {2, 2, 3, 3}},    {"dnb_rolling", {2, 2, 3, 3}},    {"dnb_half", {3, 3, 3, 3}},
    {"dubstep_half", {3, 3, 3, 3}},    {"dubstep_skip", {3, 3, 3, 3}},   {"trap_trills", {3, 3, 3, 3}},
    {"electro", {2, 2, 3, 3}},         {"trance", {3, 3, 3, 3}},         {"rave_breaks", {2, 2, 3, 3}},
    {"dembow", {2, 2, 3, 3}},          {"disco", {2, 2, 3, 3}},          {"amapiano", {3, 3, 3, 3}},
};

// The families of the table are the grooves, four rows each; the stated
// ranges of each move over all grooves are checked as selections.
constexpr const char* kGrooveBound = "x, y, z within -1 to 1";

}  // namespace

Pack club_pack() {
  const std::vector<Groove>& all = club_grooves();
  std::vector<const Groove*> grooves;
  for (const Groove& g : all) {
    grooves.push_back(&g);
  }
  Pack pack{"club", {}, {}};
  const std::span<const MoveSpec> moves = moves_of(MoveSet::club);
  std::vector<MoveFamily> families;
  for (const MoveSpec& move : moves) {
    families.emplace_back(MoveSet::club, families.size());
    Selection& selection = pack.selections.emplace_back(
        Selection{"club move " + std::string(move.name), std::string(move.ranges), {}});
    for (const Groove* g : grooves) {
      selection.names.push_back(row_name(g->name, move.name));
    }
  }
  for (std::size_t g = 0; g < grooves.size(); ++g) {
    const Groove& groove = *grooves[g];
    Family& family = pack.families.emplace_back(Family{"club groove " + std::string(groove.name), kGrooveBound, {}});
    const std::array<int, 4>& dimensions = kDimensions.at(groove.name);
    for (std::size_t m = 0; m < moves.size(); ++m) {
      const MoveSpec& move = moves[m];
      family.rows.push_back(Row{row_name(groove.name, move.name), groove.period, dimensions[m],
                                row_description(groove.heading, move.label, groove.note), families[m].rule(g)});
    }
  }
  return pack;
}

}  // namespace pipmoves::authoring::grooves

// The club set: the four moves of the club pack over its 36 grooves.

#include <array>
#include <string_view>

#include "move_set.hpp"

namespace pipmoves::authoring::grooves {
namespace {

struct ClubMove {
  std::string_view name;
  std::string_view label;
  std::string_view ranges;  // over the 36 grooves
  SplitMove split;
};

// A groove of kicks alone circles at exactly the kick radius; every other
// orbit is fitted to the family's range.
SplitTable orbit_split(const Score& score) {
  Table t = club_orbit(score);
  Table none(t.size());
  for (const Event& e : score.events) {
    if (!is_kick(e)) {
      return {std::move(none), std::move(t)};
    }
  }
  return {std::move(t), std::move(none)};
}

const std::array<ClubMove, 4>& club_moves() {
  static const std::array<ClubMove, 4> moves = {{
      {"bounce", "Kick-led bounce", "x -0.27 to 0.27; y -0.2401 to 0.6825; z -0.0382 to 0.06", club_bounce},
      {"step", "Snare side-step", "x -0.7336 to 0.7464; y -0.3611 to 0.0828; z -0.0525 to 0.1813", club_step},
      {"orbit", "Percussion orbit", "x -0.594 to 0.6048; y -0.6048 to 0.6054; z -0.1951 to 0.1742", orbit_split},
      {"glide", "Bass-and-phrase glide", "x -0.5615 to 0.5819; y -0.4929 to 0.26; z -0.4127 to 0.4848",
       fitted_whole(club_glide)},
  }};
  return moves;
}

}  // namespace

std::vector<MoveSpec> club_move_specs() {
  std::vector<const Groove*> grooves;
  for (const Groove& g : club_grooves()) {
    grooves.push_back(&g);
  }
  std::vector<MoveSpec> specs;
  for (const ClubMove& move : club_moves()) {
    specs.push_back({move.name, move.label, {}, move.ranges, move.split, grooves});
  }
  return specs;
}

}  // namespace pipmoves::authoring::grooves

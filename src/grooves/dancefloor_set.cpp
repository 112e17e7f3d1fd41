// The dancefloor set: the four club moves on the dancefloor's own grooves,
// then twelve further moves over all 68.

#include <array>
#include <string_view>

#include "move_set.hpp"

namespace pipmoves::authoring::grooves {
namespace {

struct DanceMove {
  std::string_view name;
  std::string_view label;
  std::string_view sentence;
  std::string_view ranges;  // as stated
  SplitMove split;
};

// The twelve moves, in pack order, with their ranges over the whole pack.
const std::array<DanceMove, 12>& new_moves() {
  static const std::array<DanceMove, 12> moves = {{
      {"surge", "Forward surge", "Kick thrust through depth with contrasting snare lift and hat detail.",
       "x -0.2076 to 0.2124; y -0.3618 to 0.1931; z -0.2882 to 0.6795", fitted_whole(surge)},
      {"recoil", "Backbeat recoil", "Snare pushes sideways; kick counters downward; delayed echo draws back.",
       "x -0.641 to 0.641; y 0 to 0.3121; z -0.2631 to 0.1871", fitted_whole(recoil)},
      {"flutter", "Upper-percussion flutter", "Hat and shaker tremors over a wider kick/snare arc.",
       "x -0.4698 to 0.5413; y -0.117 to 0.3497; z -0.17 to 0.2938", fitted_whole(flutter)},
      {"dive", "Bass-led dive", "Bass drives a broad depth plunge with alternating drum counterweight.",
       "x -0.3835 to 0.4884; y -0.1867 to 0.1247; z -0.3278 to 0.92", fitted_whole(dive)},
      {"pendulum", "Weighted pendulum", "A hanging arc whose amplitude and angular speed respond to the score.",
       "x -0.5485 to 0.5564; y -0.2 to 0.0906; z -0.18 to 0.2636", fitted_whole(pendulum)},
      {"figure8", "Woven figure eight", "Two crossing lobes expand at kicks with a lifted snare crossing.",
       "x -0.63 to 0.6448; y -0.4389 to 0.4398; z -0.204 to 0.1785", fitted_whole(figure8)},
      {"box", "Rounded corner tour", "Rhythm-weighted phase travels around four softened corners.",
       "x -0.52 to 0.52; y -0.5013 to 0.4; z -0.092 to 0.2905", fitted_whole(box)},
      {"corkscrew", "Closed corkscrew", "Two orbital turns ride a depth wave with percussion-driven radius.",
       "x -0.5812 to 0.5964; y -0.5804 to 0.5802; z -0.4973 to 0.6019", fitted_whole(corkscrew)},
      {"spiral", "Breathing spiral", "A contracting and expanding double-turn path with a continuous seam.",
       "x -0.6842 to 0.5267; y -0.6409 to 0.6229; z -0.3356 to 0.3366", fitted_whole(spiral)},
      {"slalom", "Drum slalom", "S-shaped travel with kick lift, snare cutbacks and depth counter-motion.",
       "x -0.6564 to 0.648; y -0.41 to 0.3623; z -0.3731 to 0.4031", fitted_whole(slalom)},
      {"spring", "Causal spring", "An event starts at rest, then drives a damped ringing excursion.",
       "x -0.6703 to 0.6703; y -0.367 to 0.372; z -0.6007 to 0.5937", fitted_whole(spring)},
      {"ricochet", "Directional ricochet", "Successive onsets send smooth excursions toward a cyclic series of targets.",
       "x -0.8559 to 0.8559; y -0.92 to 0.707; z -0.4691 to 0.4772", fitted_whole(ricochet)},
  }};
  return moves;
}

// The club moves on the dancefloor's own grooves, with ranges over those 32.
const std::array<DanceMove, 4>& club_moves_here() {
  static const std::array<DanceMove, 4> moves = {{
      {"bounce", "Kick-led bounce", "Original Club 05 kick-led downstroke and side accents.",
       "x -0.2975 to 0.2975; y -0.2253 to 0.6505; z -0.0396 to 0.068", fitted_whole(groove_bounce)},
      {"step", "Snare side-step", "Original Club 05 alternating lateral kick and snare gestures.",
       "x -0.7128 to 0.692; y -0.3446 to 0.0882; z -0.0595 to 0.1813", fitted_whole(groove_step)},
      {"orbit", "Percussion orbit", "Original Club 05 event-weighted orbital speed, radius and depth.",
       "x -0.619 to 0.6198; y -0.614 to 0.614; z -0.216 to 0.1553", fitted_whole(groove_orbit)},
      {"glide", "Bass / phrase glide", "Original Club 05 continuous phrase path with bass excursions.",
       "x -0.6631 to 0.7; y -0.4704 to 0.26; z -0.4 to 0.4645", fitted_whole(groove_glide)},
  }};
  return moves;
}

}  // namespace

std::vector<MoveSpec> dancefloor_move_specs() {
  std::vector<const Groove*> own;
  for (const Groove& g : dancefloor_grooves()) {
    own.push_back(&g);
  }
  std::vector<const Groove*> every;
  for (const Groove& g : club_grooves()) {
    every.push_back(&g);
  }
  every.insert(every.end(), own.begin(), own.end());
  std::vector<MoveSpec> specs;
  for (const DanceMove& move : club_moves_here()) {
    specs.push_back({move.name, move.label, move.sentence, move.ranges, move.split, own});
  }
  for (const DanceMove& move : new_moves()) {
    specs.push_back({move.name, move.label, move.sentence, move.ranges, move.split, every});
  }
  return specs;
}

}  // namespace pipmoves::authoring::grooves

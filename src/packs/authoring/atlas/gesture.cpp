// Atlas gesture family: single-point movement studies over eight beats, made
// of eased keyframes, pulses and a few closed curves. Only five move in depth.

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "families.hpp"
#include "../rules.hpp"

namespace pipmoves::authoring::atlas {
namespace {

using std::cos;
using std::sin;

constexpr int kPhrase = 512;  // eight beats

// The deepest reach of the whole pack table, made by `gesture_reach_depth`;
// no other stored z goes this low.
constexpr std::string_view kDeepestReachRange = "z -0.819999514101 to 0.5";

// ---- gestures in the plane --------------------------------------------------

Rule side_reach() {
  return keyframes({{0, 0}, {96, 0.78}, {160, 0.78}, {256, 0}, {352, -0.78}, {416, -0.78}, {512, 0}},
                   {{0, 0}, {96, -0.2}, {160, -0.2}, {256, 0}, {352, -0.2}, {416, -0.2}, {512, 0}});
}

// Winds across the body first, then reaches out to the far side.
Rule cross_reach() {
  return keyframes({{0, 0}, {64, -0.35}, {192, 0.8}, {256, 0.8}, {320, 0.35}, {448, -0.8}, {512, 0}},
                   {{0, 0}, {64, 0.2}, {192, 0.55}, {256, 0.55}, {320, -0.2}, {448, -0.55}, {512, 0}});
}

// A deep scoop on the way across, a shallow one on the way back.
Rule low_scoop() {
  return keyframes({{0, -0.75}, {192, 0.75}, {256, 0.75}, {448, -0.75}, {512, -0.75}},
                   {{0, 0}, {96, -0.8}, {192, 0}, {256, 0}, {352, -0.3}, {448, 0}, {512, 0}});
}

// Over the top one way, back underneath, barely dipping.
Rule high_arc() {
  return keyframes({{0, -0.75}, {256, 0.75}, {512, -0.75}}, {{0, 0}, {128, 0.8}, {256, 0}, {384, -0.15}, {512, 0}});
}

// Out to each corner and back to the centre, one corner every two beats.
constexpr double kTapReach = 0.7;
constexpr double kTapHalfWidth = 48;
Rule corner_taps() {
  return pulses({{64, kTapHalfWidth, {kTapReach, kTapReach, 0}},
                 {192, kTapHalfWidth, {kTapReach, -kTapReach, 0}},
                 {320, kTapHalfWidth, {-kTapReach, -kTapReach, 0}},
                 {448, kTapHalfWidth, {-kTapReach, kTapReach, 0}}});
}

// Far and near touches along one diagonal, alternating ends.
constexpr double kTouchHalfWidth = 48;
Rule diagonal_touch() {
  return pulses({{64, kTouchHalfWidth, {0.75, 0.75, 0}},
                 {192, kTouchHalfWidth, {-0.75, -0.75, 0}},
                 {320, kTouchHalfWidth, {0.4, 0.4, 0}},
                 {448, kTouchHalfWidth, {-0.4, -0.4, 0}}});
}

// Round the four corners of a box, then home to the centre and rest there.
constexpr double kBox = 0.7;
Rule box_return() {
  return keyframes({{0, 0}, {64, -kBox}, {128, -kBox}, {192, kBox}, {256, kBox}, {320, -kBox}, {384, 0}, {512, 0}},
                   {{0, 0}, {64, -kBox}, {128, kBox}, {192, kBox}, {256, -kBox}, {320, -kBox}, {384, 0}, {512, 0}});
}

// Side to side every beat while climbing for six beats, then a drop home.
Rule zigzag_lift() {
  return keyframes({{0, 0}, {64, 0.6}, {128, -0.6}, {192, 0.6}, {256, -0.6}, {320, 0.6}, {384, -0.6}, {448, 0}, {512, 0}},
                   {{0, -0.6}, {384, 0.7}, {512, -0.6}});
}

// Ducks under as the sway passes the centre.
constexpr double kSway = 0.7;
constexpr double kDuck = 0.75;
Rule duck_sway() {
  return curve([](double t) { return Offset3{kSway * sin(t), -kDuck * (1.0 + cos(2 * t)) / 2, 0.0}; });
}

// Heel strikes drop and lean, toe taps rise, alternating every beat.
constexpr double kStepHalfWidth = 28;
Rule heel_toe() {
  std::vector<Pulse> steps;
  for (int beat = 0; beat < 8; ++beat) {
    const bool heel = beat % 2 == 0;
    const double side = (beat / 2) % 2 == 0 ? 1.0 : -1.0;
    steps.push_back({beat * 64.0, kStepHalfWidth, heel ? Offset3{0.3 * side, -0.6, 0} : Offset3{0.15 * side, 0.4, 0}});
  }
  return pulses(steps);
}

// Hops up, answered by sideways leans; the second hop and answer are smaller.
Rule hop_answer() {
  return pulses({{0, 48, {0, 0.8, 0}},
                 {128, 32, {0.6, -0.2, 0}},
                 {192, 32, {-0.6, -0.2, 0}},
                 {256, 48, {0, 0.5, 0}},
                 {384, 32, {0.4, -0.1, 0}},
                 {448, 32, {-0.4, -0.1, 0}}});
}

// ---- gestures in depth ------------------------------------------------------

Rule push_pull() {
  return keyframes({{0, 0}, {96, 0.1}, {256, 0}, {352, -0.1}, {512, 0}},
                   {{0, 0}, {96, -0.15}, {256, 0}, {352, 0.15}, {512, 0}},
                   {{0, 0}, {96, 0.8}, {160, 0.8}, {256, 0}, {352, -0.6}, {416, -0.6}, {512, 0}});
}

// Forward and up, then down and back through the body to the deepest point.
Rule reach_depth() {
  const Rule authored = keyframes({{0, 0}, {128, 0.4}, {288, -0.3}, {384, -0.2}, {512, 0}},
                                  {{0, 0}, {128, 0.35}, {288, -0.5}, {384, -0.3}, {512, 0}},
                                  {{0, 0}, {128, 0.5}, {288, -0.8}, {384, -0.5}, {512, 0}});
  return fit(authored, kDeepestReachRange);
}

// A bow down and forward, then a turn round a ring in the horizontal plane.
constexpr double kTurn = 0.6;
Rule bow_turn() {
  return keyframes({{0, 0}, {192, 0}, {256, kTurn}, {320, 0}, {384, -kTurn}, {448, 0}, {512, 0}},
                   {{0, 0}, {64, -0.7}, {128, -0.7}, {192, 0}, {512, 0}},
                   {{0, 0}, {64, 0.5}, {128, 0.5}, {192, 0}, {256, 0}, {320, kTurn}, {384, 0}, {448, -kTurn}, {512, 0}});
}

// Three turns that widen from the centre and close again, reaching forward as
// they widen.
constexpr double kSpiralReach = 0.75;
constexpr int kSpiralTurns = 3;
constexpr double kSpiralDepth = 0.6;
Rule spiral_reach() {
  return curve([](double t) {
    const double open = (1.0 - cos(t)) / 2;
    return Offset3{kSpiralReach * open * cos(kSpiralTurns * t), kSpiralReach * open * sin(kSpiralTurns * t),
                   kSpiralDepth * open};
  });
}

// A diamond standing in the vertical depth plane, with a small lateral lean.
constexpr double kDiamond = 0.7;
Rule diamond_depth() {
  return keyframes({{0, 0}, {128, 0.3}, {256, 0}, {384, -0.3}, {512, 0}},
                   {{0, kDiamond}, {128, 0}, {256, -kDiamond}, {384, 0}, {512, kDiamond}},
                   {{0, 0}, {128, kDiamond}, {256, 0}, {384, -kDiamond}, {512, 0}});
}

struct Gesture {
  const char* name;
  const char* label;
  int dimensions;
  Rule rule;
};

std::vector<Gesture> gestures() {
  return {
      {"gesture_side_reach", "side reach", 2, side_reach()},
      {"gesture_cross_reach", "cross and reach", 2, cross_reach()},
      {"gesture_low_scoop", "low scoop", 2, low_scoop()},
      {"gesture_high_arc", "high arc", 2, high_arc()},
      {"gesture_corner_taps", "corner taps", 2, corner_taps()},
      {"gesture_diagonal_touch", "diagonal touch", 2, diagonal_touch()},
      {"gesture_box_return", "box and centre", 2, box_return()},
      {"gesture_zigzag_lift", "zigzag lift", 2, zigzag_lift()},
      {"gesture_duck_sway", "duck and sway", 2, duck_sway()},
      {"gesture_push_pull", "push and pull", 3, push_pull()},
      {"gesture_reach_depth", "reach through depth", 3, reach_depth()},
      {"gesture_bow_turn", "bow and turn", 3, bow_turn()},
      {"gesture_heel_toe", "heel-toe abstract", 2, heel_toe()},
      {"gesture_hop_answer", "hop and answer", 2, hop_answer()},
      {"gesture_spiral_reach", "spiral reach", 3, spiral_reach()},
      {"gesture_diamond_depth", "depth diamond", 3, diamond_depth()},
  };
}

}  // namespace

Family gesture_family() {
  Family family{"gesture", "x, y, z within -0.82 to 0.82", {}};
  for (Gesture& g : gestures()) {
    family.rows.push_back({g.name, kPhrase, g.dimensions,
                           "An original single-point " + std::string(g.label) +
                               " gesture. Abstract motion, not a full-body dance or biomechanical recording.",
                           std::move(g.rule)});
  }
  return family;
}

}  // namespace pipmoves::authoring::atlas

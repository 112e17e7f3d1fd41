// The expansion pack: low-frequency shapes, closed geometric paths and
// rhythmic studies with unequal meters.

#include <cmath>
#include <vector>

#include "../rules.hpp"

namespace pipmoves::authoring::first_packs {
namespace {

using std::cos;
using std::sin;

// The same onset rule over a 256-pip bar, repeated for two bars; x keeps
// alternating across the bar line, and onsets off the beat are smaller.
Rule two_bar_euclid(int k, int n) {
  std::vector<Pulse> train;
  const std::vector<double> onsets = euclid_onsets(k, n, 256);
  int j = 0;
  for (double bar : {0.0, 256.0}) {
    for (double onset : onsets) {
      const bool on_beat = std::fmod(onset, 64.0) == 0.0;
      const double w = on_beat ? 1.0 : 0.72;
      train.push_back({bar + onset, 12, {0.76 * w * alternating(j++), -0.3 * w, 0.0}});
    }
  }
  return pulses(train);
}

// `count` alternating x pulses spread evenly over the period, against eight
// alternating y pulses, one a beat.
Rule lateral_against_beats(int count) {
  std::vector<Pulse> train;
  for (int j = 0; j < count; ++j) {
    train.push_back({j * 512.0 / count, 12, {0.72 * alternating(j), 0, 0}});
  }
  for (int j = 0; j < 8; ++j) {
    train.push_back({j * 64.0, 12, {0, 0.68 * alternating(j), 0}});
  }
  return pulses(train);
}

// Accented group starts with alternating sides.
Rule groups(std::vector<double> starts, std::vector<double> weights, double x, double y) {
  std::vector<Pulse> train;
  for (std::size_t j = 0; j < starts.size(); ++j) {
    train.push_back({starts[j], 16, {x * weights[j] * alternating(static_cast<int>(j)), y * weights[j], 0}});
  }
  return pulses(train);
}

Rule swung_answer() {
  std::vector<Pulse> train;
  for (int b = 0; b < 4; ++b) {
    const double side = b < 2 ? 1.0 : -1.0;
    train.push_back({64.0 * b, 8, {0.78 * side, -0.3, 0}});
    train.push_back({64.0 * b + 128.0 / 3, 8, {0.6 * 0.78 * side, 0.6 * -0.3, 0}});
  }
  return pulses(train);
}

Rule three_four_five() {
  std::vector<Pulse> train;
  for (int j = 0; j < 3; ++j) train.push_back({j * 512.0 / 3, 24, {0.7, 0, 0}});
  for (int j = 0; j < 4; ++j) train.push_back({j * 128.0, 24, {0, -0.7, 0}});
  for (int j = 0; j < 5; ++j) train.push_back({j * 512.0 / 5, 24, {0, 0, 0.55}});
  return pulses(train);
}

// A slow lateral sweep whose held end carries three decaying drops.
Table sweep_ratchet(const RowContext& c) {
  const std::vector<Keyframe> sweep{{0, -0.75}, {256, 0.75}, {384, 0.75}, {512, -0.75}};
  const std::vector<Pulse> ratchets{{256, 12, {0, -0.65, 0}}, {288, 12, {0, -0.507, 0}}, {320, 12, {0, -0.364, 0}}};
  return tabulate(c.period, [&](int i) {
    return Offset3{keyframe_curve(sweep, i), pulse_train(ratchets, i, c.period).y, 0.0};
  });
}

std::uint64_t splitmix64(std::uint64_t state) {
  state += 0x9E3779B97F4A7C15ull;
  state = (state ^ (state >> 30)) * 0xBF58476D1CE4E5B9ull;
  state = (state ^ (state >> 27)) * 0x94D049BB133111EBull;
  return state ^ (state >> 31);
}

// Control point k of a lane, in [-1, 1]: a pure function of seed and index.
double seeded_point(std::uint64_t seed, int k) {
  const std::uint64_t bits = splitmix64(seed * 0x100000001B3ull + static_cast<std::uint64_t>(k));
  return static_cast<double>(bits >> 11) / 9007199254740992.0 * 2.0 - 1.0;
}

// A closed Catmull-Rom curve through control points spread evenly over the
// period: smooth, exactly periodic, and seekable at any pip.
double seeded_lane(std::uint64_t seed, int points, double i, int period) {
  const double position = i * points / period;
  const int k = static_cast<int>(std::floor(position));
  const double u = position - k;
  const auto p = [&](int j) { return seeded_point(seed, ((j % points) + points) % points); };
  const double p0 = p(k - 1), p1 = p(k), p2 = p(k + 1), p3 = p(k + 2);
  return 0.5 * ((2.0 * p1) + (-p0 + p2) * u + (2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3) * u * u +
                (-p0 + 3.0 * p1 - 3.0 * p2 + p3) * u * u * u);
}

Table seeded_drift(const RowContext& c) {
  constexpr int kControlPoints = 12;
  return tabulate(c.period, [&](int i) {
    return Offset3{seeded_lane(1, kControlPoints, i, c.period), seeded_lane(2, kControlPoints, i, c.period), 0.0};
  });
}

Family lfo_family() {
  return Family{"lfo", "", {
      with_ranges({"lfo_twin_swell", 512, 2,
                   "Two broad swells of unequal depth, with a gentle lateral answer. Eight beats.",
                   keyframes({{0, 0}, {128, 0.2}, {256, 0}, {384, -0.32}, {512, 0}},
                             {{0, 0}, {128, -0.85}, {256, 0}, {384, -0.45}, {512, 0}})},
                  "x -0.32 to 0.2; y -0.85 to 0"),
      with_ranges({"lfo_pulse_hold", 256, 1,
                   "A smooth outward pulse, sustained plateau, smaller opposite recoil, and rest.",
                   keyframes({{0, 0}, {32, 0.8}, {128, 0.8}, {160, -0.35}, {192, 0}, {256, 0}})},
                  "x -0.35 to 0.8"),
      with_ranges({"lfo_sweep_ratchet", 512, 2,
                   "A slow lateral sweep followed by three decaying vertical ratchets; no reset jump.", sweep_ratchet},
                  "x -0.75 to 0.75; y -0.65 to 0"),
      with_ranges({"lfo_triplet_wobble", 512, 2,
                   "Three rounded oscillations per two beats, breathing in depth over an eight-beat phrase.",
                   curve([](double t) {
                     return Offset3{(0.5525 - 0.255 * cos(t)) * sin(12 * t), 0.22 * sin(t), 0.0};
                   })},
                  "x -0.80421 to 0.80421; y -0.22 to 0.22"),
      with_ranges({"lfo_breathing_orbit", 512, 2,
                   "A closed ellipse expands and contracts twice during its eight-beat revolution.",
                   curve([](double t) {
                     return Offset3{0.67 * cos(t) + 0.11 * cos(3 * t), 0.39 * sin(t) + 0.09 * sin(3 * t), 0.0};
                   })},
                  "x -0.78 to 0.78; y -0.343963 to 0.343963"),
      fitted_to_ranges({"lfo_seeded_drift", 1024, 2,
                        "Two independently seeded smooth random lanes; irregular-looking but exactly periodic and "
                        "seekable.",
                        seeded_drift},
                       "x -0.710649 to 0.787097; y -0.609781 to 0.396659"),
      with_ranges({"lfo_pendulum_dwell", 512, 2,
                   "Rounded saturation slows the pendulum near either side; a shallow arc connects the turns.",
                   curve([](double t) {
                     return Offset3{0.78 * std::tanh(2.8 * sin(t)) / std::tanh(2.8), 0.22 * cos(2 * t), 0.0};
                   })},
                  "x -0.78 to 0.78; y -0.22 to 0.22"),
      with_ranges({"lfo_reverse_swell", 512, 2,
                   "A long anticipatory rise, quick softened return, and two diminishing aftershocks.",
                   keyframes({{0, 0}, {192, -0.24}, {224, 0.24}, {384, 0}, {512, 0}},
                             {{0, 0}, {192, -0.82}, {224, 0}, {256, -0.38}, {288, 0}, {320, -0.18}, {352, 0},
                              {512, 0}})},
                  "x -0.24 to 0.24; y -0.82 to 0"),
  }};
}

Family path_family() {
  return Family{"path", "", {
      with_ranges({"path_lissajous_2_3", 512, 2,
                   "Two horizontal cycles cross three vertical cycles in a closed eight-beat Lissajous path.",
                   curve([](double t) { return Offset3{0.78 * sin(2 * t), 0.68 * sin(3 * t), 0.0}; })},
                  "x -0.78 to 0.78; y -0.68 to 0.68"),
      with_ranges({"path_rose_4", 512, 2,
                   "A signed radial oscillation draws four petals, passing through the centre between them.",
                   curve([](double t) {
                     return Offset3{0.82 * cos(2 * t) * cos(t), 0.82 * cos(2 * t) * sin(t), 0.0};
                   })},
                  "x -0.82 to 0.82; y -0.82 to 0.82"),
      with_ranges({"path_rose_5", 512, 2,
                   "Five petals in one complete eight-beat traversal; the odd-petal parameter runs through pi, not two "
                   "pi.",
                   curve([](double t) {
                     const double phi = t / 2;
                     return Offset3{0.82 * cos(5 * phi) * cos(phi), 0.82 * cos(5 * phi) * sin(phi), 0.0};
                   })},
                  "x -0.670012 to 0.82; y -0.781432 to 0.781432"),
      with_ranges({"path_bowed_diamond", 512, 2,
                   "An astroid-shaped loop with inward-curved edges and naturally slow corners.",
                   curve([](double t) { return Offset3{0.8 * std::pow(cos(t), 3), 0.8 * std::pow(sin(t), 3), 0.0}; })},
                  "x -0.8 to 0.8; y -0.8 to 0.8"),
      with_ranges({"path_orbit_dwell", 512, 2,
                   "An ellipse whose phase slows to zero speed at the loop boundary and accelerates through the "
                   "opposite side.",
                   curve([](double t) { return Offset3{0.8 * cos(t - sin(t)), 0.6 * sin(t - sin(t)), 0.0}; })},
                  "x -0.8 to 0.8; y -0.599994 to 0.599994"),
      with_ranges({"path_torus_knot", 1024, 3,
                   "Two turns around the axis and three through the tube. XYZ is retained; the demo projects depth.",
                   curve([](double t) {
                     const double ring = 0.54 + 0.22 * cos(3 * t);
                     return Offset3{ring * cos(2 * t), ring * sin(2 * t), 0.36 * sin(3 * t)};
                   })},
                  "x -0.611817 to 0.76; y -0.719942 to 0.719942; z -0.36 to 0.36"),
      with_ranges({"path_woven_3d", 1024, 3,
                   "Independent two-, three-, and five-cycle XYZ oscillations close after sixteen beats.",
                   curve([](double t) { return Offset3{0.72 * sin(2 * t), 0.64 * sin(3 * t), 0.48 * sin(5 * t)}; })},
                  "x -0.72 to 0.72; y -0.64 to 0.64; z -0.48 to 0.48"),
      with_ranges({"path_crank_slider", 256, 2,
                   "Horizontal slider-crank travel with rod length three and crank radius one; vertical motion "
                   "follows the crank tip.",
                   curve([](double t) {
                     return Offset3{0.78 * (cos(t) + std::sqrt(9 - sin(t) * sin(t)) - 3), 0.3 * sin(t), 0.0};
                   })},
                  "x -0.78 to 0.78; y -0.3 to 0.3"),
  }};
}

Family rhythm_family() {
  return Family{"rhythm", "", {
      with_ranges({"rhythm_five_four", 512, 2,
                   "5 lateral hits against four vertical hits per four beats; two bars preserve alternating "
                   "directions.",
                   lateral_against_beats(10)},
                  "x -0.72 to 0.72; y -0.68 to 0.68"),
      with_ranges({"rhythm_seven_four", 512, 2,
                   "7 lateral hits against four vertical hits per four beats; two bars preserve alternating "
                   "directions.",
                   lateral_against_beats(14)},
                  "x -0.72 to 0.72; y -0.68 to 0.68"),
      with_ranges({"rhythm_euclid_7_16", 512, 2,
                   "7 evenly distributed onsets on a sixteen-step grid, repeated with alternating sides over eight "
                   "beats.",
                   two_bar_euclid(7, 16)},
                  "x -0.76 to 0.76; y -0.3 to 0"),
      with_ranges({"rhythm_euclid_5_16", 512, 2,
                   "5 evenly distributed onsets on a sixteen-step grid, repeated with alternating sides over eight "
                   "beats.",
                   two_bar_euclid(5, 16)},
                  "x -0.76 to 0.76; y -0.3 to 0"),
      with_ranges({"rhythm_swung_answer", 256, 2,
                   "A two-to-one swung call on the right, answered on the left; four beats and eight peak-aligned "
                   "gestures.",
                   swung_answer()},
                  "x -0.78 to 0.78; y -0.3 to 0"),
      with_ranges({"rhythm_group_332", 512, 2,
                   "Groups of three, three, and two eighth notes. Six alternating accents make an eight-beat loop.",
                   groups({0, 96, 192, 256, 352, 448}, {1, 0.72, 0.86, 1, 0.72, 0.86}, 0.76, -0.38)},
                  "x -0.76 to 0.76; y -0.38 to 0"),
      with_ranges({"rhythm_group_223", 448, 2,
                   "Two 7/8 bars grouped as 2+2+3 eighth notes: a seven-quarter-note loop, not forced into four beats.",
                   groups({0, 64, 128, 224, 288, 352}, {1, 0.7, 0.85, 1, 0.7, 0.85}, 0.74, -0.4)},
                  "x -0.74 to 0.74; y -0.4 to 0"),
      with_ranges({"rhythm_three_four_five", 512, 3,
                   "Three X, four Y, and five Z gestures share an eight-beat phrase, with exact rational peak times.",
                   three_four_five()},
                  "x 0 to 0.7; y -0.7 to 0; z 0 to 0.55"),
  }};
}

}  // namespace

Pack expansion_pack() {
  return Pack{"expansion", {lfo_family(), path_family(), rhythm_family()}};
}

}  // namespace pipmoves::authoring::first_packs

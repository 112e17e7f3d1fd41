// The initial pack: one or a few patterns of each kind of shape that later
// packs elaborate.

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>

#include "../rules.hpp"

namespace pipmoves::authoring::first_packs {
namespace {

using std::cos;
using std::sin;

// ---- lfo --------------------------------------------------------------------

// A sine blending into a skewed triangle (slow rise, quick fall) and back,
// twice per cycle of the blend.
Table morph(const RowContext& c) {
  const auto skewed_triangle = [](double u) {
    if (u < 0.35) return u / 0.35;
    if (u < 0.65) return 1.0 - 2.0 * (u - 0.35) / 0.3;
    return -1.0 + (u - 0.65) / 0.35;
  };
  return tabulate(c.period, [&](int i) {
    const double theta = phase(i, c.period);
    const double blend = (1.0 - cos(theta)) / 2.0;
    const double u = std::fmod(2.0 * i / c.period, 1.0);
    return Offset3{(1.0 - blend) * sin(2.0 * theta) + blend * skewed_triangle(u), 0.2 * sin(theta), 0.0};
  });
}

// ---- rhythm -----------------------------------------------------------------

Rule euclid(int k, int n) {
  std::vector<Pulse> train;
  const std::vector<double> onsets = euclid_onsets(k, n, 256);
  for (int j = 0; j < k; ++j) {
    train.push_back({onsets[static_cast<std::size_t>(j)], 12, {0.8 * alternating(j), -0.3, 0.0}});
  }
  return pulses(train);
}

// Twelve strokes on the triplet grid; accented strokes at full size.
Rule sticking_study(std::string_view sticking, std::vector<int> accents) {
  std::vector<Pulse> train;
  const std::vector<double> hands = hand_signs(sticking);
  for (std::size_t j = 0; j < hands.size(); ++j) {
    const bool accent = std::find(accents.begin(), accents.end(), static_cast<int>(j)) != accents.end();
    const double w = accent ? 1.0 : 0.6;
    train.push_back({j * 256.0 / 12, 28.0 / 3, {0.82 * w * hands[j], -0.42 * w, 0.0}});
  }
  return pulses(train);
}

// Groups of three alternating strokes; each group lead is a flam, its grace
// played by the other hand just before it. The grace's half-width equals its
// lead: it rises from rest just before the stroke's own rise and is gone by
// the stroke, so the two meet without a corner.
Table flam_accent(const RowContext& c) {
  constexpr double kGraceLead = 5.0;
  std::vector<Pulse> train;
  for (int j = 0; j < 12; ++j) {
    const double hand = alternating(j);
    const double t = j * 256.0 / 12;
    const bool lead = j % 3 == 0;
    const double w = lead ? 1.0 : 0.6;
    train.push_back({t, 28.0 / 3, {0.82 * w * hand, -0.42 * w, 0.0}});
    if (lead) {
      train.push_back({t - kGraceLead + 256.0 * (t < kGraceLead), kGraceLead, {-0.3 * hand, -0.12, 0.0}});
    }
  }
  return pulse_table(train, c.period);
}

// ---- easing -----------------------------------------------------------------

double bounce_out(double t) {
  constexpr double b0 = 121.0 / 16.0;
  if (t < 4.0 / 11.0) return b0 * t * t;
  if (t < 8.0 / 11.0) return b0 * (t - 6.0 / 11.0) * (t - 6.0 / 11.0) + 3.0 / 4.0;
  if (t < 10.0 / 11.0) return b0 * (t - 9.0 / 11.0) * (t - 9.0 / 11.0) + 15.0 / 16.0;
  return b0 * (t - 21.0 / 22.0) * (t - 21.0 / 22.0) + 63.0 / 64.0;
}

constexpr double kBackOvershoot = 1.70158;
double back_in(double t) { return t * t * ((kBackOvershoot + 1.0) * t - kBackOvershoot); }
double back_out(double t) { return 1.0 - back_in(1.0 - t); }

// Outward along the easing from -0.65 to 0.65, back along a smoothstep.
Rule easing_loop(double (*ease)(double)) {
  return [ease](const RowContext& c) {
    return tabulate(c.period, [&](int i) {
      const double x = i < 128 ? -0.65 + 1.3 * ease(i / 128.0) : 0.65 - 1.3 * smoothstep((i - 128) / 128.0);
      return Offset3{x, 0.0, 0.0};
    });
  };
}

// A decaying oscillation inside a raised-cosine window that closes the loop.
Table elastic(const RowContext& c) {
  return peak_normalised(tabulate(c.period, [&](int i) {
                           const double u = static_cast<double>(i) / c.period;
                           const double window = (1.0 - cos(2.0 * kPi * u)) / 2.0;
                           return Offset3{window * std::exp(-3.0 * u) * sin(7.0 * kPi * u), 0.0, 0.0};
                         }),
                         0.8);
}

// ---- waveforms --------------------------------------------------------------

// One cycle of a stored waveform, mapped affinely so its extremes land on the
// stated ones: the shape is kept exactly, one side peaking at 0.85.
Rule waveform(std::string file, double low, double high) {
  return [file, low, high](const RowContext& c) {
    const std::vector<int> cycle = c.sources.integers("akwf/" + file);
    if (static_cast<int>(cycle.size()) != c.period) {
      throw std::runtime_error(file + " holds " + std::to_string(cycle.size()) + " samples, not one per pip");
    }
    const auto [lowest, highest] = std::minmax_element(cycle.begin(), cycle.end());
    const double gain = (high - low) / (*highest - *lowest);
    return tabulate(c.period, [&](int i) {
      return Offset3{low + (cycle[static_cast<std::size_t>(i)] - *lowest) * gain, 0.0, 0.0};
    });
  };
}

// ---- grooves ----------------------------------------------------------------

enum class Voice { kick, snare, ghost, hat };

struct Hit {
  int step;      // sixteenth note, 0 to 31 over two bars
  double late;   // performed offset in pips
  Voice voice;
  double velocity;
};

// Kick lifts, snare leans right and drops, ghost notes lean left, hats tick.
Pulse hit_pulse(const Hit& hit, double t) {
  switch (hit.voice) {
    case Voice::kick: return {t, 10, {0.0, 0.5 * hit.velocity, 0.0}};
    case Voice::snare: return {t, 12, {0.7 * hit.velocity, -0.3 * hit.velocity, 0.0}};
    case Voice::ghost: return {t, 6, {-0.22 * hit.velocity, -0.08 * hit.velocity, 0.0}};
    case Voice::hat: return {t, 5, {0.05 * hit.velocity, 0.04 * hit.velocity, 0.0}};
  }
  return {t, 1, {}};
}

Rule groove(std::vector<Hit> hits, bool on_grid) {
  return [hits, on_grid](const RowContext& c) {
    std::vector<Pulse> train;
    for (const Hit& hit : hits) {
      double t = hit.step * 16.0 + hit.late;
      if (on_grid) {
        t = std::round(t / 16.0) * 16.0;
      }
      train.push_back(hit_pulse(hit, std::fmod(t + c.period, c.period)));
    }
    return pulse_table(train, c.period);
  };
}

std::vector<Hit> with_hats(std::vector<Hit> hits) {
  for (int step = 0; step < 32; step += 2) {
    hits.push_back({step, step % 4 == 2 ? 2.0 : 0.0, Voice::hat, step % 8 == 0 ? 1.0 : 0.7});
  }
  return hits;
}

// Excerpt A: a steady backbeat with kicks pushing into beat two and ghosted
// sixteenths around the snares.
const std::vector<Hit> kExcerptA = with_hats({
    {0, -1, Voice::kick, 1.0},    {3, -2, Voice::kick, 0.7},    {4, 2, Voice::snare, 0.95},
    {7, 3, Voice::ghost, 0.5},    {9, 2, Voice::ghost, 0.45},   {10, -1, Voice::kick, 0.85},
    {12, 3, Voice::snare, 1.0},   {14, -1, Voice::kick, 0.6},   {15, 2, Voice::ghost, 0.55},
    {16, -1, Voice::kick, 1.0},   {19, -2, Voice::kick, 0.75},  {20, 2, Voice::snare, 0.9},
    {23, 3, Voice::ghost, 0.5},   {25, 1, Voice::ghost, 0.4},   {26, -1, Voice::kick, 0.8},
    {28, 4, Voice::snare, 1.0},   {29, 2, Voice::ghost, 0.6},   {31, 3, Voice::ghost, 0.5},
});

// Excerpt B: busier, with an anticipated snare and a flurry before the turn.
const std::vector<Hit> kExcerptB = with_hats({
    {0, -1, Voice::kick, 1.0},    {2, 0, Voice::kick, 0.6},     {4, 3, Voice::snare, 1.0},
    {6, 2, Voice::ghost, 0.5},    {7, 3, Voice::ghost, 0.45},   {10, -2, Voice::kick, 0.9},
    {11, 2, Voice::ghost, 0.55},  {12, 2, Voice::snare, 0.95},  {13, 1, Voice::kick, 0.6},
    {16, -1, Voice::kick, 1.0},   {18, -1, Voice::kick, 0.7},   {20, 3, Voice::snare, 1.0},
    {22, 2, Voice::ghost, 0.6},   {25, 2, Voice::ghost, 0.5},   {26, -1, Voice::kick, 0.85},
    {27, 3, Voice::snare, 0.8},   {29, 2, Voice::ghost, 0.55},  {30, 1, Voice::ghost, 0.6},
    {31, 3, Voice::ghost, 0.7},
});

std::string rudiment_description(std::string_view sticking) {
  return "Visual sticking study " + std::string(sticking) +
         "; equal triplet spacing over four beats. This is a movement interpretation, not a complete "
         "drum-performance notation.";
}

constexpr const char* kEasingDescription =
    "An attributed D3 easing curve, assembled into a closed outward-and-return loop.";

std::string waveform_description(std::string_view file) {
  return std::string(file) + ": an actual CC0 waveform slowed to a four-beat position loop.";
}

Family lfo_family() {
  return Family{"lfo", "", {
      with_ranges({"lfo_breathe", 256, 1,
                   "A four-beat, single-axis sine. The quiet reference for judging busier shapes.",
                   curve([](double t) { return Offset3{0.8 * sin(t), 0.0, 0.0}; })},
                  "x -0.8 to 0.8"),
      with_ranges({"lfo_surge", 256, 1,
                   "A long rounded sweep and short recovery; an independently authored smooth-reset shape.",
                   keyframes({{0, -0.8}, {192, 0.8}, {256, -0.8}})},
                  "x -0.8 to 0.8"),
      with_ranges({"lfo_soft_gate", 256, 1,
                   "Short smooth transitions separated by long stationary dwells. No square-wave teleport.",
                   keyframes({{0, -0.8}, {32, 0.8}, {128, 0.8}, {160, -0.8}, {256, -0.8}})},
                  "x -0.8 to 0.8"),
      with_ranges({"lfo_double_pump", 256, 2, "Two unequal pumps and a breathing space within four beats.",
                   keyframes({}, {{0, 0}, {32, -0.85}, {64, 0}, {96, -0.55}, {128, 0}, {256, 0}})},
                  "y -0.85 to 0"),
      with_ranges({"lfo_ratchet", 256, 2, "A four-hit decaying burst, then a rest. Every event is peak-aligned.",
                   pulses({{0, 8, {0.8, -0.5, 0}},
                           {16, 8, {0.8 * 0.82, -0.5 * 0.82, 0}},
                           {32, 8, {0.8 * 0.64, -0.5 * 0.64, 0}},
                           {48, 8, {0.8 * 0.46, -0.5 * 0.46, 0}}})},
                  "x 0 to 0.8; y -0.5 to 0"),
      with_ranges({"lfo_glide_stair", 256, 1, "Five rounded steps traverse the field, then a smooth return.",
                   keyframes({{0, -0.8}, {32, -0.8}, {64, -0.4}, {96, 0}, {128, 0.4}, {160, 0.8}, {192, 0.8},
                              {256, -0.8}})},
                  "x -0.8 to 0.8"),
      fitted_to_ranges({"lfo_morph", 512, 2,
                        "An eight-beat blend between a sine and skewed triangle; movement changes within the phrase.",
                        morph},
                       "x -0.8 to 0.798418; y -0.2 to 0.2"),
      with_ranges({"lfo_flower", 512, 2, "Related rotations form an original three-lobed XY loop over eight beats.",
                   curve([](double t) {
                     return Offset3{0.56 * cos(t) - 0.28 * cos(2 * t), 0.56 * sin(t) + 0.28 * sin(2 * t), 0.0};
                   })},
                  "x -0.84 to 0.419993; y -0.727449 to 0.727449"),
  }};
}

Family rhythm_family() {
  return Family{"rhythm", "", {
      with_ranges({"rhythm_euclid_3_8", 256, 2,
                   "3 evenly distributed onsets on a 8-step grid. Alternating lateral gestures.", euclid(3, 8)},
                  "x -0.8 to 0.8; y -0.3 to 0"),
      with_ranges({"rhythm_euclid_5_12", 256, 2,
                   "5 evenly distributed onsets on a 12-step grid. Alternating lateral gestures.", euclid(5, 12)},
                  "x -0.8 to 0.8; y -0.3 to 0"),
      with_ranges({"rhythm_three_two", 256, 2,
                   "Three horizontal gestures interlock with two vertical gestures in one four-beat cycle.",
                   pulses({{0, 24, {0.78, 0, 0}},
                           {256.0 / 3, 24, {0.78, 0, 0}},
                           {512.0 / 3, 24, {0.78, 0, 0}},
                           {0, 24, {0, 0.78, 0}},
                           {128, 24, {0, 0.78, 0}}})},
                  "x 0 to 0.78; y 0 to 0.78"),
      with_ranges({"rhythm_half_time", 256, 2,
                   "A strong downbeat, snare-like accent on beat three, and smaller offbeat shuffles.",
                   pulses({{0, 16, {0, 0.85, 0}},
                           {96, 16, {0, 0.4675, 0}},
                           {128, 16, {0.85, -0.25, 0}},
                           {224, 12, {-0.4, -0.1, 0}}})},
                  "x -0.4 to 0.85; y -0.25 to 0.85"),
  }};
}

Family rudiment_family() {
  return Family{"rudiment", "", {
      with_ranges({"rudiment_double_paradiddle", 256, 2, rudiment_description("RLRLRR LRLRLL"),
                   sticking_study("RLRLRR LRLRLL", {0, 6})},
                  "x -0.82 to 0.82; y -0.42 to 0"),
      with_ranges({"rudiment_paradiddle_diddle", 256, 2, rudiment_description("RLRRLL LRLLRR"),
                   sticking_study("RLRRLL LRLLRR", {0, 6})},
                  "x -0.82 to 0.82; y -0.42 to 0"),
      with_ranges({"rudiment_six_stroke", 256, 2, rudiment_description("RLLRRL LRRLLR"),
                   sticking_study("RLLRRL LRRLLR", {0, 5, 6, 11})},
                  "x -0.82 to 0.82; y -0.42 to 0"),
      fitted_to_ranges({"rudiment_flam_accent", 256, 2,
                        "Opposite-hand grace gestures lead accented groups of three; deliberately expanded for visible "
                        "motion.",
                        flam_accent},
                       "x -0.82 to 0.82; y -0.426092 to 0"),
  }};
}

Family ease_family() {
  return Family{"ease", "", {
      with_ranges({"ease_rebound", 256, 1, kEasingDescription, easing_loop(bounce_out)}, "x -0.65 to 0.65"),
      with_ranges({"ease_anticipate", 256, 1, kEasingDescription, easing_loop(back_in)}, "x -0.779997 to 0.65"),
      with_ranges({"ease_overshoot", 256, 1, kEasingDescription, easing_loop(back_out)}, "x -0.65 to 0.779997"),
      fitted_to_ranges({"ease_elastic", 256, 1,
                        "Original windowed, decaying oscillation; not a copied D3 curve. Peak scaled to .8.",
                        elastic},
                       "x -0.612492 to 0.8"),
  }};
}

Family akwf_family() {
  return Family{"akwf", "", {
      with_ranges({"akwf_round_saw", 256, 1, waveform_description("AKWF_R_asym_saw_05_256.h"),
                   waveform("AKWF_R_asym_saw_05_256.csv", -0.85, 0.588115)},
                  "x -0.85 to 0.588115"),
      with_ranges({"akwf_quick_return", 256, 1, waveform_description("AKWF_R_asym_saw_15_256.h"),
                   waveform("AKWF_R_asym_saw_15_256.csv", -0.808009, 0.85)},
                  "x -0.808009 to 0.85"),
      with_ranges({"akwf_multi_lobe", 256, 1, waveform_description("AKWF_0001_256.h"),
                   waveform("AKWF_0001_256.csv", -0.661587, 0.85)},
                  "x -0.661587 to 0.85"),
      with_ranges({"akwf_plateau", 256, 1, waveform_description("AKWF_0010_256.h"),
                   waveform("AKWF_0010_256.csv", -0.846846, 0.85)},
                  "x -0.846846 to 0.85"),
  }};
}

Family groove_family() {
  return Family{"groove", "", {
      fitted_to_ranges({"groove_a_played", 512, 2,
                        "Two-bar funk excerpt A (4\u201312 source beats), performed microtiming.",
                        groove(kExcerptA, false)},
                       "x -0.220435 to 0.674498; y -0.305881 to 0.485902"),
      fitted_to_ranges({"groove_a_grid", 512, 2,
                        "Two-bar funk excerpt A (4\u201312 source beats), same hits quantised to sixteenths.",
                        groove(kExcerptA, true)},
                       "x -0.220472 to 0.648819; y -0.306614 to 0.468031"),
      fitted_to_ranges({"groove_b_played", 512, 2,
                        "Two-bar funk excerpt B (36\u201344 source beats), performed microtiming.",
                        groove(kExcerptB, false)},
                       "x -0.306504 to 1; y -0.428659 to 0.419079"),
      fitted_to_ranges({"groove_b_grid", 512, 2,
                        "Two-bar funk excerpt B (36\u201344 source beats), same hits quantised to sixteenths.",
                        groove(kExcerptB, true)},
                       "x -0.283083 to 1; y -0.412142 to 0.37708"),
  }};
}

}  // namespace

Pack initial_pack() {
  return Pack{"initial",
              {lfo_family(), rhythm_family(), rudiment_family(), ease_family(), akwf_family(), groove_family()}};
}

}  // namespace pipmoves::authoring::first_packs

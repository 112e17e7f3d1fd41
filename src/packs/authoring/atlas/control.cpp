// Atlas control families: single-axis waves, vertical envelopes and stepped
// position sequences, all over an eight-beat phrase.

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "families.hpp"
#include "helpers.hpp"

namespace pipmoves::authoring::atlas {
namespace {

using std::cos;
using std::sin;

constexpr int kPhrase = 512;  // eight beats
constexpr double kPeak = 0.82;

// |s| with a rounded floor, so rectified troughs stay smooth.
double soft_abs(double s, double rounding) { return std::sqrt(s * s + rounding * rounding) - rounding; }

// ---- wave -------------------------------------------------------------------

// Shaped waves are written raw and scaled so their peak is kPeak.
struct Wave {
  const char* name;
  const char* label;
  double (*raw)(double theta);
};

constexpr double kShoulder = 0.22;      // third harmonic that flattens a ledge into each flank
constexpr double kFold = 2.2;           // drive of the single fold
constexpr double kDoubleFold = 3.8;     // drive that folds each crest twice
constexpr double kSquareDrive = 2.0;    // tanh drive of the rounded square
constexpr double kRectifierFloor = 0.2; // rounding of the rectified troughs
constexpr double kSwellTilt = 0.3;      // the second swell is this much smaller
constexpr double kSwellCentre = 0.55;   // shift that centres the swells on zero
constexpr double kSkew = 0.7;           // phase skew of the sweep
constexpr double kScoop = 0.35;         // second harmonic that scoops the return
constexpr double kShelf = 0.25;
constexpr double kNotchDepth = 0.35;
constexpr double kNotchSharpness = 40.0;
constexpr double kNeck = 0.35;          // amplitude at the bottle neck
constexpr double kFlutter = 0.12;
constexpr int kFlutterCycles = 16;
constexpr double kCrestTilt = 0.28;     // how much the two crests differ
constexpr double kRipple = 0.16;
constexpr int kRippleCycles = 9;
constexpr int kTeeth = 3;
constexpr double kToothSoftening = 0.6; // decay of the saw's upper harmonics
constexpr double kWarpedFold = 2.8;
constexpr double kFoldWarp = 0.5;

const std::array<Wave, 15> kShapedWaves{{
    {"wave_shouldered", "Shouldered sine", [](double t) { return sin(t) + kShoulder * sin(3 * t); }},
    {"wave_folded", "Folded sine", [](double t) { return sin(kFold * sin(t)); }},
    {"wave_double_fold", "Double-fold wave", [](double t) { return sin(kDoubleFold * sin(t)); }},
    {"wave_rounded_square", "Rounded square", [](double t) { return std::tanh(kSquareDrive * sin(t)); }},
    {"wave_soft_rectifier", "Soft rectified swell",
     [](double t) { return (1.0 + kSwellTilt * sin(t)) * soft_abs(sin(t), kRectifierFloor) - kSwellCentre; }},
    {"wave_skew_warp", "Phase-skew sweep", [](double t) { return sin(t + kSkew * sin(t)); }},
    // The fall back from the crest is pulled down early into a scoop.
    {"wave_scoop_warp", "Scooped return",
     [](double t) { return sin(t) + kScoop * sin(2 * t) * (1.0 - cos(t)) / 2.0; }},
    // A flat shelf on the upper half, a scoop on the lower.
    {"wave_shelf_wave", "Shelf and scoop",
     [](double t) {
       const double upper = (1.0 + sin(t)) / 2.0;
       return sin(t) + kShelf * sin(3 * t) * upper - kShelf * sin(2 * t) * (1.0 - upper);
     }},
    {"wave_notched", "Notched crest",
     [](double t) { return sin(t) - kNotchDepth * bump(t, kPi / 2, kNotchSharpness); }},
    // Narrow at the phrase boundary, widest in the middle of the phrase.
    {"wave_bottle", "Bottle-neck swell",
     [](double t) { return sin(2 * t) * (kNeck + (1.0 - kNeck) * (1.0 - cos(t)) / 2.0); }},
    {"wave_reed", "Reed flutter", [](double t) { return sin(t) + kFlutter * sin(kFlutterCycles * t); }},
    {"wave_unequal_peaks", "Unequal double crest",
     [](double t) { return sin(2 * t) * (1.0 - kCrestTilt + kCrestTilt * cos(t)); }},
    // Ripples ride only the returning half.
    {"wave_ripple_return", "Rippled recovery",
     [](double t) {
       const double returning = std::fmax(0.0, -sin(t));
       return sin(t) + kRipple * sin(kRippleCycles * t) * returning * returning;
     }},
    // Three saw teeth from a few decaying harmonics: rounded corners.
    {"wave_soft_teeth", "Soft triple teeth",
     [](double t) {
       double saw = 0.0;
       double weight = 1.0;
       for (int n = 1; n <= 4; ++n, weight *= kToothSoftening) {
         saw += (n % 2 == 1 ? 1.0 : -1.0) * weight * sin(kTeeth * n * t) / n;
       }
       return saw;
     }},
    {"wave_warped_fold", "Warped wave fold",
     [](double t) { return sin(kWarpedFold * sin(t + kFoldWarp * sin(t))); }},
}};

std::string wave_description(const std::string& label) {
  return label + "; a continuous shaped control wave, mapped to horizontal displacement.";
}

// ---- env --------------------------------------------------------------------

struct Envelope {
  const char* name;
  const char* label;
  std::vector<Keyframe> y;
};

const std::vector<Envelope> kEnvelopes{
    {"env_lift_hold_drop", "Lift, hold, settle", {{0, 0}, {64, -0.8}, {192, -0.8}, {256, 0.2}, {320, 0}, {512, 0}}},
    {"env_inhale_exhale", "Long inhale, short exhale", {{0, 0}, {320, -0.8}, {384, 0.1}, {448, 0}, {512, 0}}},
    {"env_triple_swell", "Three unequal swells",
     {{0, 0}, {64, -0.8}, {128, 0}, {192, -0.5}, {256, 0}, {384, -0.3}, {512, 0}}},
    {"env_rising_echo", "Rising echo ladder",
     {{0, 0}, {64, -0.25}, {128, 0}, {192, -0.5}, {256, 0}, {320, -0.8}, {384, 0}, {512, 0}}},
    {"env_falling_echo", "Falling echo ladder",
     {{0, 0}, {64, -0.8}, {128, 0}, {192, -0.45}, {256, 0}, {320, -0.15}, {512, 0}}},
    {"env_anticipation", "Backward anticipation",
     {{0, 0}, {64, 0.35}, {128, 0}, {192, -0.82}, {256, -0.82}, {384, 0.12}, {512, 0}}},
    {"env_plateau_scoop", "Plateau then scoop", {{0, 0}, {64, -0.7}, {256, -0.7}, {320, -0.3}, {384, 0.4}, {512, 0}}},
    {"env_hesitant", "Hesitant reach",
     {{0, 0}, {64, -0.3}, {128, -0.2}, {192, -0.5}, {256, -0.4}, {320, -0.8}, {512, 0}}},
    {"env_double_hold", "Two-height hold", {{0, 0}, {64, -0.4}, {192, -0.4}, {256, -0.8}, {384, -0.8}, {512, 0}}},
    {"env_swell_recoil", "Deep swell and recoil", {{0, 0}, {192, -0.8}, {256, 0.5}, {320, -0.2}, {384, 0.08}, {512, 0}}},
    {"env_late_release", "Late release", {{0, 0}, {256, -0.8}, {384, -0.8}, {448, 0.25}, {512, 0}}},
    {"env_split_attack", "Split attack", {{0, 0}, {32, -0.6}, {64, -0.2}, {128, -0.8}, {320, -0.2}, {512, 0}}},
    {"env_suspended", "Suspended answer",
     {{0, 0}, {64, -0.75}, {128, 0}, {256, 0}, {384, -0.55}, {448, -0.55}, {512, 0}}},
    {"env_valley_peaks", "Valley between peaks", {{0, 0}, {64, -0.7}, {192, -0.3}, {256, -0.82}, {384, 0.2}, {512, 0}}},
    {"env_four_breaths", "Four breathing accents",
     {{0, 0}, {64, -0.7}, {128, 0}, {192, -0.5}, {256, 0}, {320, -0.8}, {384, 0}, {448, -0.3}, {512, 0}}},
    {"env_return_stair", "Stepped soft recovery",
     {{0, 0}, {128, -0.8}, {192, -0.8}, {256, -0.5}, {320, -0.5}, {384, -0.2}, {448, -0.2}, {512, 0}}},
};

// ---- seq --------------------------------------------------------------------

// Nine x stations, one per keyframe; the last repeats the first.
using Stations = std::array<double, 9>;

struct Sequence {
  const char* shape;
  Stations x;
};

const std::array<Sequence, 8> kSequences{{
    // Climbs across the field in four even steps and comes back down.
    {"up_down", {-0.82, -0.41, 0, 0.41, 0.82, 0.41, 0, -0.41, -0.82}},
    {"pendulum", {0, 0.82, 0, -0.82, 0, 0.41, 0, -0.41, 0}},
    {"octave", {0, 0.82, 0.205, 0.66625, -0.205, -0.82, -0.41, -0.66625, 0}},
    // Steps of deliberately different sizes.
    {"unequal", {0, 0.6, -0.2, 0.82, 0.1, -0.5, -0.82, -0.3, 0}},
    // A phrase that stays low and rises to its highest station at the end.
    {"question", {0, -0.41, -0.2, -0.615, -0.205, 0.205, 0.41, 0.82, 0}},
    // Opens at the top and settles back home in falling steps.
    {"answer", {0, 0.82, 0.41, 0.615, 0.205, -0.205, -0.41, -0.205, 0}},
    {"ratchet", {0, 0.3075, 0, 0.615, 0, 0.82, 0, -0.3075, 0}},
    {"stairs", {-0.82, -0.41, 0, 0.41, 0.82, 0.82, 0, -0.82, -0.82}},
}};

constexpr double kSeqSway = 0.287;  // height of the vertical sway under the stations
constexpr double kLiltLong = 80;    // lilt: long-short pairs that keep two beats
constexpr double kLiltShort = 48;

// Pip of station k: even steps, or long-short pairs.
double station_pip(int k, bool lilt) {
  if (!lilt) {
    return k * kBeat;  // one station a beat
  }
  return (k / 2) * (kLiltLong + kLiltShort) + (k % 2) * kLiltLong;
}

Rule sequence(const Stations& x, bool lilt) {
  std::vector<Keyframe> xs;
  std::vector<Keyframe> ys;
  for (int k = 0; k < 9; ++k) {
    const double pip = station_pip(k, lilt);
    xs.push_back({pip, x[static_cast<std::size_t>(k)]});
    ys.push_back({pip, kSeqSway * sin(2.0 * kPi * k / 8)});
  }
  return keyframes(xs, ys);
}

}  // namespace

Family wave_family() {
  Family family{"wave", "x -0.82 to 0.82", {}};
  family.rows.push_back({"wave_pinched", kPhrase, 1, wave_description("Pinched sine"), curve([](double t) {
                           return Offset3{kPeak * sin(t) * sin(t) * sin(t), 0.0, 0.0};
                         })});
  for (const Wave& wave : kShapedWaves) {
    const auto raw = wave.raw;
    family.rows.push_back({wave.name, kPhrase, 1, wave_description(wave.label),
                           normalised(curve([raw](double t) { return Offset3{raw(t), 0.0, 0.0}; }), kPeak)});
  }
  return family;
}

Family env_family() {
  Family family{"env", "y -0.82 to 0.5", {}};
  for (const Envelope& envelope : kEnvelopes) {
    family.rows.push_back({envelope.name, kPhrase, 2,
                           std::string(envelope.label) + " over an eight-beat phrase; smooth, resting joins.",
                           keyframes({}, envelope.y)});
  }
  return family;
}

Family seq_family() {
  Family family{"seq", "x -0.82 to 0.82; y -0.287 to 0.287", {}};
  for (const Sequence& sequence_shape : kSequences) {
    for (const bool lilt : {false, true}) {
      const std::string timing = lilt ? "lilt" : "even";
      family.rows.push_back({"seq_" + std::string(sequence_shape.shape) + "_" + timing, kPhrase, 2,
                             "A programmed position sequence with " + timing +
                                 " segment durations and softened transitions.",
                             sequence(sequence_shape.x, lilt)});
    }
  }
  return family;
}

}  // namespace pipmoves::authoring::atlas

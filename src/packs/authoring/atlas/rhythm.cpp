// Atlas rhythm families: pulse studies on Euclidean, polymetric, grouped,
// swung and sticking grids. Every event is a raised-cosine pulse peaking on
// its time.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "families.hpp"
#include "../rules.hpp"

namespace pipmoves::authoring::atlas {
namespace {

constexpr int kPhrase = 512;  // eight beats
constexpr double kEighth = 32;

struct Pair {
  int a;
  int b;
};

std::string joined(const char* prefix, std::initializer_list<int> parts) {
  std::string name = prefix;
  for (int part : parts) {
    name += (name.back() == '_' ? "" : "_") + std::to_string(part);
  }
  return name;
}

// ---- euclid -----------------------------------------------------------------

constexpr std::array<Pair, 16> kEuclids{{{2, 5}, {3, 7}, {3, 10}, {4, 9}, {4, 11}, {5, 9}, {5, 11}, {5, 13},
                                         {5, 14}, {6, 13}, {7, 12}, {7, 15}, {7, 17}, {8, 19}, {9, 20}, {11, 24}}};

constexpr double kEuclidHalfWidth = 24;
constexpr double kEuclidSide = 0.75;
constexpr double kEuclidDrop = -0.32;
constexpr double kEuclidQuiet = 0.75;  // every onset but the phrase accent

// k onsets on an n-step grid of eighth notes; the period is the grid.
Rule euclid(int k, int n) {
  std::vector<Pulse> train;
  const std::vector<double> onsets = euclid_onsets(k, n, kEighth * n);
  for (int j = 0; j < k; ++j) {
    const double w = j == 0 ? 1.0 : kEuclidQuiet;
    train.push_back({onsets[static_cast<std::size_t>(j)], kEuclidHalfWidth,
                     {kEuclidSide * w * alternating(j), kEuclidDrop * w, 0.0}});
  }
  return pulses(train);
}

// ---- poly -------------------------------------------------------------------

constexpr std::array<Pair, 16> kPolys{{{2, 5}, {2, 7}, {2, 9}, {3, 5}, {3, 7}, {3, 8}, {3, 10}, {4, 5},
                                       {4, 7}, {4, 9}, {5, 6}, {5, 7}, {5, 8}, {5, 9}, {6, 7}, {7, 8}}};

constexpr double kPolyHalfWidth = 22.4;
constexpr Offset3 kLeftLane{-0.62, -0.26, 0.0};
constexpr Offset3 kRightLane{0.62, -0.26, 0.22};
constexpr double kPolyQuiet = 0.65;  // every pulse but the shared first one

Rule poly(int a, int b) {
  std::vector<Pulse> train;
  for (const auto& [count, lane] : {std::pair{a, kLeftLane}, std::pair{b, kRightLane}}) {
    for (int j = 0; j < count; ++j) {
      const double w = j == 0 ? 1.0 : kPolyQuiet;
      train.push_back({j * static_cast<double>(kPhrase) / count, kPolyHalfWidth, {lane.x * w, lane.y * w, lane.z * w}});
    }
  }
  return pulses(train);
}

// ---- meter ------------------------------------------------------------------

const std::array<std::vector<int>, 16> kMeters{{{2, 3},
                                                {3, 2},
                                                {3, 2, 2},
                                                {2, 3, 2},
                                                {3, 4},
                                                {4, 3},
                                                {2, 2, 2, 3},
                                                {2, 3, 2, 2},
                                                {3, 2, 3, 2},
                                                {3, 3, 2, 3},
                                                {2, 2, 3, 2, 3},
                                                {3, 3, 3, 2},
                                                {4, 3, 3},
                                                {3, 4, 4},
                                                {2, 3, 3, 2, 3},
                                                {3, 3, 3, 4}}};

constexpr double kGroupHalfWidth = 19.2;
constexpr double kGroupSide = 0.72;
constexpr double kGroupDrop = -0.33;
constexpr double kSubdivisionHalfWidth = 32.0 / 3;
constexpr Offset3 kSubdivision{0.0, -0.1134, 0.0504};

int eighths(const std::vector<int>& groups) {
  int total = 0;
  for (int g : groups) total += g;
  return total;
}

Rule meter(const std::vector<int>& groups) {
  std::vector<Pulse> train;
  int eighth = 0;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    train.push_back({eighth * kEighth, kGroupHalfWidth, {kGroupSide * alternating(static_cast<int>(g)), kGroupDrop, 0.0}});
    for (int s = 1; s < groups[g]; ++s) {
      train.push_back({(eighth + s) * kEighth, kSubdivisionHalfWidth, kSubdivision});
    }
    eighth += groups[g];
  }
  return pulses(train);
}

// ---- swing ------------------------------------------------------------------

enum class Score { push, answer, skip, shuffle };

struct ScoreName {
  Score score;
  const char* word;
};

constexpr std::array<ScoreName, 4> kScores{
    {{Score::push, "push"}, {Score::answer, "answer"}, {Score::skip, "skip"}, {Score::shuffle, "shuffle"}}};
constexpr std::array<Pair, 4> kSwingRatios{{{3, 5}, {2, 3}, {5, 7}, {3, 4}}};

constexpr double kOnBeatHalfWidth = 12.8;
constexpr double kBarStartSide = 0.585, kBarStartDrop = 0.216;
constexpr double kBeatSide = 0.4225, kBeatDrop = 0.156;
constexpr double kPushHalfWidth = 8;
constexpr Offset3 kPush{0.075, -0.15, 0.09};
constexpr double kAnswerHalfWidth = 12.8;
constexpr double kAnswerSide = 0.325, kAnswerDrop = -0.12;
constexpr double kGraceHalfWidth = 6.4;
constexpr Offset3 kGrace{0.0525, -0.105, 0.063};

double sign_of_beat(int k) { return k % 2 == 0 ? 1.0 : -1.0; }

Rule swing(Score score, int a, int b) {
  const double offbeat = kBeat * a / b;
  std::vector<Pulse> train;
  for (int k = 0; k < 8; ++k) {
    if (score == Score::skip && (k == 2 || k == 6)) {
      continue;
    }
    const bool bar_start = k == 0 || k == 4;
    train.push_back({kBeat * k, kOnBeatHalfWidth,
                     {sign_of_beat(k) * (bar_start ? kBarStartSide : kBeatSide), -(bar_start ? kBarStartDrop : kBeatDrop), 0.0}});
  }
  for (int k = 0; k < 8; ++k) {
    const double t = kBeat * k + offbeat;
    switch (score) {
      case Score::push:
      case Score::skip:
        train.push_back({t, kPushHalfWidth, kPush});
        break;
      case Score::answer:
      case Score::shuffle:
        // The answer leans the way the following beat leans.
        if (score == Score::shuffle || k >= 4) {
          train.push_back({t, kAnswerHalfWidth, {sign_of_beat(k + 1) * kAnswerSide, kAnswerDrop, 0.0}});
        }
        if (score == Score::shuffle && (k == 3 || k == 7)) {
          train.push_back({kBeat * k + kEighth * a / b, kGraceHalfWidth, kGrace});
        }
        break;
    }
  }
  return pulses(train);
}

// ---- stick_study ------------------------------------------------------------

constexpr std::array<std::string_view, 16> kStickings{
    "RLRRLRLL", "RRLRLLRL", "RLLRLRRL", "RRLLRLRL", "RLRLRRLL", "RRRLLLRL", "RLLLRRRL", "RRLRRLLL",
    "RLRRLLRL", "RRLLRLLR", "RLRLLRRL", "RRRLRLLL", "RRRRLRLL", "RRLLLRRL", "RLRRRLLL", "RRLRLLLR",
};

constexpr double kStrokeHalfWidth = 12;
constexpr double kStrokeSide = 0.74;
constexpr double kStrokeDrop = -0.34;
constexpr double kGroupLead = 1.0;
constexpr double kInnerStroke = 0.55;

// Eight strokes as written, then the same eight with the hands swapped.
Rule stick_study(std::string_view sticking) {
  const std::vector<double> hands = hand_signs(sticking);
  std::vector<Pulse> train;
  for (int j = 0; j < 16; ++j) {
    const double hand = hands[static_cast<std::size_t>(j % 8)] * (j < 8 ? 1.0 : -1.0);
    const double w = j % 4 == 0 ? kGroupLead : kInnerStroke;
    train.push_back({j * kEighth, kStrokeHalfWidth, {kStrokeSide * w * hand, kStrokeDrop * w, 0.0}});
  }
  return pulses(train);
}

}  // namespace

Family euclid_family() {
  Family family{"euclid", "x -0.5625 to 0.75; y -0.32 to 0", {}};
  for (const Pair& e : kEuclids) {
    family.rows.push_back({joined("euclid_", {e.a, e.b}), static_cast<int>(kEighth) * e.b, 2,
                           "Evenly distributed accents with alternating sides; first onset is the phrase accent.",
                           euclid(e.a, e.b)});
  }
  return family;
}

Family poly_family() {
  Family family{"poly", "x -0.403 to 0.403; y -0.52 to 0; z 0 to 0.22", {}};
  for (const Pair& p : kPolys) {
    family.rows.push_back(
        {joined("poly_", {p.a, p.b}), kPhrase, 3,
         "Two independent pulse trains share an eight-beat boundary. Each right-lane gesture includes depth.",
         poly(p.a, p.b)});
  }
  return family;
}

Family meter_family() {
  Family family{"meter", "x -0.72 to 0.72; y -0.33 to 0; z 0 to 0.0504", {}};
  for (const std::vector<int>& groups : kMeters) {
    std::string name = "meter";
    for (int g : groups) name += "_" + std::to_string(g);
    family.rows.push_back({name, static_cast<int>(kEighth) * eighths(groups), 3,
                           "Group starts lean alternately left and right; quieter subdivisions mark the eighth-note grid.",
                           meter(groups)});
  }
  return family;
}

Family swing_family() {
  Family family{"swing", "x -0.4225 to 0.585; y -0.216 to 0; z 0 to 0.09", {}};
  for (const Pair& ratio : kSwingRatios) {
    for (const ScoreName& score : kScores) {
      const std::string a = std::to_string(ratio.a), b = std::to_string(ratio.b);
      family.rows.push_back({"swing_" + std::string(score.word) + "_" + a + "_" + b, kPhrase,
                             score.score == Score::answer ? 2 : 3,
                             "Eight-beat " + std::string(score.word) + " score with offbeats at " + a + "/" + b +
                                 " of each beat; peaks follow the score.",
                             swing(score.score, ratio.a, ratio.b)});
    }
  }
  return family;
}

Family stick_study_family() {
  Family family{"stick_study", "x -0.74 to 0.74; y -0.34 to 0", {}};
  for (std::size_t r = 0; r < kStickings.size(); ++r) {
    const std::string number = (r + 1 < 10 ? "0" : "") + std::to_string(r + 1);
    family.rows.push_back({"stick_study_" + number, kPhrase, 2,
                           "Original R/L movement study with accented group leads, followed by its hand-swapped "
                           "answer. Not an official rudiment transcription.",
                           stick_study(kStickings[r])});
  }
  return family;
}

}  // namespace pipmoves::authoring::atlas

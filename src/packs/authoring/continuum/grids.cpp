// Rhythmic studies, part two: migrating accents, triplet grids, group
// dialogues and bursts. Event times are in beats, as fractions where they fall
// between pips.

#include <algorithm>
#include <array>
#include <numeric>
#include <string>
#include <string_view>
#include <vector>

#include "family.hpp"
#include "families.hpp"

namespace pipmoves::authoring::continuum {
namespace {

std::string joined(const std::vector<int>& numbers) {
  std::string name;
  for (int n : numbers) name += "_" + std::to_string(n);
  return name;
}

// ---- accent_walk ------------------------------------------------------------

struct Walk {
  int pulses;  // per bar, evenly spaced
  int step;    // pulses the motif moves on from one bar to the next
};
constexpr std::array<Walk, 16> kWalks{{{5, 1}, {5, 2}, {7, 1}, {7, 2}, {7, 3}, {8, 1}, {8, 3}, {9, 1},
                                       {9, 2}, {9, 4}, {10, 3}, {11, 2}, {11, 3}, {12, 5}, {13, 3}, {13, 5}}};
constexpr int kWalkBars = 4;
constexpr int kMotifGap = 2;  // pulses between the motif's two accents
constexpr double kWalkWidthShare = 0.4, kWalkWidestPulse = 8.0;
constexpr Offset3 kWalkPulse{0, 0.0104, 0.04};
constexpr Offset3 kFirstAccent{0.3139, -0.1185, 0.1536};
constexpr Offset3 kSecondAccent{-0.2561, -0.09, 0.1};

Rule accent_walk(Walk walk) {
  std::vector<Pulse> train;
  const double spacing = kBar / walk.pulses;
  const double width = std::min(kWalkWidestPulse, kWalkWidthShare * spacing);
  for (int bar = 0; bar < kWalkBars; ++bar) {
    const int first = bar * walk.step % walk.pulses;
    const int second = (first + kMotifGap) % walk.pulses;
    for (int j = 0; j < walk.pulses; ++j) {
      const Offset3 gesture = j == first ? kFirstAccent : j == second ? kSecondAccent : kWalkPulse;
      train.push_back({bar * kBar + j * spacing, width, gesture});
    }
  }
  return pulses(train);
}

// ---- triplet ----------------------------------------------------------------

// Twelve triplet eighths over four beats: A an accent, x a plain gesture,
// . a deliberate omission.
struct TripletPattern {
  std::string_view slots;
  int rotation;  // slots the turnaround's second half is rotated by
};
constexpr std::array<TripletPattern, 8> kTripletPatterns{{
    {"Ax.xx.Ax.x.x", 1},
    {"A.xA.x.xxA.x", 2},
    {"Axx.x.Ax..xx", 3},
    {"A.x.xxA.xx.x", 1},
    {"Ax..xAx.x.x.", 2},
    {"A.xxA.x..xAx", 4},
    {"Axx.A..xxA.x", 1},
    {"A..xA.xx.Ax.", 5},
}};
struct TripletEnding {
  const char* name;
  bool turnaround;
};
constexpr std::array<TripletEnding, 2> kTripletEndings{{{"answer", false}, {"turnaround", true}}};
constexpr double kSlot = kBeat / 3;
constexpr double kOffGrid = kBeat / 6;  // an answer sits half a slot after its gap
constexpr double kTripletWidth = 5.0;
constexpr Offset3 kTripletAccent{-0.2945, -0.192, 0.2072};
constexpr Offset3 kTripletGesture{0.1872, -0.08, 0.08};
constexpr Offset3 kGapAnswer{0.09, 0.0323, 0};

Rule triplet(TripletPattern pattern, TripletEnding ending) {
  std::vector<Pulse> train;
  const int n = static_cast<int>(pattern.slots.size());
  for (int half = 0; half < 2; ++half) {
    const int rotation = half == 1 && ending.turnaround ? pattern.rotation : 0;
    for (int s = 0; s < n; ++s) {
      const char slot = pattern.slots[static_cast<std::size_t>((s + n - rotation) % n)];
      const double t = half * n * kSlot + s * kSlot;
      if (slot == 'A') {
        train.push_back({t, kTripletWidth, kTripletAccent});
      } else if (slot == 'x') {
        train.push_back({t, kTripletWidth, kTripletGesture});
      } else if (!ending.turnaround) {
        train.push_back({t + kOffGrid, kTripletWidth, kGapAnswer});
      }
    }
  }
  return pulses(train);
}

// ---- dialogue ---------------------------------------------------------------

const std::vector<std::vector<int>> kDialogues{
    {3, 4, 5}, {5, 3, 4}, {3, 5, 2}, {2, 5, 4}, {4, 3, 2}, {3, 2, 4, 5}, {5, 2, 3, 4}, {2, 3, 5, 3},
    {3, 4, 3, 5}, {5, 4, 2, 3}, {2, 4, 5, 2}, {4, 5, 3, 2}, {3, 5, 4, 3}, {5, 3, 2, 5}, {2, 5, 3, 5}, {4, 3, 5, 4},
};
constexpr double kEighth = kBeat / 2;
constexpr double kDialogueWidth = 10.0;
constexpr double kPickupLead = kEighth / 2;  // a pickup peaks half an eighth before its group
constexpr double kPickupWidth = 5.0;
constexpr Offset3 kPickup{0, 0, -0.0405};
constexpr double kPassingShare = 0.35;  // of a group's accent, for its other eighths
// Each group speaks in its own direction; the phrase passes between them.
constexpr std::array<Offset3, 4> kGroupVoices{{
    {0.29, -0.32, 0.32}, {-0.31, 0.135, 0.26}, {0.2, -0.24, 0.3}, {-0.24, 0.1, 0.28}}};

int dialogue_period(const std::vector<int>& groups) {
  return static_cast<int>(kEighth) * std::accumulate(groups.begin(), groups.end(), 0);
}

Rule dialogue(const std::vector<int>& groups) {
  std::vector<Pulse> train;
  double start = 0;
  int g = 0;
  for (int length : groups) {
    const Offset3 voice = kGroupVoices[static_cast<std::size_t>(g) % kGroupVoices.size()];
    for (int e = 0; e < length; ++e) {
      train.push_back({start + e * kEighth, kDialogueWidth, e == 0 ? voice : kPassingShare * voice});
    }
    if (g > 0) {
      train.push_back({start - kPickupLead, kPickupWidth, kPickup});
    }
    start += length * kEighth;
    ++g;
  }
  return pulses(train);
}

// ---- burst ------------------------------------------------------------------

struct BurstPlan {
  double start;  // beats
  double span;   // beats the strokes spread over
  Offset3 direction;
};
// Three bursts with gaps between them, then a late settling accent.
constexpr std::array<BurstPlan, 3> kBurstPlans{{
    {0, 1, {0.2671, 0.24, 0.06}},
    {2.5, 1, {-0.279, 0.05, 0.1891}},
    {4.75, 1.25, {0.08, -0.288, -0.072}},
}};
constexpr double kSettleBeat = 7.25;
constexpr Offset3 kSettle{-0.12, -0.2, 0.12};
constexpr double kSettleWidth = 10.0;
constexpr double kBurstWidthShare = 0.4, kBurstWidestPulse = 8.0;
// A narrower stroke turns within a pip at its edges: a corner, not a flick.
constexpr double kBurstNarrowestPulse = 4.5;
constexpr double kBurstFade = 0.55;  // the last stroke of a burst against its first

constexpr std::array<std::array<int, 3>, 16> kBursts{{
    {3, 5, 2}, {4, 3, 6}, {5, 2, 4}, {2, 7, 3}, {3, 4, 5}, {5, 3, 7}, {6, 2, 5}, {4, 7, 2},
    {7, 3, 4}, {2, 5, 6}, {5, 7, 3}, {3, 6, 4}, {4, 5, 7}, {6, 3, 5}, {7, 4, 3}, {5, 6, 2},
}};

Rule burst(const std::array<int, 3>& strokes) {
  std::vector<Pulse> train;
  for (std::size_t b = 0; b < kBurstPlans.size(); ++b) {
    const BurstPlan& plan = kBurstPlans[b];
    const int n = strokes[b];
    const double spacing = plan.span * kBeat / n;
    const double width = std::clamp(kBurstWidthShare * spacing, kBurstNarrowestPulse, kBurstWidestPulse);
    for (int k = 0; k < n; ++k) {
      const double fade = n == 1 ? 1.0 : 1.0 - (1.0 - kBurstFade) * k / (n - 1);
      train.push_back({plan.start * kBeat + k * spacing, width, fade * plan.direction});
    }
  }
  train.push_back({kSettleBeat * kBeat, kSettleWidth, kSettle});
  return pulses(train);
}

}  // namespace

Family accent_walk_family() {
  std::vector<Draft> drafts;
  for (const Walk& walk : kWalks) {
    drafts.push_back({"accent_walk" + joined({walk.pulses, walk.step}), 1024, 3, accent_walk(walk)});
  }
  return fitted_family("accent_walk",
                       "A four-bar grid keeps its pulse spacing while a two-accent motif migrates between bars.",
                       "x -0.2561 to 0.3139; y -0.1185 to 0.0104; z 0 to 0.1536", std::move(drafts));
}

Family triplet_family() {
  std::vector<Draft> drafts;
  for (std::size_t k = 0; k < kTripletPatterns.size(); ++k) {
    for (const TripletEnding& ending : kTripletEndings) {
      drafts.push_back({"triplet_" + two_digits(static_cast<int>(k) + 1) + "_" + ending.name, 512, 3,
                        triplet(kTripletPatterns[k], ending)});
    }
  }
  return fitted_family("triplet",
                       "Triplet-grid gestures with deliberate omissions; gaps either answer off-grid or rotate after "
                       "four beats.",
                       "x -0.2945 to 0.1872; y -0.192 to 0.0323; z 0 to 0.2072", std::move(drafts));
}

Family dialogue_family() {
  std::vector<Draft> drafts;
  for (const std::vector<int>& groups : kDialogues) {
    drafts.push_back({"dialogue" + joined(groups), dialogue_period(groups), 3, dialogue(groups)});
  }
  return fitted_family("dialogue",
                       "Different eighth-note group lengths pass a phrase between directions, with late pickup "
                       "responses.",
                       "x -0.31 to 0.29; y -0.32 to 0.135; z -0.0405 to 0.32", std::move(drafts));
}

Family burst_family() {
  std::vector<Draft> drafts;
  for (const auto& strokes : kBursts) {
    drafts.push_back({"burst" + joined({strokes[0], strokes[1], strokes[2]}), 512, 3, burst(strokes)});
  }
  return fitted_family("burst", "Three unevenly subdivided directional bursts, deliberate gaps and a late settling accent.",
                       "x -0.279 to 0.2671; y -0.288 to 0.24; z -0.072 to 0.1891", std::move(drafts));
}

}  // namespace pipmoves::authoring::continuum

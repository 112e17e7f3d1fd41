// Rhythmic studies, part one: canons, echoes, subdivision ladders and accent
// necklaces. Event times are in beats, as fractions where they fall between
// pips.

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "family.hpp"
#include "families.hpp"

namespace pipmoves::authoring::continuum {
namespace {

// ---- canon ------------------------------------------------------------------

struct Note {
  double beat;
  double weight;
  double side;  // +1 right, -1 left
};
// Motifs sit within the first two and a half beats, so that even the late
// response is over before the second half begins.
const std::array<std::vector<Note>, 8> kCanonMotifs{{
    {{0, 1, 1}, {2.0 / 3, 0.6, -1}, {1, 0.8, 1}, {5.0 / 3, 0.6, -1}},
    {{0, 1, 1}, {0.5, 0.55, 1}, {0.75, 0.7, -1}, {1.5, 0.85, -1}, {2, 0.6, 1}},
    {{0, 1, -1}, {1.0 / 3, 0.6, 1}, {1, 0.9, -1}, {4.0 / 3, 0.6, 1}, {2, 0.7, -1}},
    {{0, 1, 1}, {0.75, 0.7, -1}, {1.5, 0.8, 1}, {2.25, 0.65, -1}},
    {{0, 1, 1}, {0.25, 0.5, 1}, {0.5, 0.7, -1}, {1.5, 0.9, -1}, {1.75, 0.55, 1}},
    {{0, 1, -1}, {2.0 / 3, 0.75, -1}, {4.0 / 3, 0.75, 1}, {2, 0.9, 1}},
    {{0, 1, 1}, {0.5, 0.6, -1}, {5.0 / 6, 0.7, -1}, {1.5, 0.85, 1}, {11.0 / 6, 0.6, -1}},
    {{0, 1, -1}, {1.0 / 3, 0.6, 1}, {2.0 / 3, 0.6, 1}, {1.25, 0.85, -1}, {2, 0.7, 1}},
}};
struct CanonDelay {
  const char* name;
  double beats;
};
constexpr std::array<CanonDelay, 2> kCanonDelays{{{"close", 0.5}, {"late", 4.0 / 3}}};
constexpr double kCanonHalf = 4.0;          // beats; the second half alters the response
constexpr double kCanonAlteredLag = 0.25;  // the altered response's last note comes late
constexpr double kCanonWidth = 6.0;         // half-width of every gesture, pips
constexpr Offset3 kLateral{0.27, -0.31, 0};   // a lateral-lane gesture, side on x
constexpr Offset3 kDepthLane{0, 0.03, 0.25};  // a depth-lane gesture, lifting a little
constexpr Offset3 kDepthLead{0, -0.2, 0.25};  // the motif itself in the depth lane
constexpr double kMirroredSize = 0.93;        // of the mirrored lateral answer
constexpr double kAnswerLift = 0.03;          // answers rise a little

Rule canon(const std::vector<Note>& motif, CanonDelay delay) {
  std::vector<Pulse> train;
  for (std::size_t k = 0; k < motif.size(); ++k) {
    const Note& n = motif[k];
    const Offset3 lateral{n.side * kLateral.x, kLateral.y, 0};
    // First half: the motif leads on the lateral lane, the depth lane answers.
    train.push_back({n.beat * kBeat, kCanonWidth, n.weight * lateral});
    train.push_back({(n.beat + delay.beats) * kBeat, kCanonWidth, n.weight * kDepthLane});
    // Second half: the motif leads in depth; the lateral answer comes back
    // mirrored, its last note pushed late.
    const bool last = k + 1 == motif.size();
    const Offset3 mirrored{-n.side * kMirroredSize * kLateral.x, kAnswerLift, 0};
    train.push_back({(kCanonHalf + n.beat) * kBeat, kCanonWidth, n.weight * kDepthLead});
    train.push_back({(kCanonHalf + n.beat + delay.beats + (last ? kCanonAlteredLag : 0)) * kBeat, kCanonWidth,
                     n.weight * mirrored});
  }
  return pulses(train);
}

// ---- echo -------------------------------------------------------------------

struct EchoKind {
  const char* name;
  double first_gap;  // beats from the call to its first echo
  double gap_ratio;  // each gap against the one before
  bool crossed;      // echoes swap sides one after another
};
constexpr std::array<EchoKind, 4> kEchoKinds{{{"regular", 0.5, 1.0, false},
                                              {"shrinking", 0.75, 0.75, false},
                                              {"expanding", 0.25, 4.0 / 3, false},
                                              {"crossed", 0.5, 1.0, true}}};
constexpr std::array<int, 4> kEchoCounts{3, 4, 5, 6};
constexpr double kEchoDecay = 0.7;
constexpr double kEchoWidth = 5.0;
constexpr double kAnswerBeat = 4.0;
constexpr Offset3 kCall{-0.31, -0.2656, 0.22};
constexpr Offset3 kAnswer{0.24, 0.26, -0.072};

std::vector<Pulse> echoed(Offset3 gesture, double start, EchoKind kind, int count) {
  std::vector<Pulse> train{{start * kBeat, kEchoWidth, gesture}};
  double at = start;
  double gap = kind.first_gap;
  double gain = 1.0;
  for (int j = 1; j <= count; ++j) {
    at += gap;
    gap *= kind.gap_ratio;
    gain *= kEchoDecay;
    const double side = kind.crossed && j % 2 == 1 ? -1.0 : 1.0;
    train.push_back({at * kBeat, kEchoWidth, {side * gain * gesture.x, gain * gesture.y, gain * gesture.z}});
  }
  return train;
}

Rule echo(EchoKind kind, int count) {
  std::vector<Pulse> train = echoed(kCall, 0, kind, count);
  for (const Pulse& p : echoed(kAnswer, kAnswerBeat, kind, count)) train.push_back(p);
  return pulses(train);
}

// ---- ladder -----------------------------------------------------------------

constexpr std::array<std::array<int, 4>, 16> kLadders{{
    {2, 3, 4, 6}, {3, 5, 4, 2}, {2, 5, 3, 7}, {4, 3, 6, 5}, {2, 4, 7, 3}, {3, 6, 2, 5}, {5, 3, 7, 4}, {6, 4, 3, 2},
    {2, 7, 4, 5}, {7, 3, 5, 2}, {4, 7, 3, 6}, {5, 2, 6, 3}, {3, 4, 5, 7}, {6, 5, 4, 3}, {7, 5, 3, 4}, {4, 6, 7, 5},
}};
constexpr double kRegionPips = 2 * kBeat;
constexpr double kLadderWidthShare = 0.4;  // of the spacing, so events never touch
constexpr double kLadderWidestPulse = 10.0;
constexpr Offset3 kRegionAccent{0.3, -0.32, 0.32};  // x side alternates by region
constexpr Offset3 kLadderStep{0.1, 0.05, 0.13};

Rule ladder(const std::array<int, 4>& counts) {
  std::vector<Pulse> train;
  for (int r = 0; r < 4; ++r) {
    const double spacing = kRegionPips / counts[r];
    const double width = std::min(kLadderWidestPulse, kLadderWidthShare * spacing);
    const double side = r % 2 == 0 ? 1.0 : -1.0;
    for (int e = 0; e < counts[r]; ++e) {
      const Offset3 gesture = e == 0 ? kRegionAccent : kLadderStep;
      train.push_back({r * kRegionPips + e * spacing, width, {side * gesture.x, gesture.y, gesture.z}});
    }
  }
  return pulses(train);
}

// ---- necklace ---------------------------------------------------------------

// One character per eighth note over eight beats: 1 an accent, 0 its
// complement on the other side.
constexpr std::array<std::string_view, 16> kNecklaceWords{{
    "1001001000100100", "1010010010100100", "1001010010010100", "1100100011001000",
    "1000100100101000", "1011001010110010", "1001001010010010", "1010100100101001",
    "1101001001101000", "1000101000101010", "1001100100011001", "1110010011000100",
    "1010010100100101", "1000010010000100", "1101101001011010", "1011010110101101",
}};
constexpr double kNecklaceStep = kBeat / 2;
constexpr double kNecklaceWidth = 10.0;
constexpr Offset3 kAccentBead{-0.248, -0.096, 0};
constexpr Offset3 kComplementBead{0.1015, 0.0222, 0};
constexpr double kLowestRise = 0.35, kHighestRise = 0.16;  // depth of the first and last accents

Rule necklace(std::string_view word) {
  std::vector<Pulse> train;
  const auto accents = static_cast<int>(std::count(word.begin(), word.end(), '1'));
  int rank = 0;
  for (std::size_t k = 0; k < word.size(); ++k) {
    const double t = k * kNecklaceStep;
    if (word[k] == '1') {
      const double rise = accents == 1 ? 1.0 : kLowestRise + (1.0 - kLowestRise) * rank / (accents - 1);
      train.push_back({t, kNecklaceWidth, {kAccentBead.x, kAccentBead.y, kHighestRise * rise}});
      ++rank;
    } else {
      train.push_back({t, kNecklaceWidth, kComplementBead});
    }
  }
  return pulses(train);
}

std::string joined(const std::array<int, 4>& counts) {
  std::string name;
  for (int n : counts) name += "_" + std::to_string(n);
  return name;
}

}  // namespace

Family canon_family() {
  std::vector<Draft> drafts;
  for (std::size_t m = 0; m < kCanonMotifs.size(); ++m) {
    for (const CanonDelay& delay : kCanonDelays) {
      drafts.push_back({"canon_" + two_digits(static_cast<int>(m) + 1) + "_" + delay.name, 512, 3,
                        canon(kCanonMotifs[m], delay)});
    }
  }
  return fitted_family("canon",
                       "A rational-beat motif passes between lateral and depth lanes, with an altered second-half "
                       "response.",
                       "x -0.279 to 0.251; y -0.3109 to 0.03; z 0 to 0.258", std::move(drafts));
}

Family echo_family() {
  std::vector<Draft> drafts;
  for (int count : kEchoCounts) {
    for (const EchoKind& kind : kEchoKinds) {
      drafts.push_back({std::string("echo_") + kind.name + "_" + std::to_string(count), 512, 3, echo(kind, count)});
    }
  }
  return fitted_family("echo",
                       "An original decaying call and a differently directed answer; echo spacing is preserved as "
                       "fractions.",
                       "x -0.31 to 0.2407; y -0.2656 to 0.2601; z -0.072 to 0.2202", std::move(drafts));
}

Family ladder_family() {
  std::vector<Draft> drafts;
  for (const auto& counts : kLadders) {
    drafts.push_back({"ladder" + joined(counts), 512, 3, ladder(counts)});
  }
  return fitted_family("ladder", "Four two-beat regions change subdivision density while accents mark region starts.",
                       "x -0.31 to 0.29; y -0.32 to 0.05; z 0 to 0.32", std::move(drafts));
}

Family necklace_family() {
  std::vector<Draft> drafts;
  for (std::size_t k = 0; k < kNecklaceWords.size(); ++k) {
    drafts.push_back({"necklace_" + two_digits(static_cast<int>(k) + 1), 512, 3, necklace(kNecklaceWords[k])});
  }
  return fitted_family("necklace",
                       "A hand-authored binary accent word; its complement moves the other side and rising accents add "
                       "depth.",
                       "x -0.248 to 0.1015; y -0.096 to 0.0222; z 0 to 0.1592", std::move(drafts));
}

}  // namespace pipmoves::authoring::continuum

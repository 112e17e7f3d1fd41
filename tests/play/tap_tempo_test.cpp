#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "pipmoves/play/clock.hpp"
#include "user/throws_matcher.hpp"

namespace pipmoves::play {
namespace {

using pipmoves::testing::ThrowsExactly;

constexpr double kJitter = 0.015;  // seconds either way, a steady hand

// Taps on beats 0..count-1 from first_beat, each off by up to kJitter.
std::vector<double> jittered_taps(double bpm, double first_beat, int count, std::mt19937& random) {
  std::uniform_real_distribution<double> jitter(-kJitter, kJitter);
  std::vector<double> taps;
  for (int k = 0; k < count; ++k) {
    taps.push_back(first_beat + k * 60.0 / bpm + jitter(random));
  }
  return taps;
}

void expect_beat(const Clock& clock, double bpm, double first_beat, const std::string& what) {
  EXPECT_NEAR(clock.bpm(), bpm, bpm * 0.01) << what;
  EXPECT_NEAR(clock.beat_zero_seconds(), first_beat, kJitter) << what;
}

TEST(TapTempo, EstimatesTempoAndPhaseFromJitteredTaps) {
  std::mt19937 random(15);
  for (const double bpm : {72.0, 124.0, 174.0}) {
    for (int trial = 0; trial < 40; ++trial) {
      expect_beat(tap_tempo(jittered_taps(bpm, 10.0 + trial, 8, random)), bpm, 10.0 + trial,
                  std::to_string(bpm) + " BPM, trial " + std::to_string(trial));
    }
  }
}

TEST(TapTempo, IgnoresOneStrayTap) {
  const double beat = 60.0 / 124.0;
  struct Stray {
    const char* what;
    int replaced;  // the tap it moves, or -1 to add one
    double at_beat;
  };
  const Stray strays[] = {{"extra tap between beats", -1, 3.5}, {"tap far off its beat", 4, 4.4},
                          {"early tap before the first", -1, -0.45}, {"late tap after the last", -1, 7.3},
                          {"early tap off its beat", 5, 4.62}};
  std::mt19937 random(124);
  for (const Stray& stray : strays) {
    for (int trial = 0; trial < 20; ++trial) {
      std::vector<double> taps = jittered_taps(124.0, 3.0, 8, random);
      if (stray.replaced >= 0) {
        taps[static_cast<std::size_t>(stray.replaced)] = 3.0 + stray.at_beat * beat;
      } else {
        taps.push_back(3.0 + stray.at_beat * beat);
        std::sort(taps.begin(), taps.end());
      }
      expect_beat(tap_tempo(taps), 124.0, 3.0, stray.what);
    }
  }
}

TEST(TapTempo, SkippedBeatsCountAsBeats) {
  const Clock clock = tap_tempo(std::vector<double>{1.0, 1.5, 2.5, 3.0, 4.5});
  EXPECT_DOUBLE_EQ(clock.bpm(), 120.0);
  EXPECT_DOUBLE_EQ(clock.beat_zero_seconds(), 1.0);
}

TEST(TapTempo, TwoTapsGiveTheirInterval) {
  const Clock clock = tap_tempo(std::vector<double>{-2.0, -1.5});
  EXPECT_EQ(clock.bpm(), 120.0);
  EXPECT_EQ(clock.beat_zero_seconds(), -2.0);
}

TEST(TapTempo, RefusesTooFewTooManyAndDisorderedTaps) {
  const char* count = "Tap tempo needs 2..1024 taps";
  const char* order = "Tap times must be finite and increasing";
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([] { tap_tempo({}); }, count));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([] { tap_tempo(std::vector<double>{1.0}); }, count));
  std::vector<double> many(1025);
  for (std::size_t i = 0; i < many.size(); ++i) {
    many[i] = 0.5 * static_cast<double>(i);
  }
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { tap_tempo(many); }, count));
  many.pop_back();
  EXPECT_DOUBLE_EQ(tap_tempo(many).bpm(), 120.0);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (const std::vector<double>& taps : std::vector<std::vector<double>>{
           {0.0, 0.5, 0.5}, {0.0, 1.0, 0.5}, {0.0, nan, 1.0}, {-inf, 0.0}, {0.0, inf}}) {
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { tap_tempo(taps); }, order));
  }
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([] { tap_tempo(std::vector<double>{0.0, 1e6}); },
                                                   "Tempo must be finite and within [0.001, 1000000] BPM"));
}

}  // namespace
}  // namespace pipmoves::play

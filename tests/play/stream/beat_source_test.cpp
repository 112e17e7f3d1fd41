#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "beat_source.hpp"

namespace pipmoves::play::stream {
namespace {

TEST(FixedTempo, BeatZeroFallsOnTheFirstFrame) {
  FixedTempo tempo(120.0);
  EXPECT_EQ(0.0, tempo.position_at(0.0));
  EXPECT_DOUBLE_EQ(128.0, tempo.position_at(1.0));
}

TEST(TappedTempo, KeepsItsTempoUntilTwoTapsOfARun) {
  TappedTempo tempo(120.0);
  EXPECT_FALSE(tempo.tap(10.0));
  EXPECT_DOUBLE_EQ(128.0 * 11.0, tempo.position_at(11.0));
  EXPECT_FALSE(tempo.tap(13.0));  // a pause ends the run
  const auto bpm = tempo.tap(13.5);
  ASSERT_TRUE(bpm);
  EXPECT_DOUBLE_EQ(120.0, *bpm);
}

TEST(TappedTempo, GlidesOntoTheTappedPhaseOnTheBeatTheShowHasReached) {
  TappedTempo tempo(120.0);
  // At 100 BPM, taps at 20.1 s and 20.7 s: the show had reached beat 41.4 at
  // 120 BPM, so the second tap becomes beat 41 and the tempo 100. The show
  // goes on from where it was and is on the tapped beats a tapped beat later.
  tempo.tap(20.1);
  ASSERT_TRUE(tempo.tap(20.7));
  EXPECT_DOUBLE_EQ(128.0 * 20.7, tempo.position_at(20.7));
  EXPECT_NEAR(42.0 * 64.0, tempo.position_at(21.3), 1e-9);
  EXPECT_NEAR(43.0 * 64.0, tempo.position_at(21.9), 1e-9);
}

// Runs of taps at tempos and phases that put the tapped beat before and after
// where the show is, some taps off their beat, sampled every millisecond
// through the run and the glide after it. The show never steps back nor
// stalls: each millisecond moves it on by a quarter of the slower tempo's
// pips or more.
TEST(TappedTempo, NeverStepsBackWhateverTheTapsSay) {
  struct Run {
    double from_bpm;
    double tapped_bpm;
    double first_tap;
    double jitter;  // seconds, alternately late and early
  };
  const std::vector<Run> runs{
      {120.0, 200.0, 0.10, 0.0},  {120.0, 200.0, 0.26, 0.0},  {200.0, 60.0, 1.05, 0.0},
      {60.0, 240.0, 0.51, 0.01},  {128.0, 127.0, 3.33, 0.004}, {90.0, 180.0, 0.77, 0.02},
      {300.0, 40.0, 0.2, 0.0},    {40.0, 300.0, 0.2, 0.003},
  };
  for (const Run& run : runs) {
    TappedTempo tempo(run.from_bpm);
    std::vector<double> taps;
    for (int i = 0; i < 10; ++i) {
      taps.push_back(run.first_tap + i * 60.0 / run.tapped_bpm + (i % 2 == 0 ? run.jitter : -run.jitter));
    }
    const double slowest = std::min(run.from_bpm, run.tapped_bpm) / 60.0 * 64.0 / 4.0;  // pips a second
    double shown = tempo.position_at(0.0);
    std::size_t next_tap = 0;
    for (int ms = 1; ms <= 8000; ++ms) {
      const double seconds = ms / 1000.0;
      while (next_tap < taps.size() && taps[next_tap] <= seconds) {
        tempo.tap(taps[next_tap++]);
      }
      const double position = tempo.position_at(seconds);
      ASSERT_GE(position - shown, slowest / 1000.0 * (1.0 - 1e-9))
          << run.from_bpm << " to " << run.tapped_bpm << " BPM at " << seconds << " s";
      shown = position;
    }
    // Long after the last tap the show runs on the tapped tempo, on its beats.
    const double beat = 60.0 / run.tapped_bpm;
    EXPECT_NEAR(64.0, tempo.position_at(9.0 + beat) - tempo.position_at(9.0), 0.5) << run.tapped_bpm;
  }
}

TEST(TappedTempo, AMomentAfterATapThatLandedLateNeverShowsLess) {
  // A frame shows 1.0 s at 300 BPM; the tap thread then brings taps at 40 BPM
  // stamped 0.9 s and before: the next frame, at 1.02 s, shows no less.
  TappedTempo tempo(300.0);
  const double shown = tempo.position_at(1.0);
  tempo.tap(0.9 - 1.5);
  tempo.tap(0.9);
  EXPECT_GE(tempo.position_at(1.02), shown);
}

TEST(TappedTempo, TapsTooFarApartForATempoStartARunAgain) {
  TappedTempo tempo(120.0);
  tempo.tap(0.0);
  tempo.tap(1e-7);  // 6e8 BPM: no tempo, the run restarts here
  EXPECT_DOUBLE_EQ(128.0, tempo.position_at(1.0));
  EXPECT_TRUE(tempo.tap(0.5));
}

}  // namespace
}  // namespace pipmoves::play::stream

#include <gtest/gtest.h>

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

TEST(TappedTempo, TakesTheTappedPhaseOnTheBeatTheShowHasReached) {
  TappedTempo tempo(120.0);
  // At 100 BPM, taps at 20.1 s and 20.7 s: the show had reached about beat 40
  // at 120 BPM, so the second tap becomes beat 41 and the tempo 100.
  tempo.tap(20.1);
  ASSERT_TRUE(tempo.tap(20.7));
  EXPECT_DOUBLE_EQ(41.0 * 64.0, tempo.position_at(20.7));
  EXPECT_DOUBLE_EQ(42.0 * 64.0, tempo.position_at(21.3));
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

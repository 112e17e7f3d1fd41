#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <vector>

#include "pipmoves/play/clock.hpp"
#include "play_support.hpp"
#include "user/throws_matcher.hpp"

namespace pipmoves::play {
namespace {

using pipmoves::testing::ThrowsExactly;
using testing::kMaxPip;
using testing::kMinPip;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr const char* kTempo = "Tempo must be finite and within [0.001, 1000000] BPM";
constexpr const char* kChanges = "Tempo changes must come at finite increasing beats after beat zero";
constexpr const char* kTime = "Time must be finite and within the clock's range";

std::vector<Clock> clocks() {
  return {Clock(124.0), Clock(Clock::kMinBpm, -3.25), Clock(Clock::kMaxBpm, 1234.5), Clock(60.0, 0.1),
          Clock(174.5, 86400.0, {{4.0, 87.25}, {4.5, 999.0}, {16.0, 0.5}, {200000.0, 130.0}}),
          Clock(90.0, -7.0, {{1.0, 180.0}, {3.0, 45.0}})};
}

std::vector<std::int32_t> pips_over_the_whole_range() {
  std::vector<std::int32_t> pips = testing::pip_sweep();
  for (std::int64_t pip = kMinPip; pip <= kMaxPip; pip += 214749) {
    pips.push_back(static_cast<std::int32_t>(pip));
  }
  for (std::int32_t pip = -300; pip <= 300; ++pip) {
    pips.push_back(pip);
  }
  return pips;
}

TEST(Clock, SecondsAtIsTheEarliestTimeOfEveryPip) {
  const std::vector<std::int32_t> pips = pips_over_the_whole_range();
  for (const Clock& clock : clocks()) {
    for (const std::int32_t pip : pips) {
      const double t = clock.seconds_at(pip);
      ASSERT_EQ(clock.pip_at(t), pip) << clock.bpm() << " BPM at pip " << pip;
      ASSERT_EQ(clock.pip_at(std::nextafter(t, -kInf)), advance_pip(pip, -1, 1))
          << clock.bpm() << " BPM at pip " << pip;
    }
  }
}

TEST(Clock, PipAtFloorsThePositionAndWraps) {
  const Clock clock(60.0);  // 64 pips a second
  EXPECT_EQ(clock.position_at(0.5), 32.0);
  EXPECT_EQ(clock.pip_at(0.0), 0);
  EXPECT_EQ(clock.pip_at(-1e-9), -1);
  EXPECT_EQ(clock.pip_at(0.99 / 64), 0);
  EXPECT_EQ(clock.pip_at(1.0 / 64), 1);
  EXPECT_EQ(clock.pip_at(-2.5 / 64), -3);
  EXPECT_EQ(clock.pip_at(33554432.0), kMinPip);
  EXPECT_EQ(clock.pip_at(-33554432.0 - 1.0 / 64), kMaxPip);
  EXPECT_EQ(clock.pip_at(67108864.0 + 0.5), 32);
}

TEST(Clock, TempoChangesAtBeatsWithoutAJump) {
  const Clock clock(120.0, 2.0, {{4.0, 60.0}, {6.0, 240.0}});
  EXPECT_EQ(clock.seconds_at(4 * 64), 4.0);  // four beats at 120 BPM
  EXPECT_EQ(clock.seconds_at(6 * 64), 6.0);  // two at 60
  EXPECT_EQ(clock.seconds_at(10 * 64), 7.0);  // four at 240
  EXPECT_EQ(clock.seconds_at(-64), 1.5);
  EXPECT_EQ(clock.bpm_at(3.999), 120.0);
  EXPECT_EQ(clock.bpm_at(4.0), 60.0);
  EXPECT_EQ(clock.bpm_at(6.5), 240.0);
  EXPECT_EQ(clock.bpm_at(-100.0), 120.0);
  for (const Clock& any : clocks()) {
    for (const TempoChange& change : any.changes()) {
      const double at = any.seconds_at(static_cast<std::int32_t>(change.beat * 64));
      const double before = any.position_at(std::nextafter(at, -kInf));
      EXPECT_LE(before, any.position_at(at));
      EXPECT_NEAR(before, change.beat * 64, 1e-6 * change.beat * 64);
      EXPECT_EQ(any.bpm_at(at), change.bpm);
    }
  }
}

TEST(Clock, PositionNeverFallsBackAcrossAChange) {
  const Clock clock(97.0, 0.3, {{1.0 / 3.0, 131.0}, {1.0 / 3.0 + 1e-9, 13.0}, {2.0, 1000.0}});
  double previous = clock.position_at(0.0);
  for (double t = 0.0; t < 3.0; t += 1e-4) {
    const double position = clock.position_at(t);
    ASSERT_GE(position, previous) << t;
    previous = position;
  }
}

TEST(Clock, AnchoringMovesTheBeatsInTimeAndKeepsTheTempo) {
  const Clock clock(120.0, 1.0, {{4.0, 60.0}});
  const Clock now = clock.anchored(10.0);
  EXPECT_EQ(now.beat_zero_seconds(), 10.0);
  EXPECT_EQ(now.position_at(10.0), 0.0);
  EXPECT_EQ(now.seconds_at(5 * 64) - now.seconds_at(4 * 64), 1.0);
  const Clock bar = clock.anchored(10.0, 8.0);  // beat 8 now: 4 beats at 120, 4 at 60
  EXPECT_EQ(bar.beat_zero_seconds(), 4.0);
  EXPECT_EQ(bar.position_at(10.0), 8.0 * 64);
  EXPECT_EQ(bar.bpm(), 120.0);
  ASSERT_EQ(bar.changes().size(), 1u);
  EXPECT_EQ(bar.changes()[0].beat, 4.0);
  EXPECT_EQ(bar.changes()[0].bpm, 60.0);
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { clock.anchored(kNaN); }, kTime));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { clock.anchored(0.0, kInf); }, kTime));
}

TEST(Clock, RefusesTemposOriginsAndChangesByMessage) {
  for (const double bpm : {0.0, -0.0, -120.0, kNaN, kInf, -kInf, std::nextafter(Clock::kMinBpm, 0.0),
                           std::nextafter(Clock::kMaxBpm, kInf)}) {
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { Clock{bpm}; }, kTempo)) << bpm;
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { Clock(120.0, 0.0, {{1.0, bpm}}); }, kTempo)) << bpm;
  }
  EXPECT_NO_THROW(Clock(Clock::kMinBpm, -5.0, {{1.0, Clock::kMaxBpm}}));
  for (const double origin : {kNaN, kInf, -kInf}) {
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { Clock(120.0, origin); }, "Beat origin must be finite"));
  }
  const std::vector<std::vector<TempoChange>> bad = {
      {{0.0, 100.0}}, {{-1.0, 100.0}}, {{kNaN, 100.0}}, {{kInf, 100.0}}, {{2.0, 100.0}, {2.0, 90.0}},
      {{2.0, 100.0}, {1.0, 90.0}}, {{70368744177664.0, 100.0}}};
  for (const std::vector<TempoChange>& changes : bad) {
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { Clock(120.0, 0.0, changes); }, kChanges));
  }
  // The bad beat is reported before the bad tempo beside it.
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([] { Clock(120.0, 0.0, {{-1.0, 0.0}}); }, kChanges));
}

TEST(Clock, RefusesTimesOutsideItsRange) {
  const Clock clock(120.0);
  for (const double t : {kNaN, kInf, -kInf, 1e300, -1e300, Clock::kMaxPosition / 128.0}) {
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { clock.pip_at(t); }, kTime)) << t;
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { clock.position_at(t); }, kTime)) << t;
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { clock.bpm_at(t); }, kTime)) << t;
  }
  EXPECT_NO_THROW(clock.pip_at(std::nextafter(Clock::kMaxPosition / 128.0, 0.0)));
}

}  // namespace
}  // namespace pipmoves::play

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <span>
#include <stdexcept>
#include <vector>

#include "pipmoves/play/beat_tracker.hpp"
#include "pipmoves/play/following_clock.hpp"
#include "user/throws_matcher.hpp"

namespace pipmoves::play {
namespace {

using pipmoves::testing::ThrowsExactly;

constexpr std::int64_t kRate = 44100;

// A kick-like thump on every beat and a tick between: decaying low sine and
// noise bursts, the onsets aubio hears in a drum loop.
std::vector<float> click_track(double bpm, double seconds, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::normal_distribution<float> noise(0.0f, 1.0f);
  std::vector<float> out(static_cast<std::size_t>(seconds * kRate));
  const double period = 60.0 / bpm;
  for (double beat = 0.0; beat < seconds; beat += period / 2) {
    const bool on_beat = std::fmod(beat + 1e-9, period) < period / 4;
    const auto start = static_cast<std::size_t>(beat * kRate);
    for (std::size_t i = 0; i < 4000 && start + i < out.size(); ++i) {
      const double t = static_cast<double>(i) / kRate;
      const double thump = on_beat ? 0.8 * std::sin(2 * std::numbers::pi * 60.0 * t) * std::exp(-t * 30.0) : 0.0;
      out[start + i] += static_cast<float>(thump + 0.3 * noise(random) * std::exp(-t * (on_beat ? 80.0 : 200.0)));
    }
  }
  return out;
}

TEST(BeatTracker, RefusesSampleRatesNoAudioHas) {
  for (const std::int64_t rate : {std::int64_t{0}, std::int64_t{-44100}, std::int64_t{3999}, std::int64_t{768001}}) {
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([rate] { BeatTracker tracker(rate); },
                                                     "Sample rate must be 4000 to 768000 Hz"));
  }
}

TEST(BeatTracker, RefusesABlockWithNonFiniteSamplesWithoutFeedingAnyOfIt) {
  BeatTracker tracker(kRate);
  std::vector<float> block(10000, 0.1f);
  for (const float bad : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
    block[9000] = bad;
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { tracker.feed(block); }, "Samples must be finite"));
    EXPECT_EQ(tracker.seconds_fed(), 0.0);
  }
}

TEST(BeatTracker, FindsTheBeatOfAClickTrackFedInBlocksOfAnyLength) {
  for (const double bpm : {100.0, 124.0}) {
    const std::vector<float> audio = click_track(bpm, 16.0, 7);
    BeatTracker tracker(kRate);
    std::mt19937 random(static_cast<std::uint32_t>(bpm));
    std::uniform_int_distribution<std::size_t> length(0, 3000);
    std::vector<double> beats;
    for (std::size_t at = 0; at < audio.size();) {
      const std::size_t n = std::min(length(random), audio.size() - at);
      for (const double beat : tracker.feed(std::span(audio).subspan(at, n))) {
        ASSERT_TRUE(beats.empty() || beat > beats.back());
        beats.push_back(beat);
      }
      at += n;
    }
    EXPECT_NEAR(tracker.seconds_fed(), 16.0, 1.0 / kRate);
    ASSERT_GT(beats.size(), 10u) << bpm;
    EXPECT_EQ(tracker.last_beat_seconds(), beats.back());
    // aubio may skip a beat where it re-reads the tempo: each interval is a
    // whole number of beats, and the beats fall on the clicks.
    const double period = 60.0 / bpm;
    std::vector<double> tempos;
    for (std::size_t i = beats.size() / 2; i < beats.size(); ++i) {
      const double interval = beats[i] - beats[i - 1];
      tempos.push_back(60.0 * std::round(interval / period) / interval);
      EXPECT_NEAR(beats[i], period * std::round(beats[i] / period), 0.025) << bpm;
    }
    std::ranges::sort(tempos);
    EXPECT_NEAR(tempos[tempos.size() / 2], bpm, 1.5) << bpm;
    EXPECT_NEAR(tracker.tempo_bpm(), bpm, 2.0) << bpm;
    // However the blocks fall, the beats are those of the whole at once.
    BeatTracker whole(kRate);
    EXPECT_EQ(whole.feed(audio), beats) << bpm;
  }
}

TEST(BeatTracker, ReadsInt16AsTheSameSignal) {
  const std::vector<float> audio = click_track(120.0, 10.0, 3);
  std::vector<std::int16_t> pcm;
  for (const float sample : audio) {
    pcm.push_back(static_cast<std::int16_t>(std::lround(std::clamp(sample, -1.0f, 1.0f) * 32767.0f)));
  }
  BeatTracker floats(kRate);
  BeatTracker ints(kRate);
  const std::vector<double> a = floats.feed(audio);
  const std::vector<double> b = ints.feed(pcm);
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_NEAR(a[i], b[i], 0.02);
  }
}

TEST(BeatTracker, MinutesOfSilenceOrNothingFindNoBeatAndHoldTheClock) {
  BeatTracker tracker(kRate);
  EXPECT_TRUE(tracker.feed(std::span<const float>{}).empty());
  EXPECT_EQ(tracker.tempo_bpm(), 0.0);
  EXPECT_LT(tracker.last_beat_seconds(), 0.0);
  // A following clock locked on a click track holds through minutes of
  // silence at the tempo it had.
  FollowingClock clock;
  const std::vector<float> music = click_track(120.0, 12.0, 5);
  for (const double beat : tracker.feed(music)) {
    clock.beat(beat, tracker.tempo_bpm(), tracker.confidence());
  }
  clock.position_at(12.0);
  ASSERT_TRUE(clock.locked());
  const double bpm = clock.bpm();
  const std::vector<float> silence(kRate, 0.0f);
  double seconds = 12.0;
  std::size_t beats = 0;
  for (int second = 0; second < 180; ++second) {
    for (const double beat : tracker.feed(silence)) {
      clock.beat(beat, tracker.tempo_bpm(), tracker.confidence());
      ++beats;
    }
    seconds += 1.0;
    clock.position_at(seconds);
  }
  EXPECT_EQ(beats, 0u);
  EXPECT_TRUE(clock.holding());
  EXPECT_NEAR(clock.bpm(), bpm, 1e-9);
  EXPECT_NEAR(tracker.seconds_fed(), 192.0, 1e-6);
}

}  // namespace
}  // namespace pipmoves::play

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "pipmoves/play/following_clock.hpp"
#include "user/throws_matcher.hpp"

namespace pipmoves::play {
namespace {

using pipmoves::testing::ThrowsExactly;

constexpr double kFrame = 1.0 / 40.0;
constexpr double kPipsPerBeat = 64.0;

// A heard beat: when it falls, and the tempo the tracker reports with it.
struct Heard {
  double seconds;
  double bpm;
  double confidence = 0.5;
  double truth = 0.0;  // the beat's time before jitter
};

// What the clock did, frame by frame.
struct Frames {
  std::vector<double> times;
  std::vector<double> positions;
  std::vector<double> bpms;
  std::vector<bool> locked;
  std::vector<bool> holding;
};

// Plays the beats into a clock frame by frame: each beat is handed over at
// the first frame after it, then the frame's position is read.
Frames follow(FollowingClock& clock, const std::vector<Heard>& beats, double seconds) {
  Frames run;
  std::size_t next = 0;
  for (double t = 0.0; t < seconds; t += kFrame) {
    while (next < beats.size() && beats[next].seconds <= t) {
      clock.beat(beats[next].seconds, beats[next].bpm, beats[next].confidence);
      ++next;
    }
    run.times.push_back(t);
    run.positions.push_back(clock.position_at(t));
    run.bpms.push_back(clock.bpm());
    run.locked.push_back(clock.locked());
    run.holding.push_back(clock.holding());
  }
  return run;
}

// Beats of a tempo map given as its beat period at each time, with jitter.
std::vector<Heard> beats_of(const std::function<double(double)>& period_at, double from, double to, double jitter,
                            std::mt19937& random, const std::function<double(double)>& reported_bpm = {}) {
  std::normal_distribution<double> noise(0.0, jitter);
  std::vector<Heard> beats;
  for (double t = from; t < to; t += period_at(t)) {
    const double bpm = reported_bpm ? reported_bpm(t) : 60.0 / period_at(t);
    beats.push_back({t + noise(random), bpm, 0.5, t});
  }
  return beats;
}

// The properties every run must keep: the position never decreases, and from
// frame to frame it moves at the tempo it follows give or take the bounded
// rate change (plus the glide towards a new tempo within the frame).
void expect_steady(const Frames& run, const FollowingClock& clock, const std::string& what) {
  const double change = clock.settings().max_rate_change;
  const double bound = change + 0.1 * kFrame * (1 + change) + 1e-9;
  for (std::size_t i = 1; i < run.positions.size(); ++i) {
    const double step = run.positions[i] - run.positions[i - 1];
    ASSERT_GE(step, 0.0) << what << " at " << run.times[i];
    if (run.positions[i - 1] == 0.0) {
      // Starting: from pip 0 at the first locked beat, within the frame.
      ASSERT_LE(step, (1 + bound) * run.bpms[i] * kPipsPerBeat / 60.0 * kFrame) << what;
      continue;
    }
    const double rate = run.bpms[i - 1] * kPipsPerBeat / 60.0;
    ASSERT_LE(std::abs(step - rate * kFrame), bound * rate * kFrame + 1e-9) << what << " at " << run.times[i];
    if (run.bpms[i] > 0.0) {
      ASSERT_GE(run.bpms[i], clock.settings().min_bpm * (1 - 1e-9)) << what;
      ASSERT_LE(run.bpms[i], clock.settings().max_bpm * (1 + 1e-9)) << what;
    }
  }
}

// The position at a time between two frames, and the rate there.
std::pair<double, double> position_in(const Frames& run, double t) {
  const auto after = std::upper_bound(run.times.begin(), run.times.end(), t) - run.times.begin();
  const auto i = static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(after, 1, std::ssize(run.times) - 1));
  const double rate = (run.positions[i] - run.positions[i - 1]) / (run.times[i] - run.times[i - 1]);
  return {run.positions[i - 1] + rate * (t - run.times[i - 1]), rate};
}

// How far the clock's beats are from the given beat times, in seconds, over
// the beats in [from, to): the position at each, off its nearest whole beat.
double worst_phase(const Frames& run, const std::vector<double>& truth, double from, double to) {
  double worst = 0.0;
  for (const double beat : truth) {
    if (beat >= from && beat < to) {
      const auto [at, rate] = position_in(run, beat);
      worst = std::max(worst, std::abs(at - kPipsPerBeat * std::round(at / kPipsPerBeat)) / rate);
    }
  }
  return worst;
}

std::vector<double> times_of(const std::vector<Heard>& beats) {
  std::vector<double> times;
  for (const Heard& beat : beats) {
    times.push_back(beat.truth);
  }
  return times;
}

TEST(FollowingClock, StandsAtZeroUntilLockedThenStartsABarOnTheFirstLockedBeat) {
  FollowingClock clock;
  EXPECT_EQ(clock.position_at(0.0), 0.0);
  EXPECT_EQ(clock.bpm(), 0.0);
  const double period = 0.5;
  for (int k = 0; k < 3; ++k) {
    clock.beat(1.0 + k * period, 120.0, 0.5);
    EXPECT_EQ(clock.position_at(1.0 + k * period + 0.01), 0.0);
    EXPECT_FALSE(clock.ever_locked());
  }
  clock.beat(1.0 + 3 * period, 120.0, 0.5);
  EXPECT_TRUE(clock.locked());
  EXPECT_DOUBLE_EQ(clock.bpm(), 120.0);
  // Asked for after the beat, it owes the time since: caught up within beats.
  EXPECT_LT(clock.position_at(2.6), 128.0 * 0.1 + 1e-9);
  double last = 0.0;
  for (double t = 2.6; t < 6.0; t += kFrame) {
    last = clock.position_at(t);
  }
  EXPECT_NEAR(last, (6.0 - kFrame - 2.5) * 128.0, 1.0);
}

TEST(FollowingClock, LocksToJitteredBeatsAtAnyTempoOfTheRange) {
  for (int seed = 0; seed < 60; ++seed) {
    std::mt19937 random(seed);
    const double bpm = std::uniform_real_distribution<double>(90.0, 180.0)(random);
    const double start = std::uniform_real_distribution<double>(0.0, 1.0)(random);
    const auto beats = beats_of([bpm](double) { return 60.0 / bpm; }, start, 30.0, 0.004, random);
    FollowingClock clock;
    const Frames run = follow(clock, beats, 30.0);
    const std::string what = "seed " + std::to_string(seed) + " at " + std::to_string(bpm) + " BPM";
    expect_steady(run, clock, what);
    EXPECT_TRUE(clock.locked()) << what;
    EXPECT_NEAR(clock.bpm(), bpm, 0.2) << what;
    EXPECT_LT(worst_phase(run, times_of(beats), 10.0, 30.0), 0.015) << what;
  }
}

TEST(FollowingClock, FoldsTrackedOctavesIntoItsRange) {
  for (int seed = 0; seed < 30; ++seed) {
    std::mt19937 random(100 + seed);
    const double bpm = std::uniform_real_distribution<double>(95.0, 175.0)(random);
    // The tracker hears every other beat, or twice as many.
    const double factor = seed % 2 ? 0.5 : 2.0;
    const auto heard = beats_of([&](double) { return 60.0 / (bpm * factor); }, 0.3, 30.0, 0.003, random);
    FollowingClock clock;
    const Frames run = follow(clock, heard, 30.0);
    const std::string what = "seed " + std::to_string(seed);
    expect_steady(run, clock, what);
    EXPECT_NEAR(clock.bpm(), bpm, 0.3) << what;
  }
}

TEST(FollowingClock, FollowsTempoStepsWithinTheBoundedRate) {
  for (int seed = 0; seed < 40; ++seed) {
    std::mt19937 random(200 + seed);
    const double before = std::uniform_real_distribution<double>(100.0, 160.0)(random);
    const double after = before * std::uniform_real_distribution<double>(0.9, 1.1)(random);
    const auto period = [&](double t) { return 60.0 / (t < 15.0 ? before : after); };
    const auto beats = beats_of(period, 0.2, 40.0, 0.004, random);
    FollowingClock clock;
    const Frames run = follow(clock, beats, 40.0);
    const std::string what = "seed " + std::to_string(seed);
    expect_steady(run, clock, what);
    EXPECT_TRUE(clock.locked()) << what;
    EXPECT_NEAR(clock.bpm(), after, 0.3) << what;
    EXPECT_LT(worst_phase(run, times_of(beats), 28.0, 40.0), 0.015) << what;
  }
}

TEST(FollowingClock, HoldsTheTempoThroughAGapAndLocksAgainKeepingTheBars) {
  for (int seed = 0; seed < 40; ++seed) {
    std::mt19937 random(300 + seed);
    const double bpm = std::uniform_real_distribution<double>(90.0, 180.0)(random);
    const double gap_from = 12.0;
    const double gap_to = gap_from + 16 * 60.0 / bpm;  // four bars
    auto beats = beats_of([bpm](double) { return 60.0 / bpm; }, 0.1, 40.0, 0.004, random);
    const std::vector<double> truth = times_of(beats);
    std::erase_if(beats, [&](const Heard& b) { return b.seconds >= gap_from && b.seconds < gap_to; });
    FollowingClock clock;
    const Frames run = follow(clock, beats, 40.0);
    const std::string what = "seed " + std::to_string(seed);
    expect_steady(run, clock, what);
    // Held through the gap at the tempo it had, locked again soon after.
    const auto in_gap = [](double t) { return static_cast<std::size_t>(std::lround(t / kFrame)); };
    EXPECT_TRUE(run.holding[in_gap(gap_to - 0.1)]) << what;
    EXPECT_NEAR(run.bpms[in_gap(gap_to - 0.1)], bpm, 0.3) << what;
    EXPECT_TRUE(run.locked[in_gap(gap_to + 4.0)]) << what;
    EXPECT_LT(worst_phase(run, truth, gap_to + 6.0, 40.0), 0.015) << what;
    // The count went on through the gap: the first locked beat (the fourth
    // heard) is pip 0, and every later beat a whole number of beats on.
    const double late = truth[truth.size() - 8];
    EXPECT_NEAR(position_in(run, late).first, kPipsPerBeat * static_cast<double>(truth.size() - 8 - 3), 4.0) << what;
  }
}

TEST(FollowingClock, UnsureBeatsThatDoNotAgreeAreABreak) {
  std::mt19937 random(9);
  std::uniform_real_distribution<double> stray(0.2, 0.8);
  for (const double confidence : {0.0, 0.04}) {
    FollowingClock clock;
    double t = 0.0;
    for (int k = 0; k < 16; ++k, t += 0.5) {
      clock.beat(t, 120.0, 0.5);
      clock.position_at(t);
    }
    ASSERT_TRUE(clock.locked());
    for (int k = 0; k < 16; ++k) {
      t += stray(random);
      clock.beat(t, 120.0, confidence);
      clock.position_at(t);
    }
    EXPECT_TRUE(clock.holding()) << confidence;
    EXPECT_DOUBLE_EQ(clock.bpm(), 120.0) << confidence;
  }
}

TEST(FollowingClock, UnsureBeatsInALongAgreeingRunLockAndSteer) {
  FollowingClock clock;
  for (int k = 0; k < 6; ++k) {
    clock.beat(0.5 * k, 120.0, 0.0);
    EXPECT_FALSE(clock.ever_locked()) << k;
  }
  clock.beat(3.0, 120.0, 0.0);
  EXPECT_TRUE(clock.locked());
}

TEST(FollowingClock, BarStartMovesTheCountByWholeBeatsWithoutAJump) {
  // Beats every half second from 0: the fourth (1.5 s) is the first locked,
  // pip 0. A bar start at heard beat k makes that beat a bar's first.
  for (const int k : {20, 21, 22, 23}) {
    FollowingClock clock;
    std::vector<double> positions;
    for (int beat = 0; beat < 80; ++beat) {
      const double t = 0.5 * beat;
      clock.beat(t, 120.0, 0.5);
      if (beat == k) {
        clock.bar_start(t + 0.01);
      }
      for (int frame = 0; frame < 20; ++frame) {
        positions.push_back(clock.position_at(t + frame * kFrame));
      }
    }
    // From the first frame after the first locked beat (1.5 s) on.
    for (std::size_t i = 61; i < positions.size(); ++i) {
      ASSERT_GE(positions[i] - positions[i - 1], 0.0) << k;
      ASSERT_LE(std::abs(positions[i] - positions[i - 1] - 128.0 * kFrame), 0.1 * 128.0 * kFrame + 1e-9) << k;
    }
    const double end = 0.5 * 79 + 19 * kFrame;
    const double since_k = clock.position_at(end) - (end - 0.5 * k) * 128.0;
    EXPECT_NEAR(since_k - 256.0 * std::round(since_k / 256.0), 0.0, 2.0) << k;
  }
}

TEST(FollowingClock, RefusesWhatIsNoTempoOrTime) {
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([] { FollowingClock(FollowSettings{100.0, 150.0}); },
                                                   "Tempo range must be finite, within [1, 1000] BPM and span at "
                                                   "least an octave"));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>(
      [] { FollowingClock(FollowSettings{std::nan(""), 180.0}); },
      "Tempo range must be finite, within [1, 1000] BPM and span at least an octave"));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>(
      [] { FollowingClock(FollowSettings{90.0, 180.0, -1.0}); }, "Confidence threshold must be finite and not negative"));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>(
      [] { FollowingClock(FollowSettings{90.0, 180.0, 0.1, 0.0}); }, "Rate change must be above 0 and at most 0.5"));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>(
      [] { FollowingClock(FollowSettings{90.0, 180.0, 0.1, 0.1, 0}); }, "Beats per bar must be 1 to 32"));
  FollowingClock clock;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (const auto& [seconds, bpm, confidence] : {std::tuple{nan, 120.0, 0.5}, {1.0, inf, 0.5}, {1.0, 120.0, nan}}) {
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { clock.beat(seconds, bpm, confidence); },
                                                     "A beat must have a finite time, tempo and confidence"));
  }
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { clock.position_at(inf); }, "Time must be finite"));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { clock.bar_start(nan); }, "Time must be finite"));
}

TEST(FollowingClock, NeverGoesBackWhenAskedOutOfOrderOrGivenBeatsOutOfOrder) {
  for (int seed = 0; seed < 30; ++seed) {
    std::mt19937 random(400 + seed);
    FollowingClock clock;
    std::uniform_real_distribution<double> when(0.0, 20.0);
    std::uniform_real_distribution<double> tempo(40.0, 300.0);
    double latest = 0.0;
    for (int k = 0; k < 2000; ++k) {
      if (k % 3 == 0) {
        clock.beat(when(random), tempo(random), 0.5);
      }
      const double position = clock.position_at(when(random));
      ASSERT_GE(position, latest) << "seed " << seed;
      latest = position;
    }
  }
}

}  // namespace
}  // namespace pipmoves::play

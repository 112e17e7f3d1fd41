#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "../../src/grooves/moves.hpp"

namespace {

using pipmoves::authoring::grooves::lagged_around_loop;
using pipmoves::authoring::grooves::Onset;
using pipmoves::authoring::grooves::onset_glide;

constexpr int kPeriod = 512;
constexpr double kSixteenth = 16.0;
// Smootherstep's steepest slope: a glide of g pips moves at most this share
// of its jump, divided by g, in one pip.
constexpr double kSteepest = 1.875;

double largest_step(const std::vector<Onset>& onsets) {
  double largest = 0.0;
  for (int i = 0; i < kPeriod; ++i) {
    const double step = onset_glide(onsets, i + 1, kPeriod) - onset_glide(onsets, i, kPeriod);
    largest = std::max(largest, std::fabs(step));
  }
  return largest;
}

// A jump of 2 between onsets `gap` pips apart, wherever they fall in the loop,
// the seam included.
TEST(OnsetGlide, NoGlideCrossesFasterThanASixteenthAllows) {
  for (double start : {100.0, 500.0, 505.0}) {
    for (int gap = 1; gap <= 40; ++gap) {
      const double late = std::fmod(start + gap, kPeriod);
      std::vector<Onset> onsets = {{start, 1.0}, {late, -1.0}, {std::fmod(start + 200.0, kPeriod), -1.0}};
      std::sort(onsets.begin(), onsets.end(), [](const Onset& a, const Onset& b) { return a.t < b.t; });
      const double want = kSteepest * 2.0 / std::max<double>(gap, kSixteenth) + 1e-9;
      EXPECT_LE(largest_step(onsets), want) << "onsets at " << start << " and " << late;
    }
  }
}

TEST(OnsetGlide, OnsetsCloserThanASixteenthGlideToTheLastValue) {
  const std::vector<Onset> onsets = {{0.0, 0.0}, {128.0, 1.0}, {131.0, -1.0}, {256.0, 0.5}};
  // The gesture that starts at 128 arrives at -1 by the next onset, never at 1.
  EXPECT_DOUBLE_EQ(onset_glide(onsets, 256.0, kPeriod), -1.0);
  for (int i = 128; i <= 256; ++i) {
    EXPECT_LE(onset_glide(onsets, i, kPeriod), 0.0) << i;
  }
}

TEST(LaggedAroundLoop, TurningTheLoopTurnsTheOutputSoTheSeamIsNoPlaceApart) {
  std::vector<double> pulse(kPeriod, 0.0);
  for (int i = 500; i < kPeriod; ++i) {
    pulse[static_cast<std::size_t>(i)] = 1.0;  // up to the seam, so the lag carries over it
  }
  const std::vector<double> out = lagged_around_loop(pulse, 16.0);
  for (int shift : {1, 12, 256}) {
    std::vector<double> turned(pulse.size());
    for (std::size_t i = 0; i < pulse.size(); ++i) {
      turned[(i + static_cast<std::size_t>(shift)) % pulse.size()] = pulse[i];
    }
    const std::vector<double> have = lagged_around_loop(turned, 16.0);
    for (std::size_t i = 0; i < pulse.size(); ++i) {
      EXPECT_NEAR(have[(i + static_cast<std::size_t>(shift)) % pulse.size()], out[i], 1e-12)
          << "shift " << shift << " pip " << i;
    }
  }
  // It follows and never leads: the lowest point is the pip before the pulse.
  EXPECT_EQ(std::min_element(out.begin(), out.end()) - out.begin(), 499);
}

}  // namespace

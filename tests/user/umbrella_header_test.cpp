// Only the umbrella header: a host that includes it reaches the whole native
// interface, the default catalogue and dispatch included.
#include "pipmoves/pipmoves.hpp"

#include <gtest/gtest.h>

#include <span>

namespace {

TEST(UmbrellaHeader, ReachesEveryPartOfTheNativeInterface) {
  EXPECT_EQ(64, pipmoves::PIPS_PER_BEAT);
  EXPECT_EQ(3, pipmoves::wrap_pip(-1, 4));
  EXPECT_EQ("bounce", pipmoves::catalogue().front().name);
  EXPECT_EQ(1.0, pipmoves::sample("bounce", 32).x);
  EXPECT_EQ(pipmoves::bounce(32).x, pipmoves::sample("bounce", 32).x);
  EXPECT_EQ(pipmoves::flam(12).x, pipmoves::sample("flam", 12).x);
  const pipmoves::SampledPattern pattern("p", "", {{0.0, 1.0, 0.0}});
  const pipmoves::PatternLibrary library({pattern});
  EXPECT_EQ(1.0, library.sample("p", 5).y);
  const double row[] = {0.5};
  const std::span<const double> rows[] = {row};
  const pipmoves::SampledRecording recording("take", {"x"}, rows, 120.0, 0.0, 0);
  EXPECT_EQ(1u, recording.sample_count());
}

}  // namespace

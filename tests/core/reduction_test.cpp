#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "offset_matchers.hpp"
#include "pipmoves/procedural.hpp"

namespace {

using pipmoves::Offset3;
using pipmoves::testing::SameOffset;

using Procedural = pipmoves::DefaultPattern;

// Pips at both ends of the 32-bit range, around zero and spread between.
std::vector<std::int32_t> sweep_pips() {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  std::vector<std::int32_t> pips;
  for (std::int32_t i = 0; i < 600; ++i) {
    pips.push_back(kMin + i);
    pips.push_back(kMax - i);
    pips.push_back(i - 300);
  }
  for (std::int64_t pip = kMin; pip <= kMax; pip += 9973 * 1237) {
    pips.push_back(static_cast<std::int32_t>(pip));
  }
  return pips;
}

TEST(Reduction, EveryPatternDependsOnlyOnTheLowBitsOfThePip) {
  const std::vector<std::int32_t> pips = sweep_pips();
  for (const Procedural& p : pipmoves::procedural_patterns()) {
    for (std::int32_t pip : pips) {
      ASSERT_TRUE(SameOffset(p.sampler(pip & (p.period_pips - 1)), p.sampler(pip))) << p.name << "(" << pip << ")";
    }
  }
}

TEST(Reduction, OneBeatPatternsAgreeAcrossTheRangeEnds) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  for (const Procedural& p : pipmoves::procedural_patterns()) {
    if (p.period_pips != 64) {
      continue;
    }
    for (int pip : {63, 127, kMax}) {
      EXPECT_TRUE(SameOffset(p.sampler(-1), p.sampler(pip))) << p.name << "(" << pip << ")";
    }
    for (int pip : {0, 64}) {
      EXPECT_TRUE(SameOffset(p.sampler(kMin), p.sampler(pip))) << p.name << "(" << pip << ")";
    }
  }
}

TEST(Reduction, AxesBeyondDimensionsAreZero) {
  for (const Procedural& p : pipmoves::procedural_patterns()) {
    bool y_moves = false;
    bool z_moves = false;
    for (int pip = 0; pip < p.period_pips; ++pip) {
      const Offset3 o = p.sampler(pip);
      y_moves = y_moves || o.y != 0.0;
      z_moves = z_moves || o.z != 0.0;
    }
    EXPECT_EQ(p.dimensions >= 2, y_moves) << p.name;
    EXPECT_EQ(p.dimensions == 3, z_moves) << p.name;
  }
}

}  // namespace

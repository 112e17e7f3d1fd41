#include <gtest/gtest.h>

#include <cmath>

#include "offset_matchers.hpp"
#include "pipmoves/shapes.hpp"

namespace {

using pipmoves::Offset3;
using pipmoves::clay_background;
using pipmoves::testing::SameOffset;

TEST(ClayBackground, KeyframeSamples) {
  struct Case {
    int pip;
    Offset3 want;
  };
  const Case cases[] = {
      {0, {0.0, 0.0, 0.0}},
      {23, {2.0 / 14, -0.1, 0.0}},
      {33, {13.0 / 14, -0.8, 0.0}},
      {100, {-1.0, 0.8999999999999999, 0.0}},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(SameOffset(c.want, clay_background(c.pip))) << "pip " << c.pip;
  }
}

TEST(ClayBackground, LoopsOverFourBeats) {
  EXPECT_TRUE(SameOffset(clay_background(0), clay_background(256)));
  EXPECT_TRUE(SameOffset(clay_background(255), clay_background(-1)));
}

TEST(ClayBackground, StaysInRangeWithFlatZ) {
  for (int pip = 0; pip < 256; ++pip) {
    const Offset3 o = clay_background(pip);
    EXPECT_LE(std::fabs(o.x), 1.0) << "pip " << pip;
    EXPECT_LE(std::fabs(o.y), 1.0) << "pip " << pip;
    EXPECT_EQ(0.0, o.z) << "pip " << pip;
  }
}

// Between keyframes the drift eases: it never overshoots its two ends.
TEST(ClayBackground, EasesBetweenNeighbouringKeyframes) {
  const int pips[] = {0, 23, 33, 49, 87, 100, 118, 154, 169, 187, 215, 228, 243, 256};
  for (std::size_t k = 1; k < std::size(pips); ++k) {
    const Offset3 from = clay_background(pips[k - 1]);
    const Offset3 to = clay_background(pips[k]);
    for (int pip = pips[k - 1]; pip <= pips[k]; ++pip) {
      const Offset3 o = clay_background(pip);
      EXPECT_GE(o.x, std::fmin(from.x, to.x) - 1e-15) << "pip " << pip;
      EXPECT_LE(o.x, std::fmax(from.x, to.x) + 1e-15) << "pip " << pip;
      EXPECT_GE(o.y, std::fmin(from.y, to.y) - 1e-15) << "pip " << pip;
      EXPECT_LE(o.y, std::fmax(from.y, to.y) + 1e-15) << "pip " << pip;
    }
  }
}

}  // namespace

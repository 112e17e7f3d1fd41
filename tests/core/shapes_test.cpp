#include <gtest/gtest.h>

#include <cmath>

#include "offset_matchers.hpp"
#include "pipmoves/shapes.hpp"

namespace {

using pipmoves::Offset3;
using pipmoves::testing::SameDouble;
using pipmoves::testing::SameOffset;

using Shape = Offset3 (*)(int) noexcept;

struct ShapeCase {
  const char* name;
  Shape shape;
  int pip;
  Offset3 want;
};

TEST(Shapes, ExactSamples) {
  const ShapeCase cases[] = {
      {"bounce", pipmoves::bounce, 0, {-1.0, 0.0, 0.0}},
      {"bounce", pipmoves::bounce, 16, {0.0, 0.0, 0.0}},
      {"bounce", pipmoves::bounce, 32, {1.0, 0.0, 0.0}},
      {"bounce", pipmoves::bounce, 48, {0.0, 0.0, 0.0}},
      {"bounce", pipmoves::bounce, 63, {-0.9375, 0.0, 0.0}},
      {"bounce", pipmoves::bounce, -1, {-0.9375, 0.0, 0.0}},
      {"sway", pipmoves::sway, 32, {1.0, 0.0, 0.0}},
      {"sway", pipmoves::sway, 96, {-1.0, 0.0, 0.0}},
      {"sway", pipmoves::sway, 0, {0.0, 0.0, 0.0}},
      {"sway", pipmoves::sway, 128, {0.0, 0.0, 0.0}},
      {"circle", pipmoves::circle, 16, {1.0, 0.0, 0.0}},
      {"step_touch", pipmoves::step_touch, 0, {-1.0, -0.0, 0.0}},
      {"step_touch", pipmoves::step_touch, 16, {-0.5, -0.35, 0.0}},
      {"step_touch", pipmoves::step_touch, 48, {0.5, -0.35, 0.0}},
      {"box_step", pipmoves::box_step, 0, {-1.0, -1.0, 0.0}},
      {"box_step", pipmoves::box_step, 16, {-0.6875, -1.0, 0.0}},
      {"box_step", pipmoves::box_step, 32, {0.0, -1.0, 0.0}},
      {"box_step", pipmoves::box_step, 96, {1.0, 0.0, 0.0}},
      {"box_step", pipmoves::box_step, 128, {1.0, 1.0, 0.0}},
      {"box_step", pipmoves::box_step, -1, {-1.0, -0.9985504150390625, 0.0}},
      {"helix", pipmoves::helix, 0, {1.0, 0.0, 0.0}},
  };
  for (const ShapeCase& c : cases) {
    EXPECT_TRUE(SameOffset(c.want, c.shape(c.pip))) << c.name << "(" << c.pip << ")";
  }
}

TEST(Shapes, CircleStartsBelowOrigin) {
  const Offset3 start = pipmoves::circle(0);
  EXPECT_TRUE(SameDouble(-1.0, start.y));
  EXPECT_TRUE(SameDouble(std::cos(-1.5707963267948966), start.x));
  EXPECT_LT(std::fabs(start.x), 1e-16);
}

TEST(Shapes, FigureEightPeaksAtQuarterPeriod) {
  const Offset3 quarter = pipmoves::figure_eight(16);
  EXPECT_TRUE(SameDouble(1.0, quarter.y));
  EXPECT_TRUE(SameDouble(std::sin(3.141592653589793 / 4), quarter.x));
  const Offset3 half = pipmoves::figure_eight(64);
  EXPECT_LT(std::fabs(half.x), 1e-15);
  EXPECT_LT(std::fabs(half.y), 1e-15);
}

TEST(Shapes, StepTouchReachesStationsAndGlidesBack) {
  EXPECT_TRUE(SameDouble(1.0, pipmoves::step_touch(64).x));
  EXPECT_TRUE(SameDouble(-0.99713134765625, pipmoves::step_touch(127).x));
}

TEST(Shapes, StepTouchIsNegativeZeroAtEveryStation) {
  for (int station : {0, 32, 64, 96}) {
    EXPECT_TRUE(SameDouble(-0.0, pipmoves::step_touch(station).y)) << "pip " << station;
  }
}

TEST(Shapes, HelixTopOfItsSlowTurn) {
  const Offset3 top = pipmoves::helix(64);
  EXPECT_TRUE(SameDouble(-1.0, top.x));
  EXPECT_TRUE(SameDouble(1.0, top.z));
  EXPECT_TRUE(SameDouble(-1.0, pipmoves::helix(192).z));
}

}  // namespace

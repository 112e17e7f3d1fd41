#include <gtest/gtest.h>

#include <cmath>

#include "offset_matchers.hpp"
#include "pipmoves/rudiments.hpp"

namespace {

using pipmoves::Offset3;
using pipmoves::testing::SameDouble;
using pipmoves::testing::SameOffset;

using Rudiment = Offset3 (*)(int) noexcept;

struct NamedRudiment {
  const char* name;
  Rudiment rudiment;
  int period;
};

constexpr NamedRudiment kRudiments[] = {
    {"single_stroke_roll", pipmoves::single_stroke_roll, 64},
    {"double_stroke_roll", pipmoves::double_stroke_roll, 64},
    {"multiple_bounce_roll", pipmoves::multiple_bounce_roll, 64},
    {"single_paradiddle", pipmoves::single_paradiddle, 128},
    {"flam", pipmoves::flam, 64},
    {"drag", pipmoves::drag, 64},
    {"five_stroke_roll", pipmoves::five_stroke_roll, 128},
};

TEST(Rudiments, EveryRudimentRestsAtPipZero) {
  for (const NamedRudiment& r : kRudiments) {
    EXPECT_TRUE(SameOffset({0.0, 0.0, 0.0}, r.rudiment(0))) << r.name;
  }
}

TEST(Rudiments, ExactSamples) {
  struct Case {
    const char* name;
    Rudiment rudiment;
    int pip;
    Offset3 want;
  };
  const Case cases[] = {
      {"single_stroke_roll", pipmoves::single_stroke_roll, 4, {0.92, -0.6624, 0.0}},
      {"single_stroke_roll", pipmoves::single_stroke_roll, 12, {-0.92, -0.6624, 0.0}},
      {"single_stroke_roll", pipmoves::single_stroke_roll, 8, {0.0, 0.0, 0.0}},
      {"single_stroke_roll", pipmoves::single_stroke_roll, 40, {0.0, 0.0, 0.0}},
      {"double_stroke_roll", pipmoves::double_stroke_roll, 12, {0.72, -0.5184, 0.0}},
      {"double_stroke_roll", pipmoves::double_stroke_roll, 20, {-0.88, -0.6335999999999999, 0.0}},
      {"multiple_bounce_roll", pipmoves::multiple_bounce_roll, 12, {0.0, 0.0, 0.0}},
      {"single_paradiddle", pipmoves::single_paradiddle, 4, {1.0, -0.72, 0.0}},
      {"single_paradiddle", pipmoves::single_paradiddle, 36, {-1.0, -0.72, 0.0}},
      {"single_paradiddle", pipmoves::single_paradiddle, 12, {-0.72, -0.5184, 0.0}},
      {"flam", pipmoves::flam, 12, {0.9, -0.648, 0.0}},
      {"drag", pipmoves::drag, 4, {-0.28, -0.2016, 0.0}},
      {"five_stroke_roll", pipmoves::five_stroke_roll, 43, {1.0, -0.72, 0.0}},
      {"five_stroke_roll", pipmoves::five_stroke_roll, 107, {-1.0, -0.72, 0.0}},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(SameOffset(c.want, c.rudiment(c.pip))) << c.name << "(" << c.pip << ")";
  }
}

TEST(Rudiments, GraceStrokesLeadThePrimary) {
  EXPECT_TRUE(SameDouble(-0.34, pipmoves::flam(5).x));
  EXPECT_TRUE(SameDouble(0.88, pipmoves::drag(17).x));
}

TEST(Rudiments, YIsTheRoundedProductOfHeightAndFactor) {
  EXPECT_TRUE(SameDouble(-0.88 * 0.72, pipmoves::double_stroke_roll(20).y));
}

TEST(Rudiments, SilentWhereNoStrokeCovers) {
  for (int pip = 24; pip < 32; ++pip) {
    EXPECT_TRUE(SameOffset({0.0, 0.0, 0.0}, pipmoves::multiple_bounce_roll(pip))) << "pip " << pip;
    EXPECT_TRUE(SameOffset({0.0, 0.0, 0.0}, pipmoves::multiple_bounce_roll(pip + 32))) << "pip " << pip + 32;
  }
  for (int pip = 50; pip < 64; ++pip) {
    EXPECT_TRUE(SameOffset({0.0, 0.0, 0.0}, pipmoves::five_stroke_roll(pip))) << "pip " << pip;
  }
}

TEST(Rudiments, WrapAroundThePeriod) {
  EXPECT_TRUE(SameOffset(pipmoves::single_stroke_roll(63), pipmoves::single_stroke_roll(-1)));
  EXPECT_TRUE(SameOffset(pipmoves::single_paradiddle(4), pipmoves::single_paradiddle(132)));
}

// The clamp only guards the range: peaks reach exactly +-1 and never beyond.
TEST(Rudiments, StayWithinUnitRangeWithFlatZ) {
  for (const NamedRudiment& r : kRudiments) {
    for (int pip = 0; pip < r.period; ++pip) {
      const Offset3 o = r.rudiment(pip);
      EXPECT_LE(std::fabs(o.x), 1.0) << r.name << "(" << pip << ")";
      EXPECT_LE(std::fabs(o.y), 1.0) << r.name << "(" << pip << ")";
      EXPECT_LE(o.y, 0.0) << r.name << "(" << pip << ")";
      EXPECT_TRUE(SameDouble(0.0, o.z)) << r.name << "(" << pip << ")";
    }
  }
}

}  // namespace

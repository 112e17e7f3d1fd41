#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>
#include <string>

#include "../core/offset_matchers.hpp"
#include "groove_rows.hpp"
#include "layout_rows.hpp"
#include "pipmoves/catalogue.hpp"

namespace {

using pipmoves::Offset3;
using pipmoves::sample;
using pipmoves::authoring::grooves::club_grooves;
using pipmoves::authoring::grooves::EventClass;
using pipmoves::testing::PeaksAtEvents;
using pipmoves::testing::row_named;
using pipmoves::testing::row_number;

// The kick's event shape, written out from its half-widths in beats.
constexpr double kAttack = 0.1 * 64;
constexpr double kRelease = 0.46 * 64;

double kick_shape(double d) {
  if (d > -kAttack && d <= 0) return (1 + std::cos(std::numbers::pi * d / kAttack)) / 2;
  if (d >= 0 && d < kRelease) return (1 + std::cos(std::numbers::pi * d / kRelease)) / 2;
  return 0;
}

// Signed distance from the nearest of the four kicks of one bar.
double from_kick(int pip, int kick) {
  double d = pip - 64.0 * kick;
  if (d < -128) d += 256;
  if (d >= 128) d -= 256;
  return d;
}

TEST(ClubPack, FourFloorBounceIsAKickOfHeightPoint55OnEveryBeat) {
  for (int beat : {0, 64, 128, 192}) {
    EXPECT_TRUE(pipmoves::testing::SameOffset({0.0, 0.55, 0.0}, sample("beat_four_floor_bounce", beat))) << beat;
  }
  for (int pip = 30; pip <= 57; ++pip) {
    EXPECT_TRUE(pipmoves::testing::SameOffset({0.0, 0.0, 0.0}, sample("beat_four_floor_bounce", pip))) << pip;
  }
  EXPECT_NEAR(sample("beat_four_floor_bounce", 58).y, 0.005284, 5e-7);
  EXPECT_GT(sample("beat_four_floor_bounce", 29).y, 0.0);
}

TEST(ClubPack, FourFloorBounceAndStepFollowTheKickRuleAtEveryPip) {
  for (int pip = 0; pip < 256; ++pip) {
    double bounce_y = 0;
    Offset3 step;
    for (int kick = 0; kick < 4; ++kick) {
      const double w = kick_shape(from_kick(pip, kick));
      bounce_y += 0.55 * w;
      step.x += (kick % 2 == 0 ? 0.42 : -0.42) * w;
      step.y += -0.22 * w;
    }
    const Offset3 bounce = sample("beat_four_floor_bounce", pip);
    const Offset3 have = sample("beat_four_floor_step", pip);
    EXPECT_EQ(bounce.x, 0.0) << pip;
    EXPECT_EQ(bounce.z, 0.0) << pip;
    EXPECT_NEAR(bounce.y, bounce_y, 1e-12) << pip;
    EXPECT_NEAR(have.x, step.x, 1e-12) << pip;
    EXPECT_NEAR(have.y, step.y, 1e-12) << pip;
    EXPECT_EQ(have.z, 0.0) << pip;
  }
}

TEST(ClubPack, FourFloorStepAtPip60) {
  const Offset3 o = sample("beat_four_floor_step", 60);
  EXPECT_NEAR(o.x, -0.129636, 5e-7);
  EXPECT_NEAR(o.y, -0.067905, 5e-7);
  EXPECT_EQ(o.z, 0.0);
}

TEST(ClubPack, FourFloorOrbitCirclesOnceABarAtTheKickRadius) {
  struct Case {
    int pip;
    double x, y;
  };
  for (const Case c : {Case{0, 0.58, 0.0}, Case{64, 0.0, 0.58}, Case{128, -0.58, 0.0}, Case{192, 0.0, -0.58}}) {
    EXPECT_TRUE(pipmoves::testing::SameOffset({c.x, c.y, 0.0}, sample("beat_four_floor_orbit", c.pip))) << c.pip;
  }
  // Between the kicks the radius shrinks.
  const Offset3 between = sample("beat_four_floor_orbit", 40);
  EXPECT_LT(std::hypot(between.x, between.y), 0.58 * 0.61);
}

TEST(ClubPack, TechnoPolymeterOrbitLoopsOverThreeBars) {
  const pipmoves::PackEntry& row = row_named("beat_techno_polymeter_orbit");
  EXPECT_EQ(row.period_pips, 768);
  EXPECT_TRUE(pipmoves::testing::SameOffset(row.sampler(0), row.sampler(768)));
  EXPECT_TRUE(pipmoves::testing::SameOffset(row.sampler(0), row.sampler(-768)));
  EXPECT_TRUE(pipmoves::testing::SameOffset(row.sampler(767), row.sampler(-1)));
}

TEST(ClubPack, RowsAreGrooveByGrooveInMoveOrder) {
  const std::size_t first = row_number("beat_four_floor_bounce").value();
  const std::array<const char*, 4> moves = {"bounce", "step", "orbit", "glide"};
  const auto& grooves = club_grooves();
  ASSERT_EQ(grooves.size(), 36u);
  for (std::size_t g = 0; g < grooves.size(); ++g) {
    for (std::size_t m = 0; m < moves.size(); ++m) {
      const std::string want = "beat_" + std::string(grooves[g].name) + "_" + moves[m];
      EXPECT_EQ(pipmoves::pack_table()[first + 4 * g + m].name, want);
    }
  }
}

TEST(ClubPack, RowsFillThePackFromFirstGrooveToLast) {
  const auto& club = pipmoves::testing::layout_pack("club");
  EXPECT_EQ(row_number("beat_four_floor_bounce"), club.first_row);
  EXPECT_EQ(row_number("beat_amapiano_glide"), club.first_row + club.rows - 1);
}

TEST(ClubPack, BouncePeaksAtEveryKickOfTheScore) {
  for (const auto& groove : club_grooves()) {
    EXPECT_TRUE(PeaksAtEvents(groove, "bounce", EventClass::kick, 1));
  }
}

TEST(ClubPack, StepLeansToEverySnareOfTheScore) {
  for (const auto& groove : club_grooves()) {
    EXPECT_TRUE(PeaksAtEvents(groove, "step", EventClass::snare, 0));
  }
}

TEST(ClubPack, BounceLeansToEverySnareAndClapOfTheScore) {
  for (const auto& groove : club_grooves()) {
    EXPECT_TRUE(PeaksAtEvents(groove, "bounce", EventClass::snare, 0));
    EXPECT_TRUE(PeaksAtEvents(groove, "bounce", EventClass::clap, 0));
  }
}

TEST(ClubPack, HouseClassicClapsLeanRightLeftRightLeft) {
  const std::array<int, 4> pips = {64, 192, 320, 448};
  const std::array<double, 4> sides = {1, -1, 1, -1};
  for (std::size_t k = 0; k < pips.size(); ++k) {
    EXPECT_EQ(std::signbit(sample("beat_house_classic_bounce", pips[k]).x), sides[k] < 0) << pips[k];
  }
}

TEST(ClubPack, UkgTwoStepKicksLeanRightAndItsSnaresLeft) {
  for (int kick : {0, 256}) {
    EXPECT_GT(sample("beat_ukg_two_step_step", kick).x, 0.3) << kick;
  }
  for (int snare : {64, 320}) {
    EXPECT_LT(sample("beat_ukg_two_step_step", snare).x, -0.25) << snare;
  }
}

}  // namespace

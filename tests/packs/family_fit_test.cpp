#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "../../src/packs/authoring/family_fit.hpp"

namespace {

using pipmoves::Offset3;
using pipmoves::authoring::apply_scale;
using pipmoves::authoring::AxisTarget;
using pipmoves::authoring::FitTargets;
using pipmoves::authoring::GainRule;
using pipmoves::authoring::SplitTable;
using pipmoves::authoring::Table;

pipmoves::authoring::FamilyScale solve_family_gains(const std::string& family, const std::vector<SplitTable>& rows,
                                                    const FitTargets& targets) {
  return pipmoves::authoring::solve_family_scale(family, rows, targets, GainRule::search);
}

Table xs(std::vector<double> values) {
  Table t;
  for (double v : values) t.push_back({v, 0.0, 0.0});
  return t;
}

TEST(FamilyFit, ScaledPartsReachTheStatedEndsOverTheWholeFamily) {
  // Row one holds the family's highest point, row two its lowest.
  const std::vector<SplitTable> rows = {
      {xs({0.0, 0.0, 0.0}), xs({0.0, 2.0, -1.0})},
      {xs({0.0, 0.0, 0.0}), xs({0.5, -4.0, 0.0})},
  };
  const FitTargets targets = {AxisTarget{-0.6, 0.8}, std::nullopt, std::nullopt};
  const auto gains = solve_family_gains("test", rows, targets);
  EXPECT_NEAR(apply_scale(rows[0], gains)[1].x, 0.8, 1e-10);
  EXPECT_NEAR(apply_scale(rows[1], gains)[1].x, -0.6, 1e-10);
  // Inner values keep their order between zero and the ends.
  const double half = apply_scale(rows[1], gains)[0].x;
  const double minus_one = apply_scale(rows[0], gains)[2].x;
  EXPECT_GT(half, 0.0);
  EXPECT_LT(half, 0.8);
  EXPECT_LT(minus_one, 0.0);
  EXPECT_GT(minus_one, -0.6);
  EXPECT_EQ(apply_scale(rows[0], gains)[0].x, 0.0);
}

TEST(FamilyFit, KeptPartsStayExactAndTheScaledPartFillsTheRest) {
  // A kick of 0.55 kept as it is; a hat on it lifts the family to 0.6825.
  const std::vector<SplitTable> rows = {
      {xs({0.55, 0.2, -0.22}), xs({0.1, 0.05, -0.01})},
      {xs({0.55, 0.0, 0.0}), xs({0.0, 0.0, 0.0})},
  };
  const FitTargets targets = {AxisTarget{-0.2401, 0.6825}, std::nullopt, std::nullopt};
  const auto gains = solve_family_gains("test", rows, targets);
  EXPECT_NEAR(apply_scale(rows[0], gains)[0].x, 0.6825, 1e-13);
  EXPECT_NEAR(apply_scale(rows[0], gains)[2].x, -0.2401, 1e-13);
  EXPECT_EQ(apply_scale(rows[1], gains)[0].x, 0.55);
}

TEST(FamilyFit, RefusesWhenTheKeptPartAloneOverreaches) {
  const std::vector<SplitTable> rows = {{xs({0.74, 0.0}), xs({0.0, 0.1})}};
  const FitTargets targets = {AxisTarget{-0.7, 0.7}, std::nullopt, std::nullopt};
  EXPECT_THROW(solve_family_gains("test", rows, targets), std::runtime_error);
}

TEST(FamilyFit, RefusesWhenNothingCanReachAnEnd) {
  // Nothing below zero: the stated low end cannot be met.
  const std::vector<SplitTable> rows = {{xs({0.0, 0.0}), xs({0.0, 0.3})}};
  const FitTargets targets = {AxisTarget{-0.5, 0.5}, std::nullopt, std::nullopt};
  EXPECT_THROW(solve_family_gains("test", rows, targets), std::runtime_error);
}

// Without a kept part the map is f(v) = g v + k v^2 through both extremes,
// and each extreme becomes its target bit for bit. Here f(0.3) = 0.82 and
// f(-0.7) = -0.82 give g = 2.2647619 and k = 1.5619048.
TEST(FamilyFit, TheRatioRuleLandsTheExtremesExactly) {
  const std::vector<SplitTable> rows = {
      {xs({0.0, 0.0, 0.0}), xs({0.0, 0.3, -0.7})},
      {xs({0.0, 0.0, 0.0}), xs({0.1, -0.2, 0.0})},
  };
  const auto scale = pipmoves::authoring::solve_family_scale("test", rows, {AxisTarget{-0.82, 0.82}}, GainRule::ratio);
  EXPECT_EQ(apply_scale(rows[0], scale)[1].x, 0.82);
  EXPECT_EQ(apply_scale(rows[0], scale)[2].x, -0.82);
  EXPECT_NEAR(apply_scale(rows[1], scale)[0].x, 0.2420952, 1e-7);
  EXPECT_NEAR(apply_scale(rows[1], scale)[1].x, -0.3904762, 1e-7);
  EXPECT_EQ(apply_scale(rows[0], scale)[0].x, 0.0);
}

// Separate gains per side would change speed where a row crosses zero; the
// map's slope there is the same from either side.
TEST(FamilyFit, SpeedHoldsThroughZero) {
  const std::vector<SplitTable> rows = {{xs({0.0, 0.0, 0.0, 0.0}), xs({-0.7, -1e-6, 1e-6, 0.3})}};
  for (const GainRule rule : {GainRule::ratio, GainRule::search}) {
    const auto scale = pipmoves::authoring::solve_family_scale("test", rows, {AxisTarget{-0.82, 0.82}}, rule);
    const Table t = apply_scale(rows[0], scale);
    EXPECT_NEAR(t[2].x / 1e-6, t[1].x / -1e-6, 1e-5) << "rule " << static_cast<int>(rule);
  }
}

// Gains nine times apart would fold a map whose gain changes linearly; the
// gain then turns near zero instead, and the map still rises throughout.
TEST(FamilyFit, UnevenSidesKeepTheOrderOfValues) {
  std::vector<double> raw;
  for (int j = -100; j <= 100; ++j) raw.push_back(j / 100.0);
  raw.push_back(-1e-6);
  raw.push_back(1e-6);
  const std::vector<SplitTable> rows = {{xs(std::vector<double>(raw.size(), 0.0)), xs(raw)}};
  const auto scale = pipmoves::authoring::solve_family_scale("test", rows, {AxisTarget{-0.1, 0.9}}, GainRule::ratio);
  const Table t = apply_scale(rows[0], scale);
  for (std::size_t j = 1; j <= 200; ++j) {
    EXPECT_LT(t[j - 1].x, t[j].x) << "at raw " << raw[j];
  }
  EXPECT_EQ(t[0].x, -0.1);
  EXPECT_EQ(t[200].x, 0.9);
  EXPECT_NEAR(t[202].x / 1e-6, t[201].x / -1e-6, 1e-3);
}

TEST(FamilyFit, RefusesSidesSoUnevenThatNoMapKeepsTheOrder) {
  const std::vector<SplitTable> rows = {{xs({0.0, 0.0}), xs({-1.0, 1.0})}};
  for (const GainRule rule : {GainRule::ratio, GainRule::search}) {
    EXPECT_THROW(pipmoves::authoring::solve_family_scale("test", rows, {AxisTarget{-0.01, 0.9}}, rule),
                 std::runtime_error);
  }
}

// The targets are read by the parser of the generator's range checks.
TEST(FamilyFit, TargetsComeFromTheStatedText) {
  const FitTargets targets = pipmoves::authoring::fit_targets("x, y -0.7614 to 0.82; z -0.4613 to 0.5125");
  ASSERT_TRUE(targets[0] && targets[1] && targets[2]);
  EXPECT_EQ(targets[1]->low, -0.7614);
  EXPECT_EQ(targets[1]->high, 0.82);
  EXPECT_EQ(targets[2]->low, -0.4613);
  EXPECT_FALSE(pipmoves::authoring::fit_targets("y -0.5 to 0")[0]);
  EXPECT_THROW(pipmoves::authoring::fit_targets("x within -1 to 1"), std::invalid_argument);
  EXPECT_THROW(pipmoves::authoring::fit_targets("x -1 until 1"), std::invalid_argument);
}

}  // namespace

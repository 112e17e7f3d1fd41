#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "../../src/packs/authoring/grooves/family_fit.hpp"

namespace {

using pipmoves::Offset3;
using pipmoves::authoring::Table;
using pipmoves::authoring::grooves::AxisTarget;
using pipmoves::authoring::grooves::apply_gains;
using pipmoves::authoring::grooves::FamilyTargets;
using pipmoves::authoring::grooves::solve_family_gains;
using pipmoves::authoring::grooves::SplitTable;

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
  const FamilyTargets targets = {AxisTarget{-0.6, 0.8}, std::nullopt, std::nullopt};
  const auto gains = solve_family_gains("test", rows, targets);
  EXPECT_DOUBLE_EQ(apply_gains(rows[0], gains)[1].x, 0.8);
  EXPECT_DOUBLE_EQ(apply_gains(rows[1], gains)[1].x, -0.6);
  EXPECT_DOUBLE_EQ(apply_gains(rows[1], gains)[0].x, 0.2);
  EXPECT_DOUBLE_EQ(apply_gains(rows[0], gains)[2].x, -0.15);
}

TEST(FamilyFit, KeptPartsStayExactAndTheScaledPartFillsTheRest) {
  // A kick of 0.55 kept as it is; a hat on it lifts the family to 0.6825.
  const std::vector<SplitTable> rows = {
      {xs({0.55, 0.2, -0.22}), xs({0.1, 0.05, -0.01})},
      {xs({0.55, 0.0, 0.0}), xs({0.0, 0.0, 0.0})},
  };
  const FamilyTargets targets = {AxisTarget{-0.2401, 0.6825}, std::nullopt, std::nullopt};
  const auto gains = solve_family_gains("test", rows, targets);
  EXPECT_NEAR(apply_gains(rows[0], gains)[0].x, 0.6825, 1e-13);
  EXPECT_NEAR(apply_gains(rows[0], gains)[2].x, -0.2401, 1e-13);
  EXPECT_EQ(apply_gains(rows[1], gains)[0].x, 0.55);
}

TEST(FamilyFit, RefusesWhenTheKeptPartAloneOverreaches) {
  const std::vector<SplitTable> rows = {{xs({0.74, 0.0}), xs({0.0, 0.1})}};
  const FamilyTargets targets = {AxisTarget{-0.7, 0.7}, std::nullopt, std::nullopt};
  EXPECT_THROW(solve_family_gains("test", rows, targets), std::runtime_error);
}

TEST(FamilyFit, RefusesWhenNothingCanReachAnEnd) {
  // Nothing below zero: the stated low end cannot be met.
  const std::vector<SplitTable> rows = {{xs({0.0, 0.0}), xs({0.0, 0.3})}};
  const FamilyTargets targets = {AxisTarget{-0.5, 0.5}, std::nullopt, std::nullopt};
  EXPECT_THROW(solve_family_gains("test", rows, targets), std::runtime_error);
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "../core/offset_matchers.hpp"
#include "layout_rows.hpp"
#include "pipmoves/catalogue.hpp"
#include "pipmoves/pack_table.hpp"

namespace {

using pipmoves::Offset3;
using pipmoves::PackEntry;
using pipmoves::testing::SameDouble;
using pipmoves::testing::SameOffset;

const std::size_t kFirstRow = pipmoves::testing::layout_pack("atlas").first_row;
constexpr std::size_t kRows = 256;

std::span<const PackEntry> atlas() { return pipmoves::testing::pack_rows("atlas"); }

double axis_of(const Offset3& o, int axis) { return axis == 0 ? o.x : axis == 1 ? o.y : o.z; }

std::vector<Offset3> table_of(const PackEntry& row) {
  std::vector<Offset3> table;
  for (int i = 0; i < row.period_pips; ++i) {
    table.push_back(row.sampler(i));
  }
  return table;
}

const PackEntry& row_named(std::string_view name) {
  for (const PackEntry& row : pipmoves::pack_table()) {
    if (row.name == name) {
      return row;
    }
  }
  throw std::invalid_argument("no row " + std::string(name));
}

// ---- the pack's place and aggregates ----------------------------------------

TEST(AtlasPack, FollowsTheExpansionPack) {
  ASSERT_EQ(atlas().size(), kRows);
  ASSERT_GE(pipmoves::pack_table().size(), kFirstRow + kRows);
  EXPECT_EQ(pipmoves::pack_table()[kFirstRow - 1].name, "rhythm_three_four_five");
  EXPECT_EQ(atlas().front().name, "wave_pinched");
  EXPECT_EQ(atlas().back().name, "gesture_diamond_depth");
}

TEST(AtlasPack, PeriodsSumTo167040) {
  int sum = 0;
  for (const PackEntry& row : atlas()) sum += row.period_pips;
  EXPECT_EQ(sum, 167040);
}

TEST(AtlasPack, PeriodDistribution) {
  const std::map<int, int> want{{160, 3}, {224, 5}, {288, 4}, {320, 3}, {352, 5},  {384, 2},  {416, 4},  {448, 1},
                                {480, 1}, {512, 144}, {544, 1}, {608, 1}, {640, 1}, {768, 1}, {1024, 80}};
  std::map<int, int> have;
  for (const PackEntry& row : atlas()) ++have[row.period_pips];
  for (const auto& [period, rows] : want) {
    EXPECT_EQ(have[period], rows) << "period " << period;
  }
  EXPECT_EQ(have.size(), want.size());
}

TEST(AtlasPack, DimensionsSplit16_168_72) {
  std::array<int, 4> have{};
  for (const PackEntry& row : atlas()) ++have.at(row.dimensions);
  EXPECT_EQ(have[1], 16);
  EXPECT_EQ(have[2], 168);
  EXPECT_EQ(have[3], 72);
}

TEST(AtlasPack, DeclaredDimensionsFollowTheTable) {
  for (const PackEntry& row : atlas()) {
    const std::vector<Offset3> table = table_of(row);
    const bool z = std::any_of(table.begin(), table.end(), [](const Offset3& o) { return o.z != 0.0; });
    const bool y = std::any_of(table.begin(), table.end(), [](const Offset3& o) { return o.y != 0.0; });
    EXPECT_EQ(row.dimensions, z ? 3 : y ? 2 : 1) << row.name;
  }
}

TEST(AtlasPack, EveryRowLoopsWithoutASeamJump) {
  for (const PackEntry& row : atlas()) {
    const std::vector<Offset3> table = table_of(row);
    for (int axis = 0; axis < 3; ++axis) {
      double largest = 0.0;
      for (std::size_t i = 1; i < table.size(); ++i) {
        largest = std::max(largest, std::fabs(axis_of(table[i], axis) - axis_of(table[i - 1], axis)));
      }
      const double seam = std::fabs(axis_of(table.front(), axis) - axis_of(table.back(), axis));
      EXPECT_LE(seam, largest) << row.name << " axis " << axis;
    }
  }
}

// ---- per-family ranges ------------------------------------------------------

struct Bound {
  double low;
  double high;
  int decimals;  // printed precision of the bounds
  bool within;   // only a bound, not necessarily reached
};

struct FamilyRange {
  std::string_view prefix;
  std::size_t rows;
  std::array<std::optional<Bound>, 3> axes;  // nothing: zero throughout
};

constexpr Bound exact(double low, double high, int decimals) { return {low, high, decimals, false}; }
constexpr Bound within(double low, double high) { return {low, high, 2, true}; }

const std::vector<FamilyRange> kFamilies{
    {"wave_", 16, {exact(-0.82, 0.82, 2), std::nullopt, std::nullopt}},
    {"env_", 16, {std::nullopt, exact(-0.82, 0.5, 2), std::nullopt}},
    {"seq_", 16, {exact(-0.82, 0.82, 2), exact(-0.287, 0.287, 3), std::nullopt}},
    {"noise_", 16, {exact(-0.82, 0.82, 2), exact(-0.82, 0.82, 2), exact(-0.5159, 0.4637, 4)}},
    {"orbit_harmonic_", 16, {exact(-0.82, 0.82, 2), exact(-0.6552, 0.6525, 4), std::nullopt}},
    {"weave_", 16, {exact(-0.82, 0.82, 2), exact(-0.6663, 0.6663, 4), std::nullopt}},
    {"polar_rose_", 8, {within(-0.82, 0.82), within(-0.82, 0.82), std::nullopt}},
    {"polar_scallop_", 8, {within(-0.82, 0.82), within(-0.82, 0.82), std::nullopt}},
    {"spiro_inside_", 8, {within(-0.82, 0.82), within(-0.82, 0.82), std::nullopt}},
    {"spiro_outside_", 8, {within(-0.82, 0.82), within(-0.82, 0.82), std::nullopt}},
    {"space_torus_", 8, {exact(-0.82, 0.82, 2), exact(-0.82, 0.82, 2), exact(-0.4415, 0.4415, 4)}},
    {"space_weave_", 8, {exact(-0.82, 0.82, 2), exact(-0.656, 0.656, 3), exact(-0.574, 0.574, 3)}},
    {"mech_", 16, {exact(-0.82, 0.82, 2), exact(-0.82, 0.82, 2), exact(-0.41, 0.41, 2)}},
    {"euclid_", 16, {exact(-0.5625, 0.75, 4), exact(-0.32, 0.0, 2), std::nullopt}},
    {"poly_", 16, {exact(-0.403, 0.403, 3), exact(-0.52, 0.0, 2), exact(0.0, 0.22, 2)}},
    {"meter_", 16, {exact(-0.72, 0.72, 2), exact(-0.33, 0.0, 2), exact(0.0, 0.0504, 4)}},
    {"swing_", 16, {exact(-0.4225, 0.585, 4), exact(-0.216, 0.0, 3), exact(0.0, 0.09, 2)}},
    {"stick_study_", 16, {exact(-0.74, 0.74, 2), exact(-0.34, 0.0, 2), std::nullopt}},
    {"gesture_", 16, {within(-0.82, 0.82), within(-0.82, 0.82), within(-0.82, 0.82)}},
};

bool shows_as(double observed, double printed, int decimals) {
  return std::fabs(observed - printed) <= 0.5 * std::pow(10.0, -decimals) + 5e-13;
}

TEST(AtlasPack, FamiliesFollowOneAnotherInTableOrder) {
  std::size_t next = 0;
  for (const FamilyRange& family : kFamilies) {
    for (std::size_t r = 0; r < family.rows; ++r, ++next) {
      ASSERT_LT(next, kRows);
      EXPECT_TRUE(atlas()[next].name.starts_with(family.prefix))
          << "row " << kFirstRow + next << " is " << atlas()[next].name << ", want family " << family.prefix;
    }
  }
  EXPECT_EQ(next, kRows);
}

TEST(AtlasPack, EveryFamilyMeetsItsStatedRanges) {
  std::size_t first = 0;
  for (const FamilyRange& family : kFamilies) {
    const std::span<const PackEntry> rows = atlas().subspan(first, family.rows);
    first += family.rows;
    for (int axis = 0; axis < 3; ++axis) {
      double lowest = std::numeric_limits<double>::infinity();
      double highest = -lowest;
      for (const PackEntry& row : rows) {
        for (const Offset3& o : table_of(row)) {
          lowest = std::min(lowest, axis_of(o, axis));
          highest = std::max(highest, axis_of(o, axis));
        }
      }
      const std::optional<Bound>& bound = family.axes[static_cast<std::size_t>(axis)];
      const std::string where = std::string(family.prefix) + " axis " + "xyz"[axis];
      if (!bound) {
        EXPECT_EQ(lowest, 0.0) << where;
        EXPECT_EQ(highest, 0.0) << where;
      } else if (bound->within) {
        EXPECT_GE(lowest, bound->low) << where;
        EXPECT_LE(highest, bound->high) << where;
      } else {
        EXPECT_TRUE(shows_as(lowest, bound->low, bound->decimals)) << where << ": want " << bound->low << ", have " << lowest;
        EXPECT_TRUE(shows_as(highest, bound->high, bound->decimals)) << where << ": want " << bound->high << ", have " << highest;
      }
    }
  }
}

// ---- the deepest z ----------------------------------------------------------

constexpr double kDeepest = -0.819999514101;

TEST(AtlasPack, OneGestureRowHoldsTheSmallestZOfTheWholeTable) {
  std::vector<std::string_view> reaching;
  double lowest = 0.0;
  for (const PackEntry& row : pipmoves::pack_table()) {
    for (const Offset3& o : table_of(row)) {
      lowest = std::min(lowest, o.z);
    }
    const std::vector<Offset3> table = table_of(row);
    if (std::any_of(table.begin(), table.end(), [](const Offset3& o) { return o.z == kDeepest; })) {
      reaching.push_back(row.name);
    }
  }
  EXPECT_TRUE(SameDouble(kDeepest, lowest));
  ASSERT_EQ(reaching.size(), 1u);
  EXPECT_EQ(reaching.front(), "gesture_reach_depth");
}

// ---- edge cases -------------------------------------------------------------

TEST(AtlasEdges, Euclid2On5AccentsItsOnsetsAndWraps) {
  const PackEntry& row = row_named("euclid_2_5");
  ASSERT_EQ(row.period_pips, 160);
  EXPECT_TRUE(SameOffset({0.75, -0.32, 0.0}, row.sampler(0)));
  EXPECT_TRUE(SameOffset({-0.5625, -0.24, 0.0}, row.sampler(96)));
  EXPECT_TRUE(SameOffset(row.sampler(0), row.sampler(160)));
  EXPECT_TRUE(SameOffset(row.sampler(159), row.sampler(-1)));
  EXPECT_TRUE(SameOffset(row.sampler(0), row.sampler(-160)));
  EXPECT_TRUE(SameOffset(row.sampler(159), row.sampler(-161)));
  EXPECT_TRUE(SameOffset(row.sampler(32), row.sampler(std::numeric_limits<std::int32_t>::min())));
  EXPECT_TRUE(SameOffset(row.sampler(96), pipmoves::sample("euclid_2_5", 96)));
}

TEST(AtlasEdges, EuclidPeriodsAre32PerStep) {
  const std::vector<std::pair<std::string_view, int>> cases{
      {"euclid_2_5", 160}, {"euclid_3_10", 320}, {"euclid_7_17", 544}, {"euclid_11_24", 768}};
  for (const auto& [name, period] : cases) {
    EXPECT_EQ(row_named(name).period_pips, period) << name;
  }
}

TEST(AtlasEdges, Rose6TracesTheOutlineOfRose3Twice) {
  const PackEntry& three = row_named("polar_rose_3");
  const PackEntry& six = row_named("polar_rose_6");
  for (int i = 0; i < 1024; ++i) {
    const Offset3 want = three.sampler((2 * i) % 1024);
    const Offset3 have = six.sampler(i);
    EXPECT_NEAR(have.x, want.x, 2e-12) << "pip " << i;
    EXPECT_NEAR(have.y, want.y, 2e-12) << "pip " << i;
    const Offset3 again = six.sampler(i + 512);
    EXPECT_NEAR(again.x, have.x, 2e-12) << "pip " << i;
    EXPECT_NEAR(again.y, have.y, 2e-12) << "pip " << i;
  }
}

TEST(AtlasEdges, EnvelopesMoveOnlyY) {
  int envelopes = 0;
  for (const PackEntry& row : atlas()) {
    if (!row.name.starts_with("env_")) continue;
    ++envelopes;
    EXPECT_EQ(row.dimensions, 2) << row.name;
    for (const Offset3& o : table_of(row)) {
      ASSERT_TRUE(SameDouble(0.0, o.x)) << row.name;
      ASSERT_TRUE(SameDouble(0.0, o.z)) << row.name;
    }
  }
  EXPECT_EQ(envelopes, 16);
}

TEST(AtlasEdges, MeterPeriodsAre32PerEighth) {
  const std::vector<std::pair<std::string_view, int>> cases{
      {"meter_2_3", 160}, {"meter_3_2", 160}, {"meter_2_2_3_2_3", 384}, {"meter_3_3_3_4", 416}};
  for (const auto& [name, period] : cases) {
    EXPECT_EQ(row_named(name).period_pips, period) << name;
  }
}

}  // namespace

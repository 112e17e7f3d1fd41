#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

#include "pipmoves/catalogue.hpp"
#include "pipmoves/pack_table.hpp"

namespace {

using pipmoves::Offset3;
using pipmoves::PackEntry;

double axis(const Offset3& o, int a) { return a == 0 ? o.x : a == 1 ? o.y : o.z; }

bool valid_name(std::string_view name) {
  if (name.empty() || name.size() > 32 || name[0] < 'a' || name[0] > 'z') return false;
  return std::all_of(name.begin(), name.end(),
                     [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_'; });
}

double twelve_places(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.12f", v);
  return std::strtod(text, nullptr);
}

TEST(PackInvariants, NamesFollowTheIdentifierRuleAndAreUnique) {
  std::set<std::string_view> seen;
  for (const auto& entry : pipmoves::catalogue()) {
    EXPECT_TRUE(seen.insert(entry.name).second) << "duplicate " << entry.name;
  }
  for (const PackEntry& row : pipmoves::pack_table()) {
    EXPECT_TRUE(valid_name(row.name)) << row.name;
    EXPECT_GE(row.name.size(), 8u) << row.name;
  }
}

TEST(PackInvariants, DescriptionsAreShortNonEmptyText) {
  for (const PackEntry& row : pipmoves::pack_table()) {
    EXPECT_FALSE(row.description.empty()) << row.name;
    EXPECT_LE(row.description.size(), 235u) << row.name;
    EXPECT_FALSE(row.description.ends_with("  ")) << row.name;
  }
}

TEST(PackInvariants, PeriodsAreWholeHalfBeatsFrom160To1024) {
  for (const PackEntry& row : pipmoves::pack_table()) {
    EXPECT_EQ(0, row.period_pips % 32) << row.name;
    EXPECT_GE(row.period_pips, 160) << row.name;
    EXPECT_LE(row.period_pips, 1024) << row.name;
  }
}

TEST(PackInvariants, SamplesAreFiniteInRangeTwelvePlacesAndNeverNegativeZero) {
  for (const PackEntry& row : pipmoves::pack_table()) {
    for (int i = 0; i < row.period_pips; ++i) {
      const Offset3 o = row.sampler(i);
      for (int a = 0; a < 3; ++a) {
        const double v = axis(o, a);
        ASSERT_TRUE(std::isfinite(v)) << row.name << " pip " << i;
        ASSERT_LE(std::fabs(v), 1.0) << row.name << " pip " << i;
        ASSERT_FALSE(v == 0.0 && std::signbit(v)) << row.name << " pip " << i << " axis " << a;
        ASSERT_EQ(twelve_places(v), v) << row.name << " pip " << i << " axis " << a;
      }
    }
  }
}

TEST(PackInvariants, DimensionsFollowTheMovingAxes) {
  for (const PackEntry& row : pipmoves::pack_table()) {
    bool y = false;
    bool z = false;
    for (int i = 0; i < row.period_pips; ++i) {
      y = y || row.sampler(i).y != 0.0;
      z = z || row.sampler(i).z != 0.0;
    }
    EXPECT_EQ(z ? 3 : y ? 2 : 1, row.dimensions) << row.name;
  }
}

TEST(PackInvariants, SeamIsNoLargerThanTheLargestStepInside) {
  for (const PackEntry& row : pipmoves::pack_table()) {
    for (int a = 0; a < 3; ++a) {
      double largest = 0.0;
      for (int i = 1; i < row.period_pips; ++i) {
        largest = std::max(largest, std::fabs(axis(row.sampler(i), a) - axis(row.sampler(i - 1), a)));
      }
      const double seam = std::fabs(axis(row.sampler(0), a) - axis(row.sampler(row.period_pips - 1), a));
      EXPECT_LE(seam, largest) << row.name << " axis " << a;
    }
  }
}

TEST(PackInvariants, NameIndexIsASortedPermutation) {
  const auto rows = pipmoves::pack_table();
  const auto index = pipmoves::pack_name_index();
  ASSERT_EQ(rows.size(), index.size());
  std::set<std::uint64_t> distinct(index.begin(), index.end());
  EXPECT_EQ(rows.size(), distinct.size());
  EXPECT_LT(*distinct.rbegin(), rows.size());
  for (std::size_t i = 1; i < index.size(); ++i) {
    EXPECT_LT(rows[index[i - 1]].name, rows[index[i]].name) << "index position " << i;
  }
}

}  // namespace

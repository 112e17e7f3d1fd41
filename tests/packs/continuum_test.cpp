#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <stdexcept>
#include <string_view>

#include "../core/offset_matchers.hpp"
#include "pipmoves/pack_table.hpp"

namespace {

using pipmoves::Offset3;
using pipmoves::PackEntry;
using pipmoves::pack_table;
using pipmoves::testing::SameOffset;

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::string_view kRhythmicPrefixes[] = {"canon_",       "echo_",    "ladder_",   "necklace_",
                                                  "accent_walk_", "triplet_", "dialogue_", "burst_"};

const PackEntry& row_named(std::string_view name) {
  for (const PackEntry& row : pack_table()) {
    if (row.name == name) {
      return row;
    }
  }
  throw std::invalid_argument("no row " + std::string(name));
}

std::string numbered(std::string_view prefix, int n) {
  return std::string(prefix) + (n < 10 ? "0" : "") + std::to_string(n);
}

bool moves_z(const PackEntry& row) {
  for (int i = 0; i < row.period_pips; ++i) {
    if (row.sampler(i).z != 0.0) {
      return true;
    }
  }
  return false;
}

TEST(ContinuumPack, FirstEightShapedContoursStayInThePlane) {
  for (int n = 1; n <= 8; ++n) {
    const PackEntry& row = row_named(numbered("contour_shaped_", n));
    EXPECT_FALSE(moves_z(row)) << row.name;
    EXPECT_EQ(row.dimensions, 2) << row.name;
  }
}

TEST(ContinuumPack, LastEightShapedContoursMoveInDepth) {
  for (int n = 9; n <= 16; ++n) {
    const PackEntry& row = row_named(numbered("contour_shaped_", n));
    EXPECT_TRUE(moves_z(row)) << row.name;
    EXPECT_EQ(row.dimensions, 3) << row.name;
  }
}

TEST(ContinuumPack, EveryPacketSwingsToTheFullLateralPeak) {
  for (int count = 2; count <= 5; ++count) {
    for (const char* style : {"alternating", "cascading", "crossing", "depth"}) {
      const PackEntry& row = row_named(std::string("packet_") + style + "_" + std::to_string(count));
      double lowest = 0.0, highest = 0.0;
      for (int i = 0; i < row.period_pips; ++i) {
        lowest = std::min(lowest, row.sampler(i).x);
        highest = std::max(highest, row.sampler(i).x);
      }
      EXPECT_EQ(lowest, -0.82) << row.name;
      EXPECT_EQ(highest, 0.82) << row.name;
    }
  }
}

struct Reduction {
  const char* name;
  int period;
  std::int32_t pip;
  int index;  // the table entry the pip reduces to
};

// The smallest pip, -2^31, leaves -2^31 mod p: 160 for 288, 352 for 480 (the
// truncating remainder plus the period), and 0 for the masked 512.
TEST(ContinuumPack, DialoguePeriodsReduceEveryPipToTheirOwnTable) {
  const Reduction cases[] = {
      {"dialogue_4_3_2", 288, -1, 287},          {"dialogue_4_3_2", 288, -288, 0},
      {"dialogue_4_3_2", 288, 288 * 5 + 7, 7},   {"dialogue_4_3_2", 288, kMin, 160},
      {"dialogue_4_3_2", 288, kMax, 127},        {"dialogue_3_5_4_3", 480, -1, 479},
      {"dialogue_3_5_4_3", 480, -481, 479},      {"dialogue_3_5_4_3", 480, kMin, 352},
      {"dialogue_3_5_4_3", 480, kMax, 127},      {"dialogue_4_3_5_4", 512, -1, 511},
      {"dialogue_4_3_5_4", 512, kMin, 0},        {"dialogue_4_3_5_4", 512, kMax, 511},
  };
  for (const Reduction& c : cases) {
    const PackEntry& row = row_named(c.name);
    EXPECT_EQ(row.period_pips, c.period) << c.name;
    EXPECT_TRUE(SameOffset(row.sampler(c.index), row.sampler(c.pip))) << c.name << " pip " << c.pip << " want index " << c.index;
  }
}

TEST(ContinuumPack, RhythmicStudiesStayWithinAThirdOfTheField) {
  int rows = 0;
  for (const PackEntry& row : pack_table()) {
    const bool rhythmic = std::ranges::any_of(kRhythmicPrefixes, [&](std::string_view p) { return row.name.starts_with(p); });
    if (!rhythmic) {
      continue;
    }
    ++rows;
    for (int i = 0; i < row.period_pips; ++i) {
      const Offset3 o = row.sampler(i);
      ASSERT_LE(std::max({std::fabs(o.x), std::fabs(o.y), std::fabs(o.z)}), 0.33) << row.name << " pip " << i;
    }
  }
  EXPECT_EQ(rows, 8 * 16);
}

}  // namespace

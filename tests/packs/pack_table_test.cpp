#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <sstream>
#include <string_view>
#include <vector>

#include "../core/offset_matchers.hpp"
#include "golden_digests.hpp"
#include "layout_rows.hpp"
#include "pipmoves/pack_table.hpp"
#include "pipmoves/pip.hpp"

namespace {

using pipmoves::Offset3;
using pipmoves::PackEntry;
using pipmoves::pack_table;
using pipmoves::testing::SameOffset;

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST(PackTable, EverySamplerLoopsOverItsPeriod) {
  for (const PackEntry& row : pack_table()) {
    const int p = row.period_pips;
    ASSERT_TRUE(SameOffset(row.sampler(0), row.sampler(p))) << row.name;
    ASSERT_TRUE(SameOffset(row.sampler(p - 1), row.sampler(-1))) << row.name;
    for (int k : {-3, -1, 2, 7}) {
      for (int i = 0; i < p; i += 13) {
        ASSERT_TRUE(SameOffset(row.sampler(i), row.sampler(k * p + i))) << row.name << " pip " << k * p + i;
      }
    }
  }
}

TEST(PackTable, EverySamplerReducesBothEndsOfThePipRange) {
  for (const PackEntry& row : pack_table()) {
    const int p = row.period_pips;
    for (std::int32_t pip : {kMin, kMin + 1, kMax - 1, kMax}) {
      ASSERT_TRUE(SameOffset(row.sampler(pipmoves::wrap_pip(pip, p)), row.sampler(pip))) << row.name << " pip " << pip;
    }
  }
}

// The generator verified its tables before writing them; this proves that
// what was compiled in, read through each sampler, is still those tables.
TEST(PackTable, CompiledTablesMatchTheirGoldenDigests) {
  std::ifstream in(PIPMOVES_GOLDEN_DIGESTS, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  const auto golden = pipmoves::packgen::parse_golden_digests(text.str());
  ASSERT_EQ(pack_table().size(), golden.size());
  for (std::size_t r = 0; r < golden.size(); ++r) {
    const PackEntry& row = pack_table()[r];
    std::vector<Offset3> table;
    for (int i = 0; i < row.period_pips; ++i) {
      table.push_back(row.sampler(i));
    }
    EXPECT_EQ(golden[r].name, row.name);
    EXPECT_EQ(golden[r].digest, pipmoves::packgen::table_digest(table)) << row.name;
  }
}

// The one place that states where each pack stands in the table; every other
// test finds its rows through the layout the generator wrote.
TEST(PackTable, PacksStandInTheirStatedRows) {
  struct Want {
    std::string_view pack;
    std::size_t first_row;
    std::size_t rows;
    int period_sum;
  };
  const Want want[] = {{"initial", 0, 28, 8704},         {"expansion", 28, 24, 12992}, {"atlas", 52, 256, 167040},
                       {"continuum", 308, 320, 252544}, {"club", 628, 144, 79872},     {"dancefloor", 772, 944, 501760}};
  ASSERT_EQ(std::size(pipmoves::pack_layout::kPacks), std::size(want));
  for (std::size_t p = 0; p < std::size(want); ++p) {
    const auto& have = pipmoves::pack_layout::kPacks[p];
    EXPECT_EQ(have.name, want[p].pack);
    EXPECT_EQ(have.first_row, want[p].first_row) << want[p].pack;
    EXPECT_EQ(have.rows, want[p].rows) << want[p].pack;
    int sum = 0;
    for (const PackEntry& row : pipmoves::testing::pack_rows(want[p].pack)) sum += row.period_pips;
    EXPECT_EQ(sum, want[p].period_sum) << want[p].pack;
  }
  EXPECT_EQ(pack_table().size(), 1716u);
  EXPECT_EQ(pipmoves::testing::layout_family("dancefloor groove jersey_five").first_row, 1204u);
}

// Families follow one another without gap, each inside its pack.
TEST(PackTable, FamiliesPartitionTheirPacks) {
  std::size_t next = 0;
  for (const auto& family : pipmoves::pack_layout::kFamilies) {
    const auto& pack = pipmoves::testing::layout_pack(family.pack);
    EXPECT_EQ(family.first_row, next) << family.label;
    EXPECT_GE(family.first_row, pack.first_row) << family.label;
    EXPECT_LE(family.first_row + family.rows, pack.first_row + pack.rows) << family.label;
    next += family.rows;
  }
  EXPECT_EQ(next, pack_table().size());
}

}  // namespace

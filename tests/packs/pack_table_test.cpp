#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <limits>
#include <sstream>
#include <vector>

#include "../core/offset_matchers.hpp"
#include "golden_digests.hpp"
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

}  // namespace

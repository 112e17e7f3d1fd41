#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "../core/offset_matchers.hpp"
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

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <stdexcept>
#include <string_view>

#include "pipmoves/pack_table.hpp"

namespace {

using pipmoves::Offset3;
using pipmoves::PackEntry;
using pipmoves::pack_table;

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

}  // namespace

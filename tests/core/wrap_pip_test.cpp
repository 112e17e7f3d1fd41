#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "pipmoves/pip.hpp"

namespace {

using pipmoves::wrap_pip;

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

struct WrapCase {
  std::int32_t pip;
  std::int32_t period;
  std::int32_t want;
};

TEST(WrapPip, Table) {
  const WrapCase cases[] = {
      {5, 4, 1},     {-1, 4, 3},      {-4, 4, 0},      {-5, 4, 3},     {-130, 64, 62},
      {7, 0, 0},     {7, -3, 0},      {7, -1, 0},      {kMin, -1, 0},  {kMin, kMin, 0},
      {kMin, 7, 5},  {kMax, 7, 1},    {kMin, 64, 0},   {kMax, 1, 0},   {kMax, kMax, 0},
      {kMin, kMax, kMax - 1},         {kMax - 1, kMax, kMax - 1},      {-1, kMax, kMax - 1},
      {kMin, 160, 32},                {0, 160, 0},     {-161, 160, 159},
  };
  for (const WrapCase& c : cases) {
    EXPECT_EQ(c.want, wrap_pip(c.pip, c.period)) << "wrap_pip(" << c.pip << ", " << c.period << ")";
  }
}

TEST(WrapPip, IsFlooredRemainderOverPipSweep) {
  for (std::int32_t period : {1, 3, 7, 64, 160, 1000, 65535}) {
    for (std::int64_t pip = -100000; pip <= 100000; pip += 37) {
      const std::int64_t want = ((pip % period) + period) % period;
      ASSERT_EQ(want, wrap_pip(static_cast<std::int32_t>(pip), period)) << "pip " << pip << " period " << period;
    }
  }
}

}  // namespace

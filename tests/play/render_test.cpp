#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "core/offset_matchers.hpp"
#include "pipmoves/catalogue.hpp"
#include "pipmoves/play/render.hpp"
#include "play_support.hpp"
#include "user/throws_matcher.hpp"

namespace pipmoves::play {
namespace {

using pipmoves::testing::SameOffset;
using pipmoves::testing::ThrowsExactly;
using testing::kMaxPip;
using testing::kMinPip;

struct Walk {
  std::int32_t first_pip;
  std::int32_t step;
};

// Runs that cross both 32-bit ends, walk backwards, and stride far.
constexpr std::array<Walk, 5> kRuns = {{{kMaxPip - 20, 1}, {kMinPip + 20, -1}, {-7, 3}, {kMinPip, 1 << 30}, {5, -193}}};
constexpr std::int64_t kRows = 48;

TEST(Render, EveryDefaultPatternIsBitIdenticalToSample) {
  for (const CatalogueEntry& row : catalogue()) {
    const PatternRef pattern = PatternRef::named(row.name);
    for (const Walk& run : kRuns) {
      const Rows<Offset3> rows = render(pattern, run.first_pip, kRows, run.step);
      ASSERT_EQ(rows.size(), kRows);
      for (std::int64_t k = 0; k < kRows; ++k) {
        const std::int32_t pip = advance_pip(run.first_pip, k, run.step);
        ASSERT_TRUE(SameOffset(sample(row.name, pip), rows.rows()[static_cast<std::size_t>(k)]))
            << row.name << " at pip " << pip;
      }
    }
  }
}

// Rows repeat after a whole number of periods until the pips pass a 32-bit
// end; runs longer than the period on both sides of an end test both.
TEST(Render, RunsLongerThanThePeriodStayBitIdenticalAcrossTheEnds) {
  for (const CatalogueEntry& row : catalogue()) {
    const PatternRef pattern = PatternRef::named(row.name);
    const std::int32_t period = row.period_pips;
    for (const Walk& run : {Walk{kMaxPip - period - 3, 1}, Walk{kMinPip + 2 * period, -3}}) {
      const Rows<Offset3> rows = render(pattern, run.first_pip, 3 * period + 7, run.step);
      for (std::size_t k = 0; k < rows.size(); ++k) {
        const std::int32_t pip = advance_pip(run.first_pip, static_cast<std::int64_t>(k), run.step);
        ASSERT_TRUE(SameOffset(sample(row.name, pip), rows.rows()[k])) << row.name << " at pip " << pip;
      }
    }
  }
  const SampledPattern three("three", "", {{-1.0, 0.0, 0.0}, {0.0, 0.5, 0.0}, {1.0, 0.0, -0.25}});
  for (const std::int32_t step : {1, 2, 3, 7, -4, kMinPip, kMaxPip, 1 << 30}) {
    for (const std::int32_t first : {kMaxPip - 10, kMinPip + 5, 0}) {
      const Rows<Offset3> rows = render(PatternRef(three), first, 40, step);
      for (std::size_t k = 0; k < rows.size(); ++k) {
        const std::int32_t pip = advance_pip(first, static_cast<std::int64_t>(k), step);
        ASSERT_TRUE(SameOffset(three.sample(pip), rows.rows()[k])) << "step " << step << " at pip " << pip;
      }
    }
  }
}

TEST(Render, PipsWrapAsTwosComplement) {
  EXPECT_EQ(advance_pip(kMaxPip, 1, 1), kMinPip);
  EXPECT_EQ(advance_pip(kMinPip, 1, -1), kMaxPip);
  EXPECT_EQ(advance_pip(0, 3, 1 << 30), -(1 << 30));
  EXPECT_EQ(advance_pip(7, (std::int64_t{1} << 32) + 2, 5), 17);
}

TEST(Render, FillsACallersSpanAndAFade) {
  const SampledPattern pattern("ramp", "", {{-1.0, 0.0, 0.0}, {0.0, 0.5, 0.0}, {1.0, 0.0, -0.25}});
  std::vector<Offset3> out(11);
  render(PatternRef(pattern), kMaxPip - 4, 1, out);
  for (std::size_t k = 0; k < out.size(); ++k) {
    EXPECT_TRUE(SameOffset(pattern.sample(advance_pip(kMaxPip - 4, static_cast<std::int64_t>(k), 1)), out[k])) << k;
  }
  const CrossFade fade(PatternRef::named("sway"), PatternRef(pattern), 100, 10, Easing::linear);
  const Rows<Offset3> faded = render(fade, 90, 30);
  for (std::int32_t k = 0; k < 30; ++k) {
    EXPECT_TRUE(SameOffset(fade.sample(90 + k), faded.rows()[static_cast<std::size_t>(k)])) << k;
  }
}

TEST(Render, RefusesBadRequestsBeforeFilling) {
  const PatternRef bounce = PatternRef::named("bounce");
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { render(bounce, 0, 4, 0); }, "Step must not be zero"));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { render(bounce, 0, -1); }, "Count must not be negative"));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { render(bounce, 0, kMaxRows + 1); },
                                                   "Too many rows: at most 16777216"));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { render(bounce, 0, std::int64_t{1} << 62); },
                                                   "Too many rows: at most 16777216"));
  std::vector<Offset3> out(3, Offset3{0.5, 0.5, 0.5});
  EXPECT_THROW(render(bounce, 0, 0, out), std::invalid_argument);
  for (const Offset3& row : out) {
    EXPECT_TRUE(SameOffset({0.5, 0.5, 0.5}, row));
  }
  EXPECT_EQ(render(bounce, 0, 0).size(), 0u);
}

}  // namespace
}  // namespace pipmoves::play

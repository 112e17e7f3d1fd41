#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

#include "core/offset_matchers.hpp"
#include "pipmoves/catalogue.hpp"
#include "pipmoves/play/spread.hpp"
#include "play_support.hpp"
#include "user/throws_matcher.hpp"

namespace pipmoves::play {
namespace {

using pipmoves::testing::SameOffset;
using pipmoves::testing::ThrowsExactly;
using testing::kMaxPip;
using testing::kMinPip;

std::int32_t lagged(std::int32_t pip, std::int64_t lag) { return advance_pip(pip, -lag, 1); }

TEST(Spread, AFanLagsFixtureIByAnEvenShareOfThePeriod) {
  for (const CatalogueEntry& row : catalogue()) {
    const PatternRef pattern = PatternRef::named(row.name);
    for (const std::int32_t pip : {kMinPip, -1, 0, 1000, kMaxPip}) {
      const Rows<Offset3> fixtures = spread(pattern, pip, 7);
      for (std::int64_t i = 0; i < 7; ++i) {
        const std::int32_t want_pip = lagged(pip, i * row.period_pips / 7);
        ASSERT_TRUE(SameOffset(sample(row.name, want_pip), fixtures.rows()[static_cast<std::size_t>(i)]))
            << row.name << " fixture " << i << " at pip " << pip;
      }
    }
  }
}

TEST(Spread, AFixedStepLagsByWholeStepsAndWraps) {
  const Spread how{.phase_step = 1 << 30};
  const Rows<Offset3> fixtures = spread(PatternRef::named("lfo_breathe"), kMaxPip, 5, how);
  for (std::int64_t i = 0; i < 5; ++i) {
    EXPECT_TRUE(SameOffset(sample("lfo_breathe", lagged(kMaxPip, i << 30)), fixtures.rows()[static_cast<std::size_t>(i)]))
        << i;
  }
}

TEST(Spread, FromTheCentreTheHalvesMirrorEachOther) {
  // Ranks from the centre: 3 2 1 0 0 1 2 3 for eight, 2 1 0 1 2 for five.
  struct Case {
    std::int64_t fixtures;
    std::vector<std::int64_t> ranks;
  };
  for (const Case& c : {Case{8, {3, 2, 1, 0, 0, 1, 2, 3}}, Case{5, {2, 1, 0, 1, 2}}, Case{1, {0}}}) {
    const std::int64_t distinct = (c.fixtures + 1) / 2;
    const Rows<Offset3> fan = spread(PatternRef::named("circle"), 3, c.fixtures, {.from_centre = true});
    const Rows<Offset3> stepped =
        spread(PatternRef::named("circle"), 3, c.fixtures, {.phase_step = -5, .from_centre = true});
    for (std::size_t i = 0; i < c.ranks.size(); ++i) {
      EXPECT_TRUE(SameOffset(sample("circle", lagged(3, c.ranks[i] * 64 / distinct)), fan.rows()[i])) << i;
      EXPECT_TRUE(SameOffset(sample("circle", lagged(3, c.ranks[i] * -5)), stepped.rows()[i])) << i;
    }
  }
}

TEST(Spread, AlternateFixturesRunBackwardsOrMirrorX) {
  const PatternRef figure = PatternRef::named("figure_eight");
  const Rows<Offset3> reversed = spread(figure, 40, 4, {.phase_step = 16, .alternate = Alternation::reverse});
  const Rows<Offset3> mirrored = spread(figure, 40, 4, {.phase_step = 16, .alternate = Alternation::mirror_x});
  for (std::int32_t i = 0; i < 4; ++i) {
    const bool odd = i % 2 == 1;
    const Offset3 ahead = sample("figure_eight", 40 - 16 * i);
    const Offset3 back = sample("figure_eight", 16 * i - 40);
    EXPECT_TRUE(SameOffset(odd ? back : ahead, reversed.rows()[static_cast<std::size_t>(i)])) << i;
    EXPECT_TRUE(SameOffset(odd ? Offset3{-ahead.x, ahead.y, ahead.z} : ahead, mirrored.rows()[static_cast<std::size_t>(i)]))
        << i;
  }
}

TEST(Spread, AFadeEndsBitIdenticalToTheSecondPatternsSpread) {
  const Spread how{.from_centre = true, .alternate = Alternation::mirror_x};
  for (const CatalogueEntry& row : catalogue()) {
    const CrossFade fade(PatternRef::named("helix"), PatternRef::named(row.name), kMaxPip - 10, 64);
    const std::int32_t end = advance_pip(kMaxPip - 10, 64, 1);
    for (const std::int32_t pip : {end, advance_pip(end, 1, 1), advance_pip(end, 9999, 1)}) {
      const Rows<Offset3> faded = spread(fade, pip, 6, how);
      const Rows<Offset3> plain = spread(PatternRef::named(row.name), pip, 6, how);
      for (std::size_t i = 0; i < 6; ++i) {
        ASSERT_TRUE(SameOffset(plain.rows()[i], faded.rows()[i])) << row.name << " fixture " << i << " at " << pip;
      }
    }
  }
}

TEST(Spread, DuringAFadeEveryFixtureMixesItsOwnTwoSpreads) {
  const PatternRef from = PatternRef::named("sway");
  const PatternRef to = PatternRef::named("bounce");
  const CrossFade fade(from, to, 0, 128, Easing::sine);
  const Spread how{.alternate = Alternation::reverse};
  const Rows<Offset3> before = spread(fade, -1, 8, how);
  const Rows<Offset3> during = spread(fade, 32, 8, how);
  const Rows<Offset3> a = spread(from, 32, 8, how);
  const Rows<Offset3> b = spread(to, 32, 8, how);
  const Rows<Offset3> a_before = spread(from, -1, 8, how);
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_TRUE(SameOffset(a_before.rows()[i], before.rows()[i])) << i;
    EXPECT_TRUE(SameOffset(CrossFade::mix(a.rows()[i], b.rows()[i], fade.weight(32)), during.rows()[i])) << i;
  }
}

TEST(Spread, NamesAndRefusals) {
  for (const std::string_view name : alternation_names()) {
    EXPECT_EQ(alternation_name(alternation_named(name)), name);
  }
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([] { alternation_named("Reverse"); }, "Unknown alternation: Reverse"));
  const PatternRef bounce = PatternRef::named("bounce");
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { spread(bounce, 0, -1); }, "Count must not be negative"));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { spread(bounce, 0, kMaxRows + 1); },
                                                   "Too many rows: at most 16777216"));
  EXPECT_EQ(spread(bounce, 0, 0).size(), 0u);
}

}  // namespace
}  // namespace pipmoves::play

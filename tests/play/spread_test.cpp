#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
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

TEST(Spread, StagePositionsEvenlySpacedInOrderPlayAsTheOrderDoes) {
  const PatternRef circle = PatternRef::named("circle");
  const PatternRef breathe = PatternRef::named("lfo_breathe");
  for (const std::int64_t n : {2, 7, 8}) {
    std::vector<double> x;
    for (std::int64_t i = 0; i < n; ++i) {
      x.push_back(-3.5 + 1.5 * static_cast<double>(i));
    }
    for (Spread how : {Spread{}, Spread{.phase_step = 24}, Spread{.from_centre = true},
                       Spread{.phase_step = -5, .from_centre = true, .alternate = Alternation::reverse}}) {
      const Rows<Offset3> by_order = spread(breathe, 1000, n, how);
      how.stage_x = x;
      const Rows<Offset3> by_place = spread(breathe, 1000, n, how);
      for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
        EXPECT_TRUE(SameOffset(by_order.rows()[i], by_place.rows()[i])) << n << " fixtures, fixture " << i;
      }
    }
    const CrossFade fade(circle, breathe, 990, 64);
    const Rows<Offset3> faded = spread(fade, 1000, n, {.stage_x = x});
    const Rows<Offset3> plain = spread(fade, 1000, n);
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
      EXPECT_TRUE(SameOffset(plain.rows()[i], faded.rows()[i])) << n << " fixtures, fixture " << i;
    }
  }
}

TEST(Spread, StagePositionsPhaseEachFixtureByWhereItStands) {
  // circle's period is 64 pips. Places run 0 to n - 1 across the rig: x of
  // 0, 1, 5 and 6 stand at 0, 0.5, 2.5 and 3, whatever order the patch lists them in.
  struct Case {
    const char* what;
    std::optional<std::int32_t> phase_step;
    bool from_centre;
    const std::vector<double>& x;
    std::vector<std::int64_t> lags;
  };
  const std::vector<double> x = {6.0, 0.0, 5.0, 1.0};
  const std::vector<double> together = {2.0, 2.0, 2.0, 2.0};
  const Case cases[] = {
      {"a fan: floor(place * 64 / 4)", std::nullopt, false, x, {48, 0, 40, 8}},
      {"a step: round(place * 16)", 16, false, x, {48, 0, 40, 8}},
      {"a step of 3: 1.5 rounds to 2", 3, false, x, {9, 0, 8, 2}},
      // From the middle (x = 3): distances 3, 3, 2, 2, on the scale 1.5, 1.5, 1, 1, less the
      // innermost's: 0.5, 0.5, 0, 0; a fan from the centre lags floor(place * 64 / 2).
      {"from the centre", std::nullopt, true, x, {16, 16, 0, 0}},
      {"all at one place", std::nullopt, false, together, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    const Spread how{.phase_step = c.phase_step, .from_centre = c.from_centre, .stage_x = c.x};
    const Rows<Offset3> fixtures = spread(PatternRef::named("circle"), 100, 4, how);
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_TRUE(SameOffset(sample("circle", lagged(100, c.lags[i])), fixtures.rows()[i])) << c.what << ", fixture " << i;
    }
  }
}

TEST(Spread, StagePositionsAreOnePerFixtureAndFinite) {
  const PatternRef bounce = PatternRef::named("bounce");
  std::vector<Offset3> out(3, Offset3{9.0, 9.0, 9.0});
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { spread(bounce, 0, {.stage_x = {1.0, 2.0}}, out); },
                                                   "Stage positions must be one per fixture"));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>(
      [&] { spread(bounce, 0, {.stage_x = {1.0, std::numeric_limits<double>::infinity(), 2.0}}, out); },
      "Stage positions must be finite"));
  EXPECT_EQ(9.0, out[0].x);  // nothing written
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { spread(bounce, 0, 0, {.stage_x = {1.0}}); },
                                                   "Stage positions must be one per fixture"));
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

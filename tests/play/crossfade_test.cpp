#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

#include "core/offset_matchers.hpp"
#include "pipmoves/catalogue.hpp"
#include "pipmoves/play/crossfade.hpp"
#include "play_support.hpp"
#include "user/throws_matcher.hpp"

namespace pipmoves::play {
namespace {

using pipmoves::testing::SameOffset;
using pipmoves::testing::ThrowsExactly;
using testing::kMaxPip;
using testing::kMinPip;

TEST(Easing, EveryEasingRisesFromZeroToOneWithoutFallingBack) {
  for (const std::string_view name : easing_names()) {
    const Easing easing = easing_named(name);
    EXPECT_EQ(easing_name(easing), name);
    EXPECT_EQ(ease(easing, 0.0), 0.0) << name;
    EXPECT_EQ(ease(easing, 1.0), 1.0) << name;
    double previous = 0.0;
    for (int i = 1; i <= 4096; ++i) {
      const double w = ease(easing, i / 4096.0);
      ASSERT_GE(w, previous) << name << " at " << i;
      ASSERT_LE(w, 1.0) << name << " at " << i;
      previous = w;
    }
  }
  EXPECT_EQ(ease(Easing::smoothstep, 0.5), 0.5);
  EXPECT_EQ(ease(Easing::smootherstep, 0.5), 0.5);
  EXPECT_EQ(ease(Easing::linear, 0.25), 0.25);
  EXPECT_NEAR(ease(Easing::sine, 0.5), 0.5, 1e-15);
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([] { easing_named("ease"); }, "Unknown easing: ease"));
}

TEST(CrossFade, WeightRunsFromTheStartForTheLengthAcrossTheWrap) {
  const CrossFade fade(PatternRef::named("bounce"), PatternRef::named("sway"), kMaxPip - 1, 4, Easing::linear);
  EXPECT_EQ(fade.weight(kMaxPip - 2), 0.0);
  EXPECT_EQ(fade.weight(kMaxPip - 1), 0.0);
  EXPECT_EQ(fade.weight(kMaxPip), 0.25);
  EXPECT_EQ(fade.weight(kMinPip), 0.5);
  EXPECT_EQ(fade.weight(kMinPip + 1), 0.75);
  EXPECT_EQ(fade.weight(kMinPip + 2), 1.0);
  // Half the 32-bit cycle on, a pip counts as before the start again.
  EXPECT_EQ(fade.weight(advance_pip(kMaxPip - 1, (std::int64_t{1} << 31) - 1, 1)), 1.0);
  EXPECT_EQ(fade.weight(advance_pip(kMaxPip - 1, std::int64_t{1} << 31, 1)), 0.0);
}

TEST(CrossFade, IsExactlyTheFirstPatternBeforeAndTheSecondAfter) {
  for (const CatalogueEntry& row : catalogue()) {
    const CrossFade fade(PatternRef::named("helix"), PatternRef::named(row.name), -100, 96, Easing::smootherstep);
    for (const std::int32_t pip : {-1000, -101, -100}) {
      ASSERT_TRUE(SameOffset(sample("helix", pip), fade.sample(pip))) << row.name << " at " << pip;
    }
    for (const std::int32_t pip : {-4, 0, 100000, kMaxPip - 200}) {
      ASSERT_TRUE(SameOffset(sample(row.name, pip), fade.sample(pip))) << row.name << " at " << pip;
    }
  }
}

TEST(CrossFade, MixesByTheEasedWeightInBetween) {
  const CrossFade fade(PatternRef::named("circle"), PatternRef::named("bounce"), 0, 64);
  for (std::int32_t pip = 1; pip < 64; ++pip) {
    const double w = ease(Easing::smoothstep, pip / 64.0);
    EXPECT_EQ(fade.weight(pip), w);
    const Offset3 a = sample("circle", pip);
    const Offset3 b = sample("bounce", pip);
    EXPECT_TRUE(SameOffset(CrossFade::mix(a, b, w), fade.sample(pip))) << pip;
  }
  EXPECT_TRUE(SameOffset({-1.0, 1.0, 0.25}, CrossFade::mix({-1.0, 1.0, 0.25}, {1.0, -1.0, 0.5}, 0.0)));
  EXPECT_TRUE(SameOffset({1.0, -1.0, 0.5}, CrossFade::mix({-1.0, 1.0, 0.25}, {1.0, -1.0, 0.5}, 1.0)));
}

TEST(CrossFade, ALengthOfZeroSwitchesAtTheStartAndANegativeOneIsRefused) {
  const CrossFade cut(PatternRef::named("bounce"), PatternRef::named("circle"), 10, 0);
  EXPECT_TRUE(SameOffset(sample("bounce", 9), cut.sample(9)));
  EXPECT_TRUE(SameOffset(sample("circle", 10), cut.sample(10)));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>(
      [] { CrossFade(PatternRef::named("bounce"), PatternRef::named("circle"), 0, -1); },
      "Fade length must not be negative"));
}

}  // namespace
}  // namespace pipmoves::play

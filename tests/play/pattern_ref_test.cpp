#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>
#include <vector>

#include "core/offset_matchers.hpp"
#include "pipmoves/catalogue.hpp"
#include "pipmoves/play/pattern_ref.hpp"
#include "play_support.hpp"
#include "user/throws_matcher.hpp"

namespace pipmoves::play {
namespace {

using pipmoves::testing::SameOffset;
using pipmoves::testing::ThrowsExactly;

SampledPattern nod() { return SampledPattern("nod", "A small nod", {{0.0, 0.1, 0.0}, {0.0, 0.2, 0.0}, {0.0, 0.3, 0.0}}); }

TEST(PatternRef, NamedResolvesTheDefaultRowOnce) {
  for (const CatalogueEntry& row : catalogue()) {
    const PatternRef ref = PatternRef::named(row.name);
    EXPECT_EQ(ref.default_pattern(), find_default(row.name)) << row.name;
    EXPECT_EQ(ref.info().name, row.name);
    EXPECT_EQ(ref.period_pips(), row.period_pips) << row.name;
    EXPECT_EQ(ref.info().dimensions, row.dimensions) << row.name;
  }
}

TEST(PatternRef, UnknownNamesAreRefusedAsSampleRefusesThem) {
  for (const std::string_view name : {"Bounce", "", "lfo_breath", "nod"}) {
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { PatternRef::named(name); },
                                                     "Unknown pipmove: " + std::string(name)));
  }
  const PatternLibrary library({nod()});
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { PatternRef(library, "nope"); }, "Unknown pipmove: nope"));
}

TEST(PatternRef, SamplesAsEachKindsOwnSampleCall) {
  const SampledPattern pattern = nod();
  const PatternLibrary library({nod()});
  const PatternRef sampled(pattern);
  const PatternRef own(library, "nod");
  const PatternRef fallen_through(library, "lfo_breathe");
  EXPECT_EQ(sampled.kind(), PatternRef::Kind::sampled_pattern);
  EXPECT_EQ(own.kind(), PatternRef::Kind::library_pattern);
  EXPECT_EQ(fallen_through.kind(), PatternRef::Kind::default_pattern);
  EXPECT_EQ(own.period_pips(), 3);
  EXPECT_EQ(own.info().description, "A small nod");
  for (const std::int32_t pip : testing::pip_sweep()) {
    EXPECT_TRUE(SameOffset(pattern.sample(pip), sampled.sample(pip))) << pip;
    EXPECT_TRUE(SameOffset(library.sample("nod", pip), own.sample(pip))) << pip;
    EXPECT_TRUE(SameOffset(sample("lfo_breathe", pip), fallen_through.sample(pip))) << pip;
  }
}

TEST(PatternRef, RefusesAMovedFromPattern) {
  SampledPattern pattern = nod();
  const SampledPattern taken = std::move(pattern);
  EXPECT_TRUE(ThrowsExactly<std::logic_error>([&] { PatternRef{pattern}; }, "Cannot sample a moved-from pattern"));
}

}  // namespace
}  // namespace pipmoves::play

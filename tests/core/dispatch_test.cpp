#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "offset_matchers.hpp"
#include "name_key.hpp"
#include "pipmoves/catalogue.hpp"
#include "pipmoves/pack_table.hpp"
#include "pipmoves/procedural.hpp"

namespace {

using namespace std::string_view_literals;
using pipmoves::Offset3;
using pipmoves::testing::SameOffset;

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

using Procedural = pipmoves::DefaultPattern;

std::string unknown_message(std::string_view name) {
  try {
    pipmoves::sample(name, 0);
  } catch (const std::invalid_argument& error) {
    return error.what();
  }
  return "(no exception)";
}

TEST(Dispatch, ProceduralNamesGiveTheirPatternBitForBit) {
  for (const Procedural& p : pipmoves::procedural_patterns()) {
    ASSERT_EQ(&p, pipmoves::find_default(p.name)) << p.name;
    for (std::int32_t pip : {kMin, -257, -1, 0, 1, 16, 32, 63, 64, 100, 127, 200, 255, 256, kMax}) {
      ASSERT_TRUE(SameOffset(p.sampler(pip), pipmoves::sample(p.name, pip))) << p.name << "(" << pip << ")";
    }
  }
}

TEST(Dispatch, ExactProceduralSamples) {
  EXPECT_TRUE(SameOffset({1.0, 0.0, 0.0}, pipmoves::sample("bounce", 32)));
  EXPECT_TRUE(SameOffset({1.0, -0.72, 0.0}, pipmoves::sample("single_paradiddle", 4)));
}

TEST(Dispatch, EveryPackRowIsFoundByNameAndGivesItsSampler) {
  for (const pipmoves::PackEntry& row : pipmoves::pack_table()) {
    ASSERT_EQ(&row, pipmoves::find_default(row.name)) << row.name;
    const std::int32_t p = row.period_pips;
    for (std::int32_t pip : {kMin, -1, 0, 1, 37, p - 1, p, kMax}) {
      ASSERT_TRUE(SameOffset(row.sampler(pip), pipmoves::sample(row.name, pip))) << row.name << "(" << pip << ")";
    }
  }
}

TEST(Dispatch, UnknownNamesAreRefusedWithTheNameAsPassed) {
  const std::string_view cases[] = {
      "Bounce", "bounce ", " bounce", "bouncE", "lfo_breath", "lfo_breathe ", "LFO_BREATHE", "zzzz", "a", "lfo",
      "\xff\xfe", "sway_", "single_stroke_rolls",
  };
  for (std::string_view name : cases) {
    EXPECT_EQ("Unknown pipmove: " + std::string(name), unknown_message(name)) << "name of " << name.size() << " bytes";
  }
}

TEST(Dispatch, NamesHoldingNulAreComparedOverTheirWholeLength) {
  for (std::string_view name : {"bounce\0"sv, "lfo_breathe\0"sv, "sway\0\0"sv}) {
    EXPECT_THROW(pipmoves::sample(name, 0), std::invalid_argument) << name.size() << " bytes";
  }
}

TEST(Dispatch, EmptyNameMessageEndsInTheBlank) { EXPECT_EQ("Unknown pipmove: ", unknown_message("")); }

TEST(Dispatch, NamesBeyondBothEndsOfTheIndexAreRefused) {
  const auto rows = pipmoves::pack_table();
  const auto index = pipmoves::pack_name_index();
  const std::string first(rows[index.front()].name);
  const std::string last(rows[index.back()].name);
  for (const std::string& name : {first.substr(0, first.size() - 1), last + "_", last + "z", std::string("~")}) {
    EXPECT_EQ("Unknown pipmove: " + name, unknown_message(name));
  }
}

TEST(Dispatch, FirstAndLastNamesOfTheIndexAreFound) {
  const auto rows = pipmoves::pack_table();
  const auto index = pipmoves::pack_name_index();
  EXPECT_EQ("accent_walk_10_3", rows[index.front()].name);
  EXPECT_EQ("weave_5_9", rows[index.back()].name);
  for (std::uint64_t row : {index.front(), index.back()}) {
    EXPECT_TRUE(SameOffset(rows[row].sampler(5), pipmoves::sample(rows[row].name, 5))) << rows[row].name;
  }
}

TEST(Dispatch, LfoBreatheReachesItsPeakOnBeatTwo) {
  EXPECT_TRUE(SameOffset({0.8, 0.0, 0.0}, pipmoves::sample("lfo_breathe", 64)));
}

}  // namespace

namespace {

// The pack table's keys are computed at compile time, dispatch's at run time:
// both must agree for every length, partial last words and NUL bytes included.
constexpr std::string_view kLongName = "beat_jungle_switchback_corkscrew";

template <std::size_t... Lengths>
void expect_keys_agree(std::index_sequence<Lengths...>) {
  using pipmoves::detail::name_key;
  constexpr std::array compiled{name_key(kLongName.substr(0, Lengths))...};
  for (std::size_t length = 0; length < compiled.size(); ++length) {
    const std::string runtime(kLongName.substr(0, length));
    EXPECT_EQ(compiled[length], name_key(runtime)) << "length " << length;
  }
}

TEST(Dispatch, NameKeysAgreeAtCompileTimeAndRunTime) {
  using pipmoves::detail::name_key;
  expect_keys_agree(std::make_index_sequence<pipmoves::detail::kLongestPackName + 1>{});
  constexpr auto compiled_nul = name_key(std::string_view("ab\0c", 4));
  EXPECT_EQ(compiled_nul, name_key(std::string("ab\0c", 4)));
  EXPECT_EQ(name_key(""), (pipmoves::detail::NameKey{}));
}

TEST(Dispatch, NameKeysOrderAsMemcmp) {
  using pipmoves::detail::key_less;
  using pipmoves::detail::name_key;
  EXPECT_TRUE(key_less(name_key("abc"), name_key("abc_")));
  EXPECT_TRUE(key_less(name_key("a\xff"), name_key("b")));
  EXPECT_TRUE(key_less(name_key("beat_jungle_switchback_corkscreu"), name_key(kLongName)));
  EXPECT_FALSE(key_less(name_key(kLongName), name_key(kLongName)));
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/offset_matchers.hpp"
#include "pipmoves/sampled_pattern.hpp"
#include "throws_matcher.hpp"

namespace {

using pipmoves::Offset3;
using pipmoves::SampledPattern;
using pipmoves::testing::SameOffset;
using pipmoves::testing::ThrowsExactly;

constexpr const char* kBadName = "Invalid pattern name";
constexpr const char* kBadCount = "A pattern requires 1..65535 samples (one per pip)";
constexpr const char* kBadSample = "Pattern samples must be finite and within [-1, 1]";
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

const std::vector<Offset3> kOne = {{0.25, -0.5, 0.75}};

// Distinct samples, so a wrong index cannot go unnoticed.
std::vector<Offset3> ramp(std::size_t count) {
  std::vector<Offset3> samples(count);
  for (std::size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / static_cast<double>(count);
    samples[i] = {t, -t, t / 2};
  }
  return samples;
}

struct NameCase {
  std::string name;
  bool valid;
};

TEST(SampledPattern, NameRuleOnBytes) {
  const NameCase cases[] = {
      {"a", true},
      {"z", true},
      {"pulse_2", true},
      {"a0123456789_", true},
      {"abcdefghijklmnopqrstuvwxyz", true},
      {std::string(128, 'q'), true},
      {"", false},
      {std::string(129, 'q'), false},
      {"1pulse", false},
      {"_pulse", false},
      {"Pulse", false},
      {"pulSe", false},
      {"pulse-2", false},
      {"pulse 2", false},
      {"pulse.2", false},
      {"pulse\t", false},
      {"caf\xc3\xa9", false},
      {"a\xff", false},
      {"\xe1", false},
      {std::string("a\0b", 3), false},
      {"a`", false},
      {"a{", false},
      {"a/", false},
      {"a:", false},
      {"a@", false},
      {"a[", false},
  };
  for (const NameCase& c : cases) {
    const auto build = [&] { SampledPattern(c.name, "", kOne); };
    if (c.valid) {
      EXPECT_NO_THROW(build()) << "name \"" << c.name << "\" (" << c.name.size() << " bytes)";
    } else {
      EXPECT_TRUE(ThrowsExactly<std::invalid_argument>(build, kBadName))
          << "name \"" << c.name << "\" (" << c.name.size() << " bytes)";
    }
  }
}

TEST(SampledPattern, CountRuleFromOneTo65535) {
  const struct {
    std::size_t count;
    bool valid;
  } cases[] = {{0, false}, {1, true}, {2, true}, {65534, true}, {65535, true}, {65536, false}, {131072, false}};
  for (const auto& c : cases) {
    const auto build = [&] { return SampledPattern("p", "", std::vector<Offset3>(c.count)); };
    if (c.valid) {
      EXPECT_EQ(c.count, build().info().period_pips) << c.count << " samples";
    } else {
      EXPECT_TRUE(ThrowsExactly<std::invalid_argument>(build, kBadCount)) << c.count << " samples";
    }
  }
}

TEST(SampledPattern, EveryComponentFiniteWithinUnitInterval) {
  const struct {
    double value;
    bool valid;
  } cases[] = {
      {1.0, true},
      {-1.0, true},
      {0.0, true},
      {-0.0, true},
      {std::numeric_limits<double>::denorm_min(), true},
      {std::nextafter(1.0, 0.0), true},
      {std::nextafter(1.0, 2.0), false},
      {std::nextafter(-1.0, -2.0), false},
      {kNaN, false},
      {-kNaN, false},
      {kInf, false},
      {-kInf, false},
      {std::numeric_limits<double>::max(), false},
  };
  for (int axis = 0; axis < 3; ++axis) {
    for (const auto& c : cases) {
      std::vector<Offset3> samples = ramp(9);
      double& slot = axis == 0 ? samples[6].x : axis == 1 ? samples[6].y : samples[6].z;
      slot = c.value;
      const auto build = [&] { SampledPattern("p", "", samples); };
      if (c.valid) {
        EXPECT_NO_THROW(build()) << "axis " << axis << " value " << c.value;
      } else {
        EXPECT_TRUE(ThrowsExactly<std::invalid_argument>(build, kBadSample)) << "axis " << axis << " value " << c.value;
      }
    }
  }
}

TEST(SampledPattern, BadComponentInLastOfFullTableIsFound) {
  std::vector<Offset3> samples(65535);
  samples.back().z = std::nextafter(-1.0, -2.0);
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { SampledPattern("p", "", samples); }, kBadSample));
}

TEST(SampledPattern, ChecksRunNameThenCountThenSamples) {
  const struct {
    const char* what;
    std::string name;
    std::vector<Offset3> samples;
    const char* want;
  } cases[] = {
      {"bad name, no samples", "Bad", {}, kBadName},
      {"bad name, bad sample", "Bad", {{kNaN, 0.0, 0.0}}, kBadName},
      {"bad name, too many bad samples", "", std::vector<Offset3>(65536, {2.0, 0.0, 0.0}), kBadName},
      {"too many samples, all bad", "p", std::vector<Offset3>(65536, {kNaN, kNaN, kNaN}), kBadCount},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { SampledPattern(c.name, "", c.samples); }, c.want))
        << c.what;
  }
}

TEST(SampledPattern, DimensionsFromYAndZOnly) {
  const struct {
    const char* what;
    std::vector<Offset3> samples;
    int want;
  } cases[] = {
      {"all zero", {{0, 0, 0}, {0, 0, 0}}, 1},
      {"x only", {{1, 0, 0}, {-1, 0, 0}}, 1},
      {"negative zero y and z", {{0.5, -0.0, -0.0}, {0, -0.0, 0}}, 1},
      {"one y in the middle", {{0, 0, 0}, {0, 0.5, 0}, {0, 0, 0}}, 2},
      {"smallest y", {{0, std::numeric_limits<double>::denorm_min(), 0}}, 2},
      {"y with negative zero z", {{0, -0.25, -0.0}}, 2},
      {"one z at the end", {{0, 0, 0}, {0, 0, 0}, {0, 0, -1}}, 3},
      {"z then y", {{0, 0, 0.1}, {0, 0.2, 0}}, 3},
      {"y then z", {{0, 0.2, 0}, {0, 0, 0.1}}, 3},
      {"z without any y", {{0, 0, 1}}, 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.want, SampledPattern("p", "", c.samples).info().dimensions) << c.what;
  }
}

TEST(SampledPattern, InfoViewsItsOwnStrings) {
  std::string name = "pulse_2";
  std::string description = "Two-pip \xff pulse";
  const SampledPattern pattern(name, description, ramp(7));
  name[0] = 'x';
  description[0] = 'x';
  const pipmoves::CatalogueEntry entry = pattern.info();
  EXPECT_EQ("pulse_2", entry.name);
  EXPECT_EQ("Two-pip \xff pulse", entry.description);
  EXPECT_EQ(entry.name.data(), pattern.info().name.data());
  EXPECT_EQ(entry.description.data(), pattern.info().description.data());
  EXPECT_EQ(7, entry.period_pips);
}

TEST(SampledPattern, DescriptionIsNeverExamined) {
  const std::string descriptions[] = {"", std::string("\0\xff\x80", 3), std::string(100000, '~')};
  for (const std::string& description : descriptions) {
    EXPECT_EQ(description, SampledPattern("p", description, kOne).info().description)
        << description.size() << " bytes";
  }
}

TEST(SampledPattern, PeriodOfFullTable) {
  EXPECT_EQ(65535, SampledPattern("p", "", std::vector<Offset3>(65535)).info().period_pips);
}

TEST(SampledPattern, SampleWrapsEveryPip) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  for (const std::size_t count : {std::size_t{1}, std::size_t{5}, std::size_t{64}, std::size_t{65535}}) {
    const std::vector<Offset3> samples = ramp(count);
    const SampledPattern pattern("p", "", samples);
    const auto n = static_cast<std::int64_t>(count);
    const std::int32_t pips[] = {0, 1, -1, static_cast<std::int32_t>(n - 1), static_cast<std::int32_t>(n),
                                 static_cast<std::int32_t>(-n), kMin, kMin + 1, kMax, kMax - 1};
    for (const std::int32_t pip : pips) {
      const std::int64_t index = ((pip % n) + n) % n;
      EXPECT_TRUE(SameOffset(samples[static_cast<std::size_t>(index)], pattern.sample(pip)))
          << count << " samples, pip " << pip;
    }
  }
}

TEST(SampledPattern, FirstAndLastSampleAtPeriodEdges) {
  const std::vector<Offset3> samples = ramp(5);
  const SampledPattern pattern("p", "", samples);
  EXPECT_TRUE(SameOffset(samples.front(), pattern.sample(0)));
  EXPECT_TRUE(SameOffset(samples.front(), pattern.sample(5)));
  EXPECT_TRUE(SameOffset(samples.back(), pattern.sample(-1)));
  EXPECT_TRUE(SameOffset(samples.back(), pattern.sample(4)));
}

TEST(SampledPattern, OneSampleAtEveryPip) {
  const SampledPattern pattern("p", "", kOne);
  for (std::int64_t pip = std::numeric_limits<std::int32_t>::min(); pip <= std::numeric_limits<std::int32_t>::max();
       pip += 65537 * 331) {
    ASSERT_TRUE(SameOffset(kOne[0], pattern.sample(static_cast<std::int32_t>(pip)))) << "pip " << pip;
  }
}

TEST(SampledPattern, SamplesKeepTheirBits) {
  const std::vector<Offset3> samples = {{-0.0, 0.1, -1.0}, {std::numeric_limits<double>::denorm_min(), -0.0, 1.0}};
  const SampledPattern pattern("p", "", samples);
  EXPECT_TRUE(SameOffset(samples[0], pattern.sample(0)));
  EXPECT_TRUE(SameOffset(samples[1], pattern.sample(1)));
}

TEST(SampledPattern, CopyIsIndependent) {
  const std::vector<Offset3> samples = ramp(3);
  SampledPattern original("original", "first", samples);
  SampledPattern copy = original;
  SampledPattern assigned("other", "", kOne);
  assigned = original;
  SampledPattern sink = std::move(original);
  for (const SampledPattern* pattern : {&copy, &assigned}) {
    EXPECT_EQ("original", pattern->info().name);
    EXPECT_EQ("first", pattern->info().description);
    EXPECT_EQ(3, pattern->info().period_pips);
    EXPECT_NE(sink.info().name.data(), pattern->info().name.data());
    EXPECT_TRUE(SameOffset(samples[2], pattern->sample(-1)));
  }
}

TEST(SampledPattern, MoveConstructionLeavesAnEmptySource) {
  const std::vector<Offset3> samples = ramp(4);
  SampledPattern source("a_rather_long_pattern_name_beyond_any_small_buffer", "moving", samples);
  const SampledPattern target = std::move(source);
  EXPECT_EQ("a_rather_long_pattern_name_beyond_any_small_buffer", target.info().name);
  EXPECT_EQ("moving", target.info().description);
  EXPECT_TRUE(SameOffset(samples[3], target.sample(3)));
  const pipmoves::CatalogueEntry left = source.info();  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ("", left.name);
  EXPECT_EQ("", left.description);
  EXPECT_EQ(0, left.period_pips);
  EXPECT_EQ(0, left.dimensions);
}

TEST(SampledPattern, MoveAssignmentLeavesAnEmptySource) {
  SampledPattern source("s", "short", kOne);
  SampledPattern target("t", "", ramp(2));
  target = std::move(source);
  EXPECT_EQ("s", target.info().name);
  EXPECT_EQ("short", target.info().description);
  EXPECT_EQ(1, target.info().period_pips);
  EXPECT_EQ("", source.info().name);  // NOLINT(bugprone-use-after-move)
  EXPECT_EQ("", source.info().description);
  EXPECT_EQ(0, source.info().period_pips);
}

TEST(SampledPattern, SamplingMovedFromIsPlainLogicError) {
  SampledPattern moved_by_construction("p", "", kOne);
  SampledPattern moved_by_assignment("q", "", kOne);
  const SampledPattern first = std::move(moved_by_construction);
  SampledPattern second("r", "", kOne);
  second = std::move(moved_by_assignment);
  for (const SampledPattern* pattern : {&moved_by_construction, &moved_by_assignment}) {
    for (const int pip : {0, 1, -1}) {
      EXPECT_TRUE(ThrowsExactly<std::logic_error>([&] { (void)pattern->sample(pip); },
                                                  "Cannot sample a moved-from pattern"))
          << "pip " << pip;
    }
  }
}

TEST(SampledPattern, MovedFromCanBeAssignedAgain) {
  SampledPattern pattern("p", "", kOne);
  SampledPattern other = std::move(pattern);
  pattern = other;
  EXPECT_EQ("p", pattern.info().name);
  EXPECT_TRUE(SameOffset(kOne[0], pattern.sample(12)));
}

}  // namespace

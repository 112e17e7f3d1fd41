#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/offset_matchers.hpp"
#include "pipmoves/catalogue.hpp"
#include "pipmoves/pattern_library.hpp"
#include "pipmoves/sampled_pattern.hpp"
#include "throws_matcher.hpp"

namespace {

using pipmoves::CatalogueEntry;
using pipmoves::Offset3;
using pipmoves::PatternLibrary;
using pipmoves::SampledPattern;
using pipmoves::testing::SameOffset;
using pipmoves::testing::ThrowsExactly;
using Patterns = std::vector<SampledPattern>;

constexpr const char* kTooMany = "Too many patterns";
constexpr const char* kMovedFrom = "Empty/moved-from pattern";
constexpr const char* kTooLarge = "Pattern pack is too large";
constexpr std::int32_t kMinPip = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMaxPip = std::numeric_limits<std::int32_t>::max();

const std::vector<CatalogueEntry>& defaults() { return pipmoves::catalogue(); }

const CatalogueEntry& default_entry(std::string_view name) {
  const auto& all = defaults();
  const auto found = std::find_if(all.begin(), all.end(), [&](const CatalogueEntry& e) { return e.name == name; });
  if (found == all.end()) {
    throw std::logic_error("no default named " + std::string(name));
  }
  return *found;
}

std::vector<Offset3> default_samples(const CatalogueEntry& entry) {
  std::vector<Offset3> samples;
  for (int pip = 0; pip < entry.period_pips; ++pip) {
    samples.push_back(pipmoves::sample(entry.name, pip));
  }
  return samples;
}

SampledPattern default_copy(std::string_view name) {
  const CatalogueEntry& entry = default_entry(name);
  return SampledPattern(std::string(entry.name), std::string(entry.description), default_samples(entry));
}

// Distinct samples, so a wrong index cannot go unnoticed.
SampledPattern ramp(std::string name, std::size_t count) {
  std::vector<Offset3> samples(count);
  for (std::size_t i = 0; i < count; ++i) {
    const double t = static_cast<double>(i + 1) / static_cast<double>(count);
    samples[i] = {t, -t, 0.0};
  }
  return SampledPattern(std::move(name), "ramp", std::move(samples));
}

SampledPattern moved_from() {
  SampledPattern pattern("gone", "", {{0.0, 0.0, 0.0}});
  SampledPattern taken = std::move(pattern);
  return pattern;  // NOLINT(bugprone-use-after-move)
}

// Patterns named fill_0, fill_1, ... of at most 65535 samples each that hold
// exactly total samples together.
Patterns filler(std::uint64_t total) {
  Patterns patterns;
  for (std::uint64_t left = total; left > 0;) {
    const std::uint64_t count = std::min<std::uint64_t>(left, SampledPattern::kMaxSamples);
    patterns.emplace_back("fill_" + std::to_string(patterns.size()), "", std::vector<Offset3>(count));
    left -= count;
  }
  return patterns;
}

Patterns distinct(std::size_t count) {
  Patterns patterns;
  for (std::size_t i = 0; i < count; ++i) {
    patterns.emplace_back("p" + std::to_string(i), "", std::vector<Offset3>(1));
  }
  return patterns;
}

void expect_refused(Patterns patterns, const std::string& want, const char* what) {
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { PatternLibrary{std::move(patterns)}; }, want)) << what;
}

TEST(PatternLibrary, EmptyLibraryListsTheDefaults) {
  const std::vector<CatalogueEntry> listed = PatternLibrary({}).catalogue();
  ASSERT_EQ(defaults().size(), listed.size());
  for (std::size_t i = 0; i < listed.size(); ++i) {
    EXPECT_EQ(defaults()[i].name.data(), listed[i].name.data()) << "row " << i;
    EXPECT_EQ(defaults()[i].name.size(), listed[i].name.size()) << "row " << i;
    EXPECT_EQ(defaults()[i].description.data(), listed[i].description.data()) << "row " << i;
    EXPECT_EQ(defaults()[i].description.size(), listed[i].description.size()) << "row " << i;
    EXPECT_EQ(defaults()[i].period_pips, listed[i].period_pips) << "row " << i;
    EXPECT_EQ(defaults()[i].dimensions, listed[i].dimensions) << "row " << i;
  }
}

TEST(PatternLibrary, EmptyLibrarySamplesLikeTheDefaults) {
  const PatternLibrary library({});
  for (const CatalogueEntry& entry : defaults()) {
    for (const int pip : {0, 1, entry.period_pips - 1, -1, kMinPip, kMaxPip, 1000003}) {
      ASSERT_TRUE(SameOffset(pipmoves::sample(entry.name, pip), library.sample(entry.name, pip)))
          << entry.name << " at " << pip;
    }
  }
}

TEST(PatternLibrary, UnknownNameFailsLikeTheDefaultDispatch) {
  const PatternLibrary library(Patterns{ramp("mine", 4)});
  const std::string names[] = {"nope", "Bounce", "mine ", "min", "mine_", ""};
  for (const std::string& name : names) {
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { (void)library.sample(name, 0); }, "Unknown pipmove: " + name))
        << "name \"" << name << "\"";
  }
}

TEST(PatternLibrary, At1024PatternsAccepted) {
  const PatternLibrary library(distinct(1024));
  EXPECT_EQ(defaults().size() + 1024, library.catalogue().size());
}

TEST(PatternLibrary, At1025PatternsRefusedBeforeAnyOtherCheck) {
  const struct {
    const char* what;
    std::size_t slot;
  } cases[] = {{"all valid", 1025}, {"first moved from", 0}, {"last moved from", 1024}};
  for (const auto& c : cases) {
    Patterns patterns = distinct(1025);
    if (c.slot < patterns.size()) {
      patterns[c.slot] = moved_from();
    }
    expect_refused(std::move(patterns), kTooMany, c.what);
  }
  Patterns duplicates(1025, SampledPattern("same", "", {{2.0 / 3, 0.0, 0.0}}));
  expect_refused(std::move(duplicates), kTooMany, "all one name");
}

TEST(PatternLibrary, MovedFromPatternRefused) {
  for (const std::size_t slot : {std::size_t{0}, std::size_t{2}}) {
    Patterns patterns = distinct(3);
    patterns[slot] = moved_from();
    expect_refused(std::move(patterns), kMovedFrom, "moved-from pattern");
  }
}

TEST(PatternLibrary, DuplicateNameRefusedWithTheName) {
  const struct {
    const char* what;
    Patterns patterns;
    std::string want;
  } cases[] = {
      {"same pattern twice", {ramp("twice", 3), ramp("twice", 3)}, "Duplicate pattern name: twice"},
      {"same name, other samples", {ramp("a", 3), ramp("b", 1), ramp("a", 5)}, "Duplicate pattern name: a"},
      {"exact default copy twice", {default_copy("bounce"), default_copy("bounce")}, "Duplicate pattern name: bounce"},
      {"long name", {ramp(std::string(128, 'n'), 1), ramp(std::string(128, 'n'), 1)},
       "Duplicate pattern name: " + std::string(128, 'n')},
  };
  for (const auto& c : cases) {
    expect_refused(c.patterns, c.want, c.what);
  }
}

TEST(PatternLibrary, NamesDifferingInOneByteAreDistinct) {
  const PatternLibrary library(Patterns{ramp("ab", 1), ramp("ab_", 2), ramp("a", 3), ramp("ba", 4)});
  EXPECT_EQ(defaults().size() + 4, library.catalogue().size());
}

TEST(PatternLibrary, TotalOf1048576SamplesAccepted) {
  Patterns patterns = filler(PatternLibrary::kMaxTotalSamples);
  const std::size_t count = patterns.size();
  const PatternLibrary library(std::move(patterns));
  const std::vector<CatalogueEntry> listed = library.catalogue();
  ASSERT_EQ(defaults().size() + count, listed.size());
  std::uint64_t total = 0;
  for (std::size_t i = defaults().size(); i < listed.size(); ++i) {
    total += listed[i].period_pips;
  }
  EXPECT_EQ(PatternLibrary::kMaxTotalSamples, total);
}

TEST(PatternLibrary, OneSampleMoreRefused) {
  expect_refused(filler(PatternLibrary::kMaxTotalSamples + 1), kTooLarge, "1048577 samples");
}

TEST(PatternLibrary, DefaultCopiesCountTowardsTheTotal) {
  const std::uint64_t bounce = default_entry("bounce").period_pips;
  {
    Patterns patterns = filler(PatternLibrary::kMaxTotalSamples - bounce);
    patterns.push_back(default_copy("bounce"));
    const std::size_t stored = patterns.size() - 1;
    EXPECT_EQ(defaults().size() + stored, PatternLibrary(std::move(patterns)).catalogue().size());
  }
  Patterns patterns{default_copy("bounce")};
  for (SampledPattern& p : filler(PatternLibrary::kMaxTotalSamples - bounce + 1)) {
    patterns.push_back(std::move(p));
  }
  expect_refused(std::move(patterns), kTooLarge, "bounce first, then one sample too many");
}

TEST(PatternLibrary, ExactCopyOfEveryDefaultAcceptedAndDropped) {
  const std::vector<CatalogueEntry>& all = defaults();
  for (std::size_t first = 0; first < all.size();) {
    Patterns copies;
    std::uint64_t total = 0;
    std::size_t next = first;
    // Room is left for one pattern of our own, two samples long.
    for (; next < all.size() && copies.size() + 1 < PatternLibrary::kMaxPatterns &&
           total + all[next].period_pips + 2 <= PatternLibrary::kMaxTotalSamples;
         ++next) {
      copies.push_back(default_copy(all[next].name));
      total += all[next].period_pips;
    }
    copies.push_back(ramp("mine", 2));
    const PatternLibrary library(std::move(copies));
    const std::vector<CatalogueEntry> listed = library.catalogue();
    ASSERT_EQ(all.size() + 1, listed.size()) << "defaults " << first << " to " << next - 1;
    EXPECT_EQ("mine", listed.back().name);
    for (std::size_t i = first; i < next; ++i) {
      EXPECT_TRUE(SameOffset(pipmoves::sample(all[i].name, -1), library.sample(all[i].name, -1))) << all[i].name;
    }
    first = next;
  }
}

// Moves one component of one sample by one unit in the last place, towards
// zero so that it stays within [-1, 1], or off zero to the smallest value.
double one_ulp_off(double v) { return v == 0.0 ? std::numeric_limits<double>::denorm_min() : std::nextafter(v, 0.0); }

TEST(PatternLibrary, DefaultOneUlpOffInOnePipRefused) {
  std::vector<std::string> names = {"bounce", "helix", "clay_background", "five_stroke_roll"};
  names.emplace_back(defaults()[15 < defaults().size() ? 15 : 0].name);
  names.emplace_back(defaults().back().name);
  for (const std::string& name : names) {
    const CatalogueEntry& entry = default_entry(name);
    const std::vector<Offset3> exact = default_samples(entry);
    for (const std::size_t pip : {std::size_t{0}, exact.size() / 2, exact.size() - 1}) {
      for (int axis = 0; axis < 3; ++axis) {
        std::vector<Offset3> samples = exact;
        double& slot = axis == 0 ? samples[pip].x : axis == 1 ? samples[pip].y : samples[pip].z;
        slot = one_ulp_off(slot);
        Patterns patterns;
        patterns.emplace_back(name, std::string(entry.description), std::move(samples));
        expect_refused(std::move(patterns), "Cannot override default pattern: " + name,
                       (name + " pip " + std::to_string(pip) + " axis " + std::to_string(axis)).c_str());
      }
    }
  }
}

TEST(PatternLibrary, DefaultWithOtherDescriptionOrPeriodRefused) {
  const CatalogueEntry& entry = default_entry("circle");
  const std::vector<Offset3> exact = default_samples(entry);
  const std::string description(entry.description);
  std::vector<Offset3> shorter(exact.begin(), exact.end() - 1);
  std::vector<Offset3> longer = exact;
  longer.push_back(exact.front());
  std::vector<Offset3> twice = exact;
  twice.insert(twice.end(), exact.begin(), exact.end());
  const struct {
    const char* what;
    std::string description;
    std::vector<Offset3> samples;
  } cases[] = {
      {"empty description", "", exact},
      {"description with a trailing blank", description + " ", exact},
      {"description one letter short", description.substr(0, description.size() - 1), exact},
      {"one sample short", description, shorter},
      {"one sample long", description, longer},
      {"two periods", description, twice},
  };
  for (const auto& c : cases) {
    expect_refused(Patterns{SampledPattern("circle", c.description, c.samples)},
                   "Cannot override default pattern: circle", c.what);
  }
}

TEST(PatternLibrary, ExactCopyComparesValuesSoZeroMatchesEitherSign) {
  // step_touch has y == -0.0 at each station; +0.0 there is the same value.
  const CatalogueEntry& entry = default_entry("step_touch");
  std::vector<Offset3> samples = default_samples(entry);
  ASSERT_TRUE(std::signbit(samples[0].y) && samples[0].y == 0.0);
  for (Offset3& s : samples) {
    s.y = s.y == 0.0 ? 0.0 : s.y;
  }
  const PatternLibrary library(Patterns{SampledPattern("step_touch", std::string(entry.description), samples)});
  EXPECT_EQ(defaults().size(), library.catalogue().size());
  EXPECT_TRUE(SameOffset(pipmoves::sample("step_touch", 0), library.sample("step_touch", 0)));
}

TEST(PatternLibrary, ChecksRunInOrder) {
  const CatalogueEntry& bounce = default_entry("bounce");
  std::vector<Offset3> off = default_samples(bounce);
  off[5].x = one_ulp_off(off[5].x);
  const SampledPattern bad_bounce("bounce", std::string(bounce.description), off);

  Patterns moved_then_duplicate = {ramp("a", 1), moved_from(), ramp("a", 1)};
  Patterns duplicate_before_total = filler(PatternLibrary::kMaxTotalSamples);
  duplicate_before_total.push_back(ramp("fill_0", 1));
  Patterns total_before_override = filler(PatternLibrary::kMaxTotalSamples - bounce.period_pips + 1);
  total_before_override.push_back(bad_bounce);
  Patterns duplicate_of_override = {ramp("x", 1), bad_bounce, bad_bounce};
  Patterns override_before_moved = {bad_bounce, moved_from()};
  Patterns moved_before_override = {moved_from(), bad_bounce};

  const struct {
    const char* what;
    Patterns& patterns;
    std::string want;
  } cases[] = {
      {"moved-from before a later duplicate", moved_then_duplicate, kMovedFrom},
      {"duplicate before the total", duplicate_before_total, "Duplicate pattern name: fill_0"},
      {"total before the override", total_before_override, kTooLarge},
      {"first override before its duplicate", duplicate_of_override, "Cannot override default pattern: bounce"},
      {"override in input order", override_before_moved, "Cannot override default pattern: bounce"},
      {"moved-from in input order", moved_before_override, kMovedFrom},
  };
  for (const auto& c : cases) {
    expect_refused(std::move(c.patterns), c.want, c.what);
  }
}

TEST(PatternLibrary, StoredPatternsListedAfterTheDefaultsInInputOrder) {
  const PatternLibrary library(
      Patterns{SampledPattern("zeta", "last letter", {{0.0, 0.0, 0.5}, {0.0, 0.0, 0.0}}), ramp("alpha", 3)});
  const std::vector<CatalogueEntry> listed = library.catalogue();
  ASSERT_EQ(defaults().size() + 2, listed.size());
  const CatalogueEntry& zeta = listed[listed.size() - 2];
  const CatalogueEntry& alpha = listed.back();
  EXPECT_EQ("zeta", zeta.name);
  EXPECT_EQ("last letter", zeta.description);
  EXPECT_EQ(2, zeta.period_pips);
  EXPECT_EQ(3, zeta.dimensions);
  EXPECT_EQ("alpha", alpha.name);
  EXPECT_EQ("ramp", alpha.description);
  EXPECT_EQ(3, alpha.period_pips);
  EXPECT_EQ(2, alpha.dimensions);
}

TEST(PatternLibrary, CatalogueIsAllocatedAtItsFinalSize) {
  for (const std::size_t stored : {std::size_t{0}, std::size_t{1}, std::size_t{3}}) {
    const std::vector<CatalogueEntry> listed = PatternLibrary(distinct(stored)).catalogue();
    EXPECT_EQ(defaults().size() + stored, listed.size());
    EXPECT_EQ(listed.size(), listed.capacity()) << stored << " stored patterns";
  }
}

TEST(PatternLibrary, UserEntriesViewTheLibrarysOwnStrings) {
  std::string name = "owned_by_the_library_and_too_long_for_any_small_string_buffer";
  const PatternLibrary library(Patterns{SampledPattern(name, "kept", {{0.5, 0.0, 0.0}})});
  name[0] = 'x';
  const CatalogueEntry first = library.catalogue().back();
  const CatalogueEntry second = library.catalogue().back();
  EXPECT_EQ("owned_by_the_library_and_too_long_for_any_small_string_buffer", first.name);
  EXPECT_EQ(first.name.data(), second.name.data());
  EXPECT_EQ(first.description.data(), second.description.data());
}

TEST(PatternLibrary, StoredPatternWrapsItsPip) {
  const SampledPattern pattern = ramp("mine", 5);
  const PatternLibrary library(Patterns{pattern});
  for (const int pip : {0, 4, 5, -1, -5, kMinPip, kMaxPip}) {
    EXPECT_TRUE(SameOffset(pattern.sample(pip), library.sample("mine", pip))) << "pip " << pip;
  }
  EXPECT_TRUE(SameOffset(pattern.sample(4), library.sample("mine", -1)));
}

TEST(PatternLibrary, DefaultNamesFallThrough) {
  const PatternLibrary library(Patterns{ramp("mine", 5), default_copy("helix")});
  for (const char* name : {"bounce", "helix", "single_paradiddle"}) {
    for (const int pip : {0, 4, 64, -1, kMaxPip}) {
      EXPECT_TRUE(SameOffset(pipmoves::sample(name, pip), library.sample(name, pip))) << name << " at " << pip;
    }
  }
}

TEST(PatternLibrary, LeavesCopiedInputUntouched) {
  const Patterns given = {ramp("a", 2), default_copy("sway")};
  const PatternLibrary library(given);
  EXPECT_EQ("a", given[0].info().name);
  EXPECT_EQ("sway", given[1].info().name);
  EXPECT_TRUE(SameOffset(given[0].sample(1), library.sample("a", 1)));
}

TEST(PatternLibrary, CopiedFromChecksLikeTheConsumingConstructor) {
  const SampledPattern big = ramp("big", SampledPattern::kMaxSamples);
  const SampledPattern gone = moved_from();
  const struct {
    const char* what;
    std::vector<const SampledPattern*> lent;
    std::string want;
  } cases[] = {
      {"count before anything else", std::vector<const SampledPattern*>(1025, &gone), kTooMany},
      {"duplicate", {&big, &big}, "Duplicate pattern name: big"},
      {"moved-from", {&gone}, kMovedFrom},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { PatternLibrary::copied_from(c.lent); }, c.want)) << c.what;
  }
}

TEST(PatternLibrary, CopiedFromLeavesTheLentPatternsWhole) {
  const SampledPattern mine = ramp("mine", 3);
  const SampledPattern sway = default_copy("sway");
  const std::vector<const SampledPattern*> lent = {&mine, &sway};
  const PatternLibrary library = PatternLibrary::copied_from(lent);
  EXPECT_EQ(defaults().size() + 1, library.catalogue().size());
  EXPECT_EQ(3, mine.info().period_pips);
  EXPECT_EQ("sway", sway.info().name);
  EXPECT_TRUE(SameOffset(mine.sample(-1), library.sample("mine", -1)));
}

}  // namespace

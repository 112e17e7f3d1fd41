#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.hpp"
#include "fuzz_targets.hpp"
#include "pipmoves/catalogue.hpp"
#include "pipmoves/pattern_library.hpp"
#include "pipmoves/sampled_pattern.hpp"

namespace pipmoves::fuzz {
namespace {

// What the test knows of each input pattern, kept apart from the pattern
// itself, which the library consumes.
struct Known {
  std::string name;
  std::string description;
  std::vector<Offset3> samples;  // empty for a moved-from pattern
};

const CatalogueEntry* find_default(std::string_view name) {
  for (const CatalogueEntry& entry : catalogue()) {
    if (entry.name == name) {
      return &entry;
    }
  }
  return nullptr;
}

std::vector<Offset3> default_samples(const CatalogueEntry& entry) {
  std::vector<Offset3> samples;
  for (int pip = 0; pip < entry.period_pips; ++pip) {
    samples.push_back(pipmoves::sample(entry.name, pip));
  }
  return samples;
}

bool equals_default(const Known& k, const CatalogueEntry& entry) {
  if (k.description != entry.description || k.samples.size() != entry.period_pips) {
    return false;
  }
  for (std::size_t pip = 0; pip < k.samples.size(); ++pip) {
    const Offset3 d = pipmoves::sample(entry.name, static_cast<int>(pip));
    const Offset3& s = k.samples[pip];
    if (!(s.x == d.x && s.y == d.y && s.z == d.z)) {
      return false;
    }
  }
  return true;
}

// The outcome, and on success the patterns that are stored, in order.
Outcome expected_outcome(const std::vector<Known>& known, std::vector<const Known*>& stored) {
  if (known.size() > 1024) {
    return invalid("Too many patterns");
  }
  std::set<std::string> seen;
  std::uint64_t total = 0;
  for (const Known& k : known) {
    if (k.samples.empty()) {
      return invalid("Empty/moved-from pattern");
    }
    if (!seen.insert(k.name).second) {
      return invalid("Duplicate pattern name: " + k.name);
    }
    total += k.samples.size();
    if (total > 1048576) {
      return invalid("Pattern pack is too large");
    }
    const CatalogueEntry* entry = find_default(k.name);
    if (entry == nullptr) {
      stored.push_back(&k);
    } else if (!equals_default(k, *entry)) {
      return invalid("Cannot override default pattern: " + k.name);
    }
  }
  return {};
}

Known consume_user_pattern(FuzzedDataProvider& in) {
  static const char* const kNames[] = {"a", "b", "mine", "groove_2", "bounce", "sway", "flam", "zz"};
  Known k;
  k.name = in.ConsumeBool() ? kNames[in.ConsumeIntegral<std::uint8_t>() % std::size(kNames)] : consume_name(in);
  if (!is_name(k.name)) {
    k.name = "fixed";
  }
  k.description = in.ConsumeRandomLengthString(12);
  k.samples = consume_samples(in, true);
  if (k.samples.empty() || k.samples.size() > 65535) {
    k.samples.assign(1 + k.samples.size() % 65535, Offset3{0.5, 0.0, -0.5});
  }
  return k;
}

// A default's exact copy, or one that differs in a single way.
Known consume_default_copy(FuzzedDataProvider& in) {
  const std::vector<CatalogueEntry>& all = catalogue();
  const CatalogueEntry& entry = all[in.ConsumeIntegralInRange<std::size_t>(0, all.size() - 1)];
  Known k{std::string(entry.name), std::string(entry.description), default_samples(entry)};
  switch (in.ConsumeIntegral<std::uint8_t>() % 8) {
    case 7: {
      Offset3& s = k.samples[in.ConsumeIntegralInRange<std::size_t>(0, k.samples.size() - 1)];
      double* axes[] = {&s.x, &s.y, &s.z};
      double& v = *axes[in.ConsumeIntegralInRange<int>(0, 2)];
      v = v == 0.0 ? (in.ConsumeBool() ? -0.0 : std::numeric_limits<double>::denorm_min()) : std::nextafter(v, 0.0);
      break;
    }
    case 6:
      k.description += in.ConsumeBool() ? " " : "";
      break;
    case 5:
      if (k.samples.size() > 1) {
        k.samples.pop_back();
      }
      break;
    case 4:
      k.samples.push_back(k.samples.front());
      break;
    default:
      break;
  }
  return k;
}

// Distinct fillers of full size that bring the total near the limit.
void append_fillers(std::vector<Known>& known, FuzzedDataProvider& in) {
  const std::uint64_t target = 1048576 - 64 + in.ConsumeIntegralInRange<std::uint64_t>(0, 128);
  std::uint64_t total = 0;
  for (const Known& k : known) {
    total += k.samples.size();
  }
  for (std::size_t i = 0; total < target; ++i) {
    const std::uint64_t count = std::min<std::uint64_t>(65535, target - total);
    known.push_back({"fill_" + std::to_string(i), "", std::vector<Offset3>(count, Offset3{0.0, 0.1, 0.0})});
    total += count;
  }
}

void check_library(const PatternLibrary& library, const std::vector<const Known*>& stored, FuzzedDataProvider& in) {
  const std::vector<CatalogueEntry>& defaults = catalogue();
  const std::vector<CatalogueEntry> listed = library.catalogue();
  require(listed.size() == defaults.size() + stored.size(), "catalogue size");
  for (std::size_t i = 0; i < defaults.size(); ++i) {
    require(listed[i].name == defaults[i].name && listed[i].description == defaults[i].description &&
                listed[i].period_pips == defaults[i].period_pips && listed[i].dimensions == defaults[i].dimensions,
            "default row " + std::to_string(i));
  }
  for (std::size_t i = 0; i < stored.size(); ++i) {
    const CatalogueEntry& row = listed[defaults.size() + i];
    require(row.name == stored[i]->name && row.description == stored[i]->description &&
                row.period_pips == stored[i]->samples.size(),
            "stored row " + std::to_string(i));
  }
  for (int i = 0; i < 6 && in.remaining_bytes() > 0; ++i) {
    const std::int32_t pip = consume_pip(in);
    if (!stored.empty() && in.ConsumeBool()) {
      const Known& k = *stored[in.ConsumeIntegralInRange<std::size_t>(0, stored.size() - 1)];
      const Offset3 have = library.sample(k.name, pip);
      const Offset3& want = k.samples[static_cast<std::size_t>(floor_mod(pip, static_cast<std::int64_t>(k.samples.size())))];
      require(same_bits(want.x, have.x) && same_bits(want.y, have.y) && same_bits(want.z, have.z),
              "stored " + k.name + " at " + std::to_string(pip));
    } else {
      const CatalogueEntry& entry = defaults[in.ConsumeIntegralInRange<std::size_t>(0, defaults.size() - 1)];
      const Offset3 have = library.sample(entry.name, pip);
      const Offset3 want = pipmoves::sample(entry.name, pip);
      require(same_bits(want.x, have.x) && same_bits(want.y, have.y) && same_bits(want.z, have.z),
              "default " + std::string(entry.name) + " at " + std::to_string(pip));
    }
  }
  const std::string unknown = "unknown_" + consume_name(in);
  bool is_stored = false;
  for (const Known* k : stored) {
    is_stored = is_stored || k->name == unknown;
  }
  if (!is_stored && find_default(unknown) == nullptr) {
    expect(outcome_of([&] { (void)library.sample(unknown, 0); }), invalid("Unknown pipmove: " + unknown),
           "sample of an unknown name");
  }
}

// A name that no pattern has, with bytes that are not UTF-8 and NULs among
// them, fails with the fixed text and the name; what() carries the name up to
// its first NUL, which the Python module relies on to report it whole.
void check_unknown_names(FuzzedDataProvider& in) {
  static constexpr std::string_view kBytes("bounce\0\xff\xc3\xa9x", 11);
  std::string name = in.ConsumeBool() ? std::string("bounce") : std::string();
  for (std::size_t i = in.ConsumeIntegralInRange<std::size_t>(1, 6); i > 0; --i) {
    name += kBytes[in.ConsumeIntegralInRange<std::size_t>(0, kBytes.size() - 1)];
  }
  if (find_default(name) != nullptr) {
    return;
  }
  const Outcome want = invalid("Unknown pipmove: " + name.substr(0, name.find('\0')));
  expect(outcome_of([&] { (void)pipmoves::sample(name, 0); }), want, "sample of a name with odd bytes");
  const PatternLibrary empty(std::vector<SampledPattern>{});
  expect(outcome_of([&] { (void)empty.sample(name, 0); }), want, "library sample of a name with odd bytes");
}

}  // namespace

void fuzz_pattern_library(FuzzedDataProvider& in) {
  std::vector<Known> known;
  // Exhausted input decodes as zeros, so the costly cases sit at the far end.
  const auto mode = in.ConsumeIntegral<std::uint16_t>() % 256;
  const std::size_t count = mode == 255 ? in.PickValueInArray<std::size_t>({1023, 1024, 1025})
                                       : in.ConsumeIntegralInRange<std::size_t>(0, 6);
  for (std::size_t i = 0; i < count; ++i) {
    // Past the first few, patterns repeat cheaply under their own names.
    if (i >= 8) {
      known.push_back({"p" + std::to_string(i), "", {Offset3{}}});
      continue;
    }
    switch (in.ConsumeIntegral<std::uint8_t>() % 8) {
      case 7:
        known.push_back({"gone", "", {}});
        break;
      case 6:
      case 5:
        known.push_back(consume_default_copy(in));
        break;
      case 4:
        if (!known.empty()) {
          known.push_back(known[in.ConsumeIntegralInRange<std::size_t>(0, known.size() - 1)]);
          break;
        }
        [[fallthrough]];
      default:
        known.push_back(consume_user_pattern(in));
        break;
    }
  }
  if (mode == 254) {
    append_fillers(known, in);
  }

  std::vector<SampledPattern> patterns;
  patterns.reserve(known.size());
  for (const Known& k : known) {
    if (k.samples.empty()) {
      SampledPattern source("gone", "", {Offset3{}});
      SampledPattern taken = std::move(source);
      patterns.push_back(std::move(source));  // NOLINT(bugprone-use-after-move)
    } else {
      patterns.emplace_back(k.name, k.description, k.samples);
    }
  }

  // The same patterns lent instead of handed over: the same outcome, and the
  // lent ones stay as they were.
  const std::vector<SampledPattern> kept = patterns;
  std::vector<const SampledPattern*> lent;
  for (const SampledPattern& pattern : kept) {
    lent.push_back(&pattern);
  }

  std::vector<const Known*> stored;
  const Outcome want = expected_outcome(known, stored);
  std::optional<PatternLibrary> library;
  expect(outcome_of([&] { library.emplace(std::move(patterns)); }), want,
         "PatternLibrary of " + std::to_string(known.size()) + " patterns");
  std::optional<PatternLibrary> copied;
  expect(outcome_of([&] { copied.emplace(PatternLibrary::copied_from(lent)); }), want,
         "PatternLibrary copied from " + std::to_string(known.size()) + " patterns");
  for (std::size_t i = 0; i < kept.size(); ++i) {
    require(kept[i].info().period_pips == known[i].samples.size(), "lent pattern " + std::to_string(i) + " changed");
  }
  if (library) {
    check_library(*library, stored, in);
    check_library(*copied, stored, in);
  }
  check_unknown_names(in);
}

}  // namespace pipmoves::fuzz

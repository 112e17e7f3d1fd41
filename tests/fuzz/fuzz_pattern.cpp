#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_support.hpp"
#include "fuzz_targets.hpp"
#include "pipmoves/sampled_pattern.hpp"

namespace pipmoves::fuzz {
namespace {

Outcome expected_outcome(const std::string& name, const std::vector<Offset3>& samples) {
  if (!is_name(name)) {
    return invalid("Invalid pattern name");
  }
  if (samples.empty() || samples.size() > 65535) {
    return invalid("A pattern requires 1..65535 samples (one per pip)");
  }
  for (const Offset3& s : samples) {
    if (!in_unit_range(s.x) || !in_unit_range(s.y) || !in_unit_range(s.z)) {
      return invalid("Pattern samples must be finite and within [-1, 1]");
    }
  }
  return {};
}

int expected_dimensions(const std::vector<Offset3>& samples) {
  bool any_y = false;
  bool any_z = false;
  for (const Offset3& s : samples) {
    any_y = any_y || s.y != 0.0;
    any_z = any_z || s.z != 0.0;
  }
  return any_z ? 3 : any_y ? 2 : 1;
}

void check_sample(const SampledPattern& pattern, const std::vector<Offset3>& samples, std::int32_t pip) {
  Offset3 have;
  expect(outcome_of([&] { have = pattern.sample(pip); }), {}, "sample of a valid pattern");
  const Offset3& want = samples[static_cast<std::size_t>(floor_mod(pip, static_cast<std::int64_t>(samples.size())))];
  require(same_bits(want.x, have.x) && same_bits(want.y, have.y) && same_bits(want.z, have.z),
          "sample at pip " + std::to_string(pip));
}

void check_pattern(const SampledPattern& pattern, const std::string& name, const std::string& description,
                   const std::vector<Offset3>& samples, FuzzedDataProvider& in) {
  const CatalogueEntry info = pattern.info();
  require(info.name == name && info.description == description, "info strings");
  require(info.period_pips == samples.size(), "info period");
  require(info.dimensions == expected_dimensions(samples), "info dimensions");
  const auto n = static_cast<std::int32_t>(samples.size());
  for (const std::int32_t pip : {0, n - 1, n, -1, -n, std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max()}) {
    check_sample(pattern, samples, pip);
  }
  for (int i = 0; i < 4 && in.remaining_bytes() > 0; ++i) {
    check_sample(pattern, samples, consume_pip(in));
  }

  SampledPattern copy = pattern;
  require(copy.info().name == name && copy.info().period_pips == samples.size(), "copy");
  const SampledPattern moved = std::move(copy);
  require(moved.info().name == name && moved.info().description == description, "move target");
  check_sample(moved, samples, -1);
  const CatalogueEntry left = copy.info();  // NOLINT(bugprone-use-after-move)
  require(left.name.empty() && left.description.empty() && left.period_pips == 0, "moved-from info");
  expect(outcome_of([&] { (void)copy.sample(0); }), {"logic_error", "Cannot sample a moved-from pattern"},
         "sampling a moved-from pattern");
}

}  // namespace

// The table repeats a short palette so that full-size tables cost nothing to
// describe; one slot may then be overwritten with any value.
std::vector<Offset3> consume_samples(FuzzedDataProvider& in, bool unit_only) {
  std::size_t count = 0;
  switch (in.ConsumeIntegral<std::uint8_t>() % 32) {
    case 31:
      count = in.PickValueInArray<std::size_t>({0, 1, 65534, 65535, 65536});
      break;
    case 30:
      count = in.ConsumeIntegralInRange<std::size_t>(0, 70000);
      break;
    default:
      count = in.ConsumeIntegralInRange<std::size_t>(0, 64);
      break;
  }
  const auto value = [&] { return unit_only ? consume_unit_value(in) : consume_value(in); };
  std::vector<Offset3> palette(in.ConsumeIntegralInRange<std::size_t>(1, 4));
  for (Offset3& p : palette) {
    p = {value(), value(), value()};
  }
  std::vector<Offset3> samples(count);
  for (std::size_t i = 0; i < count; ++i) {
    samples[i] = palette[i % palette.size()];
  }
  if (count > 0 && in.ConsumeBool()) {
    Offset3& slot = samples[in.ConsumeIntegralInRange<std::size_t>(0, count - 1)];
    double* axes[] = {&slot.x, &slot.y, &slot.z};
    *axes[in.ConsumeIntegralInRange<int>(0, 2)] = value();
  }
  return samples;
}

void fuzz_sampled_pattern(FuzzedDataProvider& in) {
  const std::string name = consume_name(in);
  const std::string description = in.ConsumeRandomLengthString(40);
  const std::vector<Offset3> samples = consume_samples(in, false);
  std::optional<SampledPattern> pattern;
  expect(outcome_of([&] { pattern.emplace(name, description, samples); }), expected_outcome(name, samples),
         "SampledPattern(\"" + name + "\", " + std::to_string(samples.size()) + " samples)");
  if (pattern) {
    check_pattern(*pattern, name, description, samples, in);
  }
}

}  // namespace pipmoves::fuzz

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "fuzz_targets.hpp"
#include "pipmoves/sampled_recording.hpp"

namespace pipmoves::fuzz {
namespace {

constexpr std::int64_t kMaxValues = 8388608;
constexpr std::int32_t kMaxPip = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinPip = std::numeric_limits<std::int32_t>::min();
constexpr const char* kOutside = "Pip outside non-looping recording";

struct Arguments {
  std::string name;
  std::vector<std::string> axes;
  std::vector<std::span<const double>> rows;
  double bpm = 120.0;
  double beat_zero_seconds = 0.0;
  std::int32_t start_pip = 0;
};

Outcome expected_outcome(const Arguments& a) {
  if (!is_name(a.name)) {
    return invalid("Invalid identifier");
  }
  const bool timing = a.bpm > 0.0 && std::isfinite(a.bpm) && std::isfinite(60.0 / a.bpm) &&
                      std::isfinite(a.beat_zero_seconds);
  if (!timing) {
    return invalid("A finite positive BPM and beat origin are required");
  }
  const auto d = static_cast<std::int64_t>(a.axes.size());
  const auto n = static_cast<std::int64_t>(a.rows.size());
  if (d < 1 || d > kMaxValues || n < 1 || n * d > kMaxValues || a.start_pip + n > kMaxPip) {
    return invalid("Empty recording or recording resource limit exceeded");
  }
  std::set<std::string> seen;
  for (const std::string& axis : a.axes) {
    if (!is_name(axis)) {
      return invalid("Invalid identifier");
    }
    if (!seen.insert(axis).second) {
      return invalid("Duplicate axis");
    }
  }
  for (const std::span<const double> row : a.rows) {
    if (row.size() != a.axes.size()) {
      return invalid("Ragged recording");
    }
    for (const double v : row) {
      if (!in_unit_range(v)) {
        return invalid("Invalid sample");
      }
    }
  }
  return {};
}

// The same arguments as a table read piece by piece, which fails the run if
// the recording reads anything its checks have not yet let through: an axis
// or a row before both counts, a value before its row's length matched.
class WatchedTable final : public SampledRecording::Table {
 public:
  explicit WatchedTable(const Arguments& a) : a_(a) {}
  std::size_t axis_count() const override { return counted_axes_ = true, a_.axes.size(); }
  std::size_t row_count() const override { return counted_rows_ = true, a_.rows.size(); }
  std::string axis(std::size_t index) const override {
    require(counted_axes_ && counted_rows_, "axis name read before the counts");
    read_anything_ = true;
    return a_.axes[index];
  }
  std::size_t row_length(std::size_t row) const override {
    require(counted_axes_ && counted_rows_, "row read before the counts");
    read_anything_ = true;
    row_ = row;
    return a_.rows[row].size();
  }
  double value(std::size_t row, std::size_t index) const override {
    require(row == row_ && a_.rows[row].size() == a_.axes.size(), "value read before its row's length passed");
    return a_.rows[row][index];
  }
  bool read_anything() const { return read_anything_; }

 private:
  const Arguments& a_;
  mutable bool counted_axes_ = false;
  mutable bool counted_rows_ = false;
  mutable bool read_anything_ = false;
  mutable std::size_t row_ = SIZE_MAX;
};

void check_sample(const SampledRecording& r, const Arguments& a, std::int32_t pip) {
  std::vector<double> have;
  const Outcome outcome = outcome_of([&] { have = r.sample(pip); });
  const std::int64_t row = std::int64_t{pip} - a.start_pip;
  if (row < 0 || row >= static_cast<std::int64_t>(a.rows.size())) {
    expect(outcome, {"out_of_range", kOutside}, "sample outside the span at " + std::to_string(pip));
    return;
  }
  expect(outcome, {}, "sample inside the span at " + std::to_string(pip));
  const std::span<const double> want = a.rows[static_cast<std::size_t>(row)];
  require(have.size() == want.size(), "row length");
  for (std::size_t i = 0; i < want.size(); ++i) {
    require(same_bits(want[i], have[i]), "row value at pip " + std::to_string(pip));
  }
}

void check_recording(const SampledRecording& r, const Arguments& a, FuzzedDataProvider& in) {
  require(r.name() == a.name && r.dimensions() == a.axes, "name and axes");
  require(same_bits(r.bpm(), a.bpm) && same_bits(r.beat_zero_seconds(), a.beat_zero_seconds), "timing");
  require(r.start_pip() == a.start_pip && r.sample_count() == a.rows.size(), "span");
  const std::int64_t first = a.start_pip;
  const std::int64_t last = first + static_cast<std::int64_t>(a.rows.size()) - 1;
  for (const std::int64_t pip : {first - 1, first, last, last + 1, std::int64_t{kMinPip}, std::int64_t{kMaxPip}}) {
    if (pip >= kMinPip && pip <= kMaxPip) {
      check_sample(r, a, static_cast<std::int32_t>(pip));
    }
  }
  for (int i = 0; i < 4 && in.remaining_bytes() > 0; ++i) {
    check_sample(r, a, consume_pip(in));
  }
}

// Axis names: a few decoded ones (repeats and bad bytes likely), or many
// distinct valid ones of which one may be spoilt.
std::vector<std::string> consume_axes(FuzzedDataProvider& in) {
  std::vector<std::string> axes;
  if (in.ConsumeIntegral<std::uint8_t>() % 16 != 15) {
    axes.resize(in.ConsumeIntegralInRange<std::size_t>(0, 5));
    for (std::string& axis : axes) {
      axis = consume_name(in);
    }
    return axes;
  }
  axes.resize(in.PickValueInArray<std::size_t>({1, 2, 3, 7, 512, 1024, 4096, 8192}));
  for (std::size_t i = 0; i < axes.size(); ++i) {
    axes[i] = "a" + std::to_string(i);
  }
  if (in.ConsumeBool()) {
    axes[in.ConsumeIntegralInRange<std::size_t>(0, axes.size() - 1)] = consume_name(in);
  }
  return axes;
}

std::size_t consume_row_count(FuzzedDataProvider& in, std::size_t axes) {
  if (axes > 0 && in.ConsumeIntegral<std::uint8_t>() % 16 == 15) {
    const std::size_t limit = static_cast<std::size_t>(kMaxValues) / axes;
    // Tables of a million values or more only for the wide cases, to keep
    // runs quick.
    if (limit <= 16384) {
      return limit - 1 + in.ConsumeIntegralInRange<std::size_t>(0, 2);
    }
  }
  return in.ConsumeIntegralInRange<std::size_t>(0, 8);
}

std::int32_t consume_start_pip(FuzzedDataProvider& in, std::size_t rows) {
  switch (in.ConsumeIntegral<std::uint8_t>() % 4) {
    case 0: {
      // Right at the end of the pip range, give or take one.
      const auto end = static_cast<std::int64_t>(kMaxPip) - static_cast<std::int64_t>(rows);
      return static_cast<std::int32_t>(end + in.ConsumeIntegralInRange<std::int64_t>(-1, 1));
    }
    case 1:
      return 0;
    default:
      return consume_pip(in);
  }
}

}  // namespace

void fuzz_sampled_recording(FuzzedDataProvider& in) {
  Arguments a;
  a.name = in.ConsumeBool() ? consume_name(in) : "take";
  a.bpm = in.ConsumeBool() ? consume_value(in) : 120.0;
  a.beat_zero_seconds = in.ConsumeBool() ? consume_value(in) : 0.0;
  a.axes = consume_axes(in);
  const std::size_t row_count = consume_row_count(in, a.axes.size());
  a.start_pip = consume_start_pip(in, row_count);

  // Every row views one of a few stored rows: valid ones of the right
  // length, and perhaps one ragged or with a decoded value.
  const std::size_t d = a.axes.size();
  std::vector<std::vector<double>> pool;
  for (std::size_t i = in.ConsumeIntegralInRange<std::size_t>(1, 3); i > 0; --i) {
    std::vector<double> row(d);
    for (double& v : row) {
      v = consume_unit_value(in);
    }
    pool.push_back(std::move(row));
  }
  switch (in.ConsumeIntegral<std::uint8_t>() % 4) {
    case 0:
      pool.emplace_back(d + 1, 0.5);
      break;
    case 1:
      if (d > 0) {
        pool.emplace_back(d - 1, 0.5);
      }
      break;
    case 2:
      if (d > 0) {
        pool.push_back(pool.front());
        pool.back()[in.ConsumeIntegralInRange<std::size_t>(0, d - 1)] = consume_value(in);
      }
      break;
    default:
      break;
  }
  a.rows.reserve(row_count);
  for (std::size_t i = 0; i < row_count; ++i) {
    // The first rows choose freely; later ones repeat the valid ones.
    const std::size_t choice = i < 8 ? in.ConsumeIntegralInRange<std::size_t>(0, pool.size() - 1) : 0;
    a.rows.emplace_back(pool[choice]);
  }
  if (row_count > 8 && in.ConsumeBool()) {
    a.rows[in.ConsumeIntegralInRange<std::size_t>(8, row_count - 1)] = pool.back();
  }

  std::optional<SampledRecording> recording;
  expect(outcome_of([&] {
           recording.emplace(a.name, a.axes, a.rows, a.bpm, a.beat_zero_seconds, a.start_pip);
         }),
         expected_outcome(a),
         "SampledRecording(\"" + a.name + "\", " + std::to_string(d) + " axes, " + std::to_string(row_count) +
             " rows from " + std::to_string(a.start_pip) + ")");
  if (recording) {
    check_recording(*recording, a, in);
  }

  const WatchedTable table(a);
  std::optional<SampledRecording> from_table;
  const Outcome want = expected_outcome(a);
  expect(outcome_of([&] { from_table.emplace(a.name, table, a.bpm, a.beat_zero_seconds, a.start_pip); }), want,
         "SampledRecording from a table");
  const bool refused_before_the_table = want.message == "Invalid identifier" && !is_name(a.name);
  const bool refused_by_counts = want.message == "A finite positive BPM and beat origin are required" ||
                                 want.message == "Empty recording or recording resource limit exceeded";
  require(!(refused_before_the_table || refused_by_counts) || !table.read_anything(),
          "table read although the name, timing or counts refused it");
  if (from_table) {
    check_recording(*from_table, a, in);
  }
}

}  // namespace pipmoves::fuzz

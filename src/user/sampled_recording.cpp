#include "pipmoves/sampled_recording.hpp"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "identifier_rule.hpp"

namespace pipmoves {
namespace {

bool valid_timing(double bpm, double beat_zero_seconds) noexcept {
  // A positive subnormal tempo passes the first test, but its beat would last
  // longer than any double can say.
  return bpm > 0.0 && std::isfinite(bpm) && std::isfinite(60.0 / bpm) && std::isfinite(beat_zero_seconds);
}

// Uses the row count alone, so nothing is allocated for a table that would be
// refused; every sum is taken in 64 bits once the counts are known small.
bool valid_size(std::size_t axes, std::size_t rows, std::int32_t start_pip) noexcept {
  constexpr std::size_t kMax = SampledRecording::kMaxValues;
  if (axes < 1 || axes > kMax || rows < 1 || rows > kMax / axes) {
    return false;
  }
  constexpr std::int64_t kPipLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  return std::int64_t{start_pip} + static_cast<std::int64_t>(rows) < kPipLimit;
}

// Rows held in contiguous storage, as native callers pass them.
class SpanTable final : public SampledRecording::Table {
 public:
  SpanTable(const std::vector<std::string>& axes, std::span<const std::span<const double>> rows) noexcept
      : axes_(axes), rows_(rows) {}
  std::size_t axis_count() const override { return axes_.size(); }
  std::string axis(std::size_t index) const override { return axes_[index]; }
  std::size_t row_count() const override { return rows_.size(); }
  std::size_t row_length(std::size_t row) const override { return rows_[row].size(); }
  double value(std::size_t row, std::size_t index) const override { return rows_[row][index]; }

 private:
  const std::vector<std::string>& axes_;
  std::span<const std::span<const double>> rows_;
};

}  // namespace

SampledRecording::SampledRecording(std::string name, std::vector<std::string> dimensions,
                                   std::span<const std::span<const double>> samples, double bpm,
                                   double beat_zero_seconds, std::int32_t start_pip)
    : SampledRecording(std::move(name), SpanTable(dimensions, samples), bpm, beat_zero_seconds, start_pip) {}

SampledRecording::SampledRecording(std::string name, const Table& table, double bpm, double beat_zero_seconds,
                                   std::int32_t start_pip)
    : name_(std::move(name)), bpm_(bpm), beat_zero_seconds_(beat_zero_seconds), start_pip_(start_pip) {
  if (!detail::is_identifier(name_)) {
    throw std::invalid_argument("Invalid identifier");
  }
  if (!valid_timing(bpm_, beat_zero_seconds_)) {
    throw std::invalid_argument("A finite positive BPM and beat origin are required");
  }
  const std::size_t axes = table.axis_count();
  const std::size_t rows = table.row_count();
  if (!valid_size(axes, rows, start_pip_)) {
    throw std::invalid_argument("Empty recording or recording resource limit exceeded");
  }
  // The views borrow dimensions_, reserved once so that it never moves.
  dimensions_.reserve(axes);
  std::unordered_set<std::string_view> seen;
  seen.reserve(axes);
  for (std::size_t a = 0; a < axes; ++a) {
    std::string& axis = dimensions_.emplace_back(table.axis(a));
    if (!detail::is_identifier(axis)) {
      throw std::invalid_argument("Invalid identifier");
    }
    if (!seen.insert(axis).second) {
      throw std::invalid_argument("Duplicate axis");
    }
  }
  values_.reserve(rows * axes);
  for (std::size_t r = 0; r < rows; ++r) {
    if (table.row_length(r) != axes) {
      throw std::invalid_argument("Ragged recording");
    }
    for (std::size_t a = 0; a < axes; ++a) {
      const double v = table.value(r, a);
      if (!detail::is_unit_value(v)) {
        throw std::invalid_argument("Invalid sample");
      }
      values_.push_back(v);
    }
  }
}

std::vector<double> SampledRecording::sample(int pip) const {
  const std::int64_t row = std::int64_t{pip} - start_pip_;
  if (row < 0 || static_cast<std::uint64_t>(row) >= sample_count()) {
    throw std::out_of_range("Pip outside non-looping recording");
  }
  const auto first = values_.begin() + static_cast<std::ptrdiff_t>(static_cast<std::size_t>(row) * dimensions_.size());
  return std::vector<double>(first, first + static_cast<std::ptrdiff_t>(dimensions_.size()));
}

}  // namespace pipmoves

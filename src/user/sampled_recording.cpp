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

}  // namespace

SampledRecording::SampledRecording(std::string name, std::vector<std::string> dimensions,
                                   std::span<const std::span<const double>> samples, double bpm,
                                   double beat_zero_seconds, std::int32_t start_pip)
    : name_(std::move(name)),
      dimensions_(std::move(dimensions)),
      bpm_(bpm),
      beat_zero_seconds_(beat_zero_seconds),
      start_pip_(start_pip) {
  if (!detail::is_identifier(name_)) {
    throw std::invalid_argument("Invalid identifier");
  }
  if (!valid_timing(bpm_, beat_zero_seconds_)) {
    throw std::invalid_argument("A finite positive BPM and beat origin are required");
  }
  const std::size_t axes = dimensions_.size();
  if (!valid_size(axes, samples.size(), start_pip_)) {
    throw std::invalid_argument("Empty recording or recording resource limit exceeded");
  }
  // The views borrow dimensions_, which no longer changes.
  std::unordered_set<std::string_view> seen;
  seen.reserve(axes);
  for (const std::string& axis : dimensions_) {
    if (!detail::is_identifier(axis)) {
      throw std::invalid_argument("Invalid identifier");
    }
    if (!seen.insert(axis).second) {
      throw std::invalid_argument("Duplicate axis");
    }
  }
  values_.reserve(samples.size() * axes);
  for (const std::span<const double> row : samples) {
    if (row.size() != axes) {
      throw std::invalid_argument("Ragged recording");
    }
    for (const double v : row) {
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

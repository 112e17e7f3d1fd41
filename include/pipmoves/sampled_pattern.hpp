#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "pipmoves/catalogue_entry.hpp"
#include "pipmoves/offset3.hpp"

namespace pipmoves {

// A caller's looping pattern: one sample per pip of one period. Validated
// whole by the constructor and immutable afterwards.
class SampledPattern {
 public:
  static constexpr std::size_t kMaxNameBytes = 128;
  static constexpr std::size_t kMaxSamples = 65535;

  // Throws std::invalid_argument on the first rule broken: name, then sample
  // count, then the first component that is not finite or outside [-1, 1].
  SampledPattern(std::string name, std::string description, std::vector<Offset3> samples);

  SampledPattern(const SampledPattern&) = default;
  SampledPattern& operator=(const SampledPattern&) = default;
  // Leaves the source with empty strings and no samples.
  SampledPattern(SampledPattern&& other) noexcept;
  SampledPattern& operator=(SampledPattern&& other) noexcept;
  ~SampledPattern() = default;

  // The views borrow this pattern's strings. A moved-from pattern reports
  // empty strings, period 0 and dimensions 0.
  CatalogueEntry info() const noexcept;

  // The sample at wrap_pip(pip, period). Throws std::logic_error on a
  // moved-from pattern.
  Offset3 sample(int pip) const;

 private:
  std::string name_;
  std::string description_;
  std::vector<Offset3> samples_;
  std::uint8_t dimensions_ = 0;
};

}  // namespace pipmoves

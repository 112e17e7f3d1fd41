#include "pipmoves/sampled_pattern.hpp"

#include <cstdint>
#include <stdexcept>
#include <utility>

#include "dimensions_rule.hpp"
#include "identifier_rule.hpp"
#include "pipmoves/pip.hpp"

namespace pipmoves {

static_assert(SampledPattern::kMaxNameBytes == detail::kMaxIdentifierBytes);

SampledPattern::SampledPattern(std::string name, std::string description, std::vector<Offset3> samples)
    : name_(std::move(name)), description_(std::move(description)), samples_(std::move(samples)) {
  if (!detail::is_identifier(name_)) {
    throw std::invalid_argument("Invalid pattern name");
  }
  if (samples_.empty() || samples_.size() > kMaxSamples) {
    throw std::invalid_argument("A pattern requires 1..65535 samples (one per pip)");
  }
  for (const Offset3& s : samples_) {
    if (!detail::is_unit_value(s.x) || !detail::is_unit_value(s.y) || !detail::is_unit_value(s.z)) {
      throw std::invalid_argument("Pattern samples must be finite and within [-1, 1]");
    }
  }
  dimensions_ = detail::dimensions_of(samples_);
}

SampledPattern::SampledPattern(SampledPattern&& other) noexcept
    : name_(std::exchange(other.name_, {})),
      description_(std::exchange(other.description_, {})),
      samples_(std::exchange(other.samples_, {})),
      dimensions_(std::exchange(other.dimensions_, 0)) {}

SampledPattern& SampledPattern::operator=(SampledPattern&& other) noexcept {
  // Exchanging through temporaries keeps self-move-assignment harmless.
  name_ = std::exchange(other.name_, {});
  description_ = std::exchange(other.description_, {});
  samples_ = std::exchange(other.samples_, {});
  dimensions_ = std::exchange(other.dimensions_, 0);
  return *this;
}

CatalogueEntry SampledPattern::info() const noexcept {
  return CatalogueEntry{name_, description_, static_cast<std::uint16_t>(samples_.size()), dimensions_};
}

Offset3 SampledPattern::sample(int pip) const {
  if (samples_.empty()) {
    throw std::logic_error("Cannot sample a moved-from pattern");
  }
  const auto period = static_cast<std::int32_t>(samples_.size());
  return samples_[static_cast<std::size_t>(wrap_pip(pip, period))];
}

}  // namespace pipmoves

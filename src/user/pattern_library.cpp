#include "pipmoves/pattern_library.hpp"

#include <stdexcept>
#include <string>
#include <unordered_set>
#include <utility>

#include "pipmoves/catalogue.hpp"

namespace pipmoves {
namespace {

// Exact floating-point equality at every pip of the period; dimensions are
// derived from the samples and so take no part.
bool is_exact_copy(const SampledPattern& pattern, const DefaultPattern& standard) {
  const CatalogueEntry own = pattern.info();
  if (own.description != standard.description || own.period_pips != standard.period_pips) {
    return false;
  }
  for (int pip = 0; pip < own.period_pips; ++pip) {
    const Offset3 mine = pattern.sample(pip);
    const Offset3 theirs = standard.sampler(pip);
    if (mine.x != theirs.x || mine.y != theirs.y || mine.z != theirs.z) {
      return false;
    }
  }
  return true;
}

}  // namespace

PatternLibrary::PatternLibrary(std::vector<SampledPattern> patterns) {
  if (patterns.size() > kMaxPatterns) {
    throw std::invalid_argument("Too many patterns");
  }
  std::unordered_set<std::string> seen;
  std::uint64_t total_samples = 0;
  for (SampledPattern& pattern : patterns) {
    const CatalogueEntry own = pattern.info();
    if (own.period_pips == 0) {
      throw std::invalid_argument("Empty/moved-from pattern");
    }
    if (!seen.emplace(own.name).second) {
      throw std::invalid_argument("Duplicate pattern name: " + std::string(own.name));
    }
    total_samples += own.period_pips;
    if (total_samples > kMaxTotalSamples) {
      throw std::invalid_argument("Pattern pack is too large");
    }
    const DefaultPattern* standard = find_default(own.name);
    if (standard == nullptr) {
      positions_.emplace(own.name, static_cast<std::uint32_t>(patterns_.size()));
      patterns_.push_back(std::move(pattern));
    } else if (!is_exact_copy(pattern, *standard)) {
      throw std::invalid_argument("Cannot override default pattern: " + std::string(own.name));
    }
  }
}

Offset3 PatternLibrary::sample(std::string_view name, int pip) const {
  if (!positions_.empty()) {
    if (const auto own = positions_.find(name); own != positions_.end()) {
      return patterns_[own->second].sample(pip);
    }
  }
  return pipmoves::sample(name, pip);
}

std::vector<CatalogueEntry> PatternLibrary::catalogue() const {
  std::vector<CatalogueEntry> entries(pipmoves::catalogue());
  if (!patterns_.empty()) {
    entries.reserve(entries.size() + patterns_.size());
  }
  for (const SampledPattern& pattern : patterns_) {
    entries.push_back(pattern.info());
  }
  return entries;
}

}  // namespace pipmoves

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

// The checks of each input pattern in input order, with what they remember
// from one pattern to the next. The count is checked before any pattern.
class Admission {
 public:
  explicit Admission(std::size_t count) {
    if (count > PatternLibrary::kMaxPatterns) {
      throw std::invalid_argument("Too many patterns");
    }
  }

  // Throws on the first rule the pattern breaks; false for an exact copy of a
  // default, which is not stored.
  bool admits(const SampledPattern& pattern) {
    const CatalogueEntry own = pattern.info();
    if (own.period_pips == 0) {
      throw std::invalid_argument("Empty/moved-from pattern");
    }
    if (!seen_.emplace(own.name).second) {
      throw std::invalid_argument("Duplicate pattern name: " + std::string(own.name));
    }
    total_samples_ += own.period_pips;
    if (total_samples_ > PatternLibrary::kMaxTotalSamples) {
      throw std::invalid_argument("Pattern pack is too large");
    }
    const DefaultPattern* standard = find_default(own.name);
    if (standard == nullptr) {
      return true;
    }
    if (!is_exact_copy(pattern, *standard)) {
      throw std::invalid_argument("Cannot override default pattern: " + std::string(own.name));
    }
    return false;
  }

 private:
  std::unordered_set<std::string> seen_;
  std::uint64_t total_samples_ = 0;
};

}  // namespace

PatternLibrary::PatternLibrary(std::vector<SampledPattern> patterns) {
  Admission admission(patterns.size());
  for (SampledPattern& pattern : patterns) {
    if (admission.admits(pattern)) {
      keep(std::move(pattern));
    }
  }
}

PatternLibrary PatternLibrary::copied_from(std::span<const SampledPattern* const> patterns) {
  Admission admission(patterns.size());
  PatternLibrary library(std::vector<SampledPattern>{});
  for (const SampledPattern* pattern : patterns) {
    if (admission.admits(*pattern)) {
      library.keep(*pattern);
    }
  }
  return library;
}

void PatternLibrary::keep(SampledPattern pattern) {
  positions_.emplace(pattern.info().name, static_cast<std::uint32_t>(patterns_.size()));
  patterns_.push_back(std::move(pattern));
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

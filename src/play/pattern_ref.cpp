#include "pipmoves/play/pattern_ref.hpp"

#include <stdexcept>
#include <string>
#include <vector>

#include "pipmoves/catalogue.hpp"

namespace pipmoves::play {
namespace {

[[noreturn]] void unknown(std::string_view name) {
  throw std::invalid_argument("Unknown pipmove: " + std::string(name));
}

}  // namespace

PatternRef PatternRef::named(std::string_view name) {
  const DefaultPattern* row = find_default(name);
  if (row == nullptr) {
    unknown(name);
  }
  PatternRef ref;
  ref.default_ = row;
  ref.info_ = *row;
  return ref;
}

PatternRef::PatternRef(const SampledPattern& pattern)
    : kind_(Kind::sampled_pattern), info_(pattern.info()), sampled_(&pattern) {
  if (info_.period_pips == 0) {
    throw std::logic_error("Cannot sample a moved-from pattern");
  }
}

PatternRef::PatternRef(const PatternLibrary& library, std::string_view name) {
  if (const DefaultPattern* row = find_default(name)) {
    default_ = row;
    info_ = *row;
    return;
  }
  // The library lists its own patterns after the defaults.
  const std::vector<CatalogueEntry> entries = library.catalogue();
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
    if (entry->name == name) {
      kind_ = Kind::library_pattern;
      info_ = *entry;
      library_ = &library;
      library_name_ = std::string(name);
      return;
    }
  }
  unknown(name);
}

Offset3 PatternRef::sample(std::int32_t pip) const {
  switch (kind_) {
    case Kind::default_pattern:
      return default_->sampler(pip);
    case Kind::sampled_pattern:
      return sampled_->sample(pip);
    case Kind::library_pattern:
      break;
  }
  return library_->sample(library_name_, pip);
}

}  // namespace pipmoves::play

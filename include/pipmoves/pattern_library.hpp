#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "pipmoves/catalogue_entry.hpp"
#include "pipmoves/offset3.hpp"
#include "pipmoves/sampled_pattern.hpp"

namespace pipmoves {

// A caller's patterns layered over the defaults. A pattern may reuse a default
// name only as an exact copy of that default, and such copies are not stored,
// so no default can ever be changed through a library.
class PatternLibrary {
 public:
  static constexpr std::size_t kMaxPatterns = 1024;
  static constexpr std::uint64_t kMaxTotalSamples = std::uint64_t{1} << 20;

  // Consumes the patterns: the accepted ones move into the library. Throws
  // std::invalid_argument on the first rule broken.
  explicit PatternLibrary(std::vector<SampledPattern> patterns);
  // The same checks in the same order, but the caller's patterns stay as they
  // are: each accepted one is copied once its own checks have passed, so an
  // input that a limit refuses is never copied whole.
  static PatternLibrary copied_from(std::span<const SampledPattern* const> patterns);

  // Own patterns first, then the default dispatch; an unknown name throws
  // std::invalid_argument "Unknown pipmove: <name>".
  Offset3 sample(std::string_view name, int pip) const;

  // The default catalogue followed by the stored patterns in input order. The
  // user entries borrow this library's strings.
  std::vector<CatalogueEntry> catalogue() const;

 private:
  // Hashes a name once, whether it comes as a string or a view.
  struct NameHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view name) const noexcept { return std::hash<std::string_view>{}(name); }
  };

  void keep(SampledPattern pattern);

  std::vector<SampledPattern> patterns_;
  // Each stored pattern's position in patterns_ by name; names are unique, so
  // this finds what a walk in input order would find first.
  std::unordered_map<std::string, std::uint32_t, NameHash, std::equal_to<>> positions_;
};

}  // namespace pipmoves

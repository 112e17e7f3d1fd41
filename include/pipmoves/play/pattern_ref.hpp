#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "pipmoves/catalogue_entry.hpp"
#include "pipmoves/default_pattern.hpp"
#include "pipmoves/offset3.hpp"
#include "pipmoves/pattern_library.hpp"
#include "pipmoves/sampled_pattern.hpp"

namespace pipmoves::play {

// A pattern resolved once, to be sampled many times: a default pattern by
// name, a caller's SampledPattern, or a name in a PatternLibrary. It samples
// exactly as the sample call it replaces. A reference to a SampledPattern or
// a PatternLibrary borrows it: the referee must outlive the reference.
class PatternRef {
 public:
  enum class Kind : std::uint8_t { default_pattern, sampled_pattern, library_pattern };

  // Throws std::invalid_argument "Unknown pipmove: <name>" for a name that is
  // no default pattern.
  static PatternRef named(std::string_view name);

  // Throws std::logic_error for a moved-from pattern.
  explicit PatternRef(const SampledPattern& pattern);

  // A library serves its own names and every default name; a default name
  // resolves straight to the default pattern, which the library cannot
  // change. Throws std::invalid_argument "Unknown pipmove: <name>" otherwise.
  PatternRef(const PatternLibrary& library, std::string_view name);

  Kind kind() const noexcept { return kind_; }
  // The catalogue row; its views live as long as the referee.
  const CatalogueEntry& info() const noexcept { return info_; }
  std::int32_t period_pips() const noexcept { return info_.period_pips; }

  Offset3 sample(std::int32_t pip) const;

  // The resolved referee of each kind; the others are null.
  const DefaultPattern* default_pattern() const noexcept { return default_; }
  const SampledPattern* sampled_pattern() const noexcept { return sampled_; }
  const PatternLibrary* library() const noexcept { return library_; }

 private:
  PatternRef() = default;

  Kind kind_ = Kind::default_pattern;
  CatalogueEntry info_;
  const DefaultPattern* default_ = nullptr;
  const SampledPattern* sampled_ = nullptr;
  const PatternLibrary* library_ = nullptr;
  // The library looks names up by value; info_.name views the library's copy.
  std::string library_name_;
};

}  // namespace pipmoves::play

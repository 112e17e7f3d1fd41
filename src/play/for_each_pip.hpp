#pragma once

#include <cstdint>
#include <span>
#include <stdexcept>

#include "pipmoves/offset3.hpp"
#include "pipmoves/play/pattern_ref.hpp"
#include "pipmoves/play/rows.hpp"

namespace pipmoves::play::detail {

inline void check_span_rows(std::size_t rows) {
  if (rows > static_cast<std::size_t>(kMaxRows)) {
    throw std::invalid_argument("Too many rows: at most 16777216");
  }
}

// Calls visit with the cheapest sampler of the pattern's kind, so a loop over
// many pips is specialised once, not dispatched per pip.
template <typename Visit>
decltype(auto) with_sampler(const PatternRef& pattern, Visit&& visit) {
  switch (pattern.kind()) {
    case PatternRef::Kind::default_pattern:
      return visit([sampler = pattern.default_pattern()->sampler](std::int32_t pip) { return sampler(pip); });
    case PatternRef::Kind::sampled_pattern:
      return visit([sampled = pattern.sampled_pattern()](std::int32_t pip) { return sampled->sample(pip); });
    case PatternRef::Kind::library_pattern:
      break;
  }
  return visit([&pattern](std::int32_t pip) { return pattern.sample(pip); });
}

}  // namespace pipmoves::play::detail

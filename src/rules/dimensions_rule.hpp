#pragma once

#include <cstdint>

#include "pipmoves/offset3.hpp"

namespace pipmoves::detail {

// The number of leading axes in motion: 3 if any sample has z different from
// 0, else 2 if any has y different from 0, else 1. The comparison is numeric,
// so -0.0 counts as zero, and x plays no part.
template <typename Samples>
constexpr std::uint8_t dimensions_of(const Samples& samples) noexcept {
  std::uint8_t dimensions = 1;
  for (const Offset3& s : samples) {
    if (s.z != 0.0) {
      return 3;
    }
    if (s.y != 0.0) {
      dimensions = 2;
    }
  }
  return dimensions;
}

}  // namespace pipmoves::detail

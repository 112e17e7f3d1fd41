#pragma once

#include <cstdint>

namespace pipmoves {

inline constexpr int PIPS_PER_BEAT = 64;

// Floored remainder of pip by period, in [0, period - 1]; 0 for a period of 0
// or below. Never overflows: the truncating remainder is defined for every pip
// once period >= 1, and adding period to a negative remainder stays in range.
constexpr std::int32_t wrap_pip(std::int32_t pip, std::int32_t period) noexcept {
  if (period <= 0) {
    return 0;
  }
  const std::int32_t r = pip % period;
  return r < 0 ? r + period : r;
}

}  // namespace pipmoves

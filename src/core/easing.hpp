#pragma once

#include <cmath>

namespace pipmoves::detail {

// Phase fraction of a power-of-two period: exact, at most 8 significant bits.
inline double phase(int pip, int period) noexcept {
  return static_cast<double>(pip & (period - 1)) / period;
}

// Smoothstep weight t^2 (3 - 2t), rounded exactly as the shapes define it.
inline double smoothstep_weight(double t) noexcept {
  return (t * t) * std::fma(t, -2.0, 3.0);
}

}  // namespace pipmoves::detail

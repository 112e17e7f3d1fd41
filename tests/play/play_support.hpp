#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "pipmoves/catalogue.hpp"
#include "pipmoves/play/pip_step.hpp"

namespace pipmoves::play::testing {

inline constexpr std::int32_t kMinPip = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int32_t kMaxPip = std::numeric_limits<std::int32_t>::max();

// Both 32-bit ends and their neighbours, zero, and a spread between.
inline std::vector<std::int32_t> pip_sweep() {
  std::vector<std::int32_t> pips{kMinPip, kMinPip + 1, kMinPip + 255, -65536, -257, -1, 0, 1, 63, 64, 255,
                                 65535, kMaxPip - 255, kMaxPip - 1, kMaxPip};
  for (std::int64_t pip = kMinPip; pip <= kMaxPip; pip += 479001599) {
    pips.push_back(static_cast<std::int32_t>(pip));
  }
  return pips;
}

}  // namespace pipmoves::play::testing

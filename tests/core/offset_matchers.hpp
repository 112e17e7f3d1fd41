#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>

#include "pipmoves/offset3.hpp"

namespace pipmoves::testing {

inline std::string show(double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.17g (%a)", v, v);
  return buffer;
}

inline std::string show(const Offset3& o) {
  return "{" + show(o.x) + ", " + show(o.y) + ", " + show(o.z) + "}";
}

// Bit-for-bit equality: tells 0.0 from -0.0 and fails on any last-bit change.
inline bool same_bits(double a, double b) {
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

inline ::testing::AssertionResult SameOffset(const Offset3& want, const Offset3& have) {
  if (same_bits(want.x, have.x) && same_bits(want.y, have.y) && same_bits(want.z, have.z)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "\n want " << show(want) << "\n have " << show(have);
}

inline ::testing::AssertionResult SameDouble(double want, double have) {
  if (same_bits(want, have)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "\n want " << show(want) << "\n have " << show(have);
}

}  // namespace pipmoves::testing

#pragma once

#include <cstdint>

namespace pipmoves::play {

// Pips are 32-bit two's complement and wrap: the pip after 2147483647 is
// -2147483648, as the patterns themselves see it. Sums and products of pips
// are taken modulo 2^32, so no step ever overflows a signed integer.
constexpr std::int32_t advance_pip(std::int32_t pip, std::int64_t steps, std::int32_t step) noexcept {
  const auto offset = static_cast<std::uint32_t>(steps) * static_cast<std::uint32_t>(step);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(pip) + offset);
}

// The pip a position counted without wrapping falls on.
constexpr std::int32_t pip_of_position(std::int64_t position) noexcept {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(position)));
}

}  // namespace pipmoves::play

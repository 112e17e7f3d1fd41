#pragma once

// SHA-256 (FIPS 180-4), small and self-contained, so that its results are the
// same on every machine: the noise rows take their control points from digests,
// and the golden digests pin every stored table.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pipmoves::packs {

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest sha256(std::string_view message);

// Two lower-case hex digits per byte, first byte first.
std::string to_hex(const Sha256Digest& digest);

}  // namespace pipmoves::packs

#pragma once

// SHA-256 (FIPS 180-4), small and self-contained: the noise rows take their
// control points from digests, so the tables are the same on every machine.

#include <array>
#include <cstdint>
#include <string_view>

namespace pipmoves::authoring {

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest sha256(std::string_view message);

}  // namespace pipmoves::authoring

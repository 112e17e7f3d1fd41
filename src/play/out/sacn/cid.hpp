#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace pipmoves::play::out {

// An sACN component identifier: a UUID, the same for a source every time it
// starts, so receivers that merge or pin sources by CID keep recognising it.
using Cid = std::array<std::uint8_t, 16>;

// A UUID (version 8, RFC 9562 variant) that is a hash of key: the same key
// always gives the same CID, different keys different ones in all
// likelihood. Not cryptographic; a CID only needs to be unique.
Cid cid_of(std::string_view key) noexcept;

}  // namespace pipmoves::play::out

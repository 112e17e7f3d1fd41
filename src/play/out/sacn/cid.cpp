#include "cid.hpp"

namespace pipmoves::play::out {
namespace {

constexpr std::uint64_t kFnvPrime = 0x100000001b3ULL;

std::uint64_t fnv1a(std::string_view key, std::uint64_t basis) noexcept {
  std::uint64_t hash = basis;
  for (const char c : key) {
    hash = (hash ^ static_cast<std::uint8_t>(c)) * kFnvPrime;
  }
  return hash;
}

// splitmix64's finaliser: FNV alone leaves short keys' high bits alike.
std::uint64_t mixed(std::uint64_t z) noexcept {
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

}  // namespace

Cid cid_of(std::string_view key) noexcept {
  const std::uint64_t halves[2] = {mixed(fnv1a(key, 0xcbf29ce484222325ULL)),
                                   mixed(fnv1a(key, 0x84222325cbf29ce4ULL) ^ key.size())};
  Cid cid{};
  for (std::size_t i = 0; i < cid.size(); ++i) {
    cid[i] = static_cast<std::uint8_t>(halves[i / 8] >> (8 * (7 - i % 8)));
  }
  cid[6] = static_cast<std::uint8_t>((cid[6] & 0x0f) | 0x80);  // version 8: vendor-defined
  cid[8] = static_cast<std::uint8_t>((cid[8] & 0x3f) | 0x80);  // the RFC's variant
  return cid;
}

}  // namespace pipmoves::play::out

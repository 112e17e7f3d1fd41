#pragma once

// How the sorted pack name index is searched: every indexed name also stands
// as a key of four big-endian words, zero-padded to 32 bytes, the longest a
// pack name may be. Comparing keys word by word orders names as memcmp does
// (stored names hold no NUL byte, so padding never ties two of them), and a
// search step never leaves one flat array.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <type_traits>

namespace pipmoves::detail {

using NameKey = std::array<std::uint64_t, 4>;

inline constexpr std::size_t kLongestPackName = 32;

// Eight bytes as one word whose first byte is the most significant.
inline std::uint64_t big_endian_word(const char* bytes) noexcept {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return std::endian::native == std::endian::little ? __builtin_bswap64(word) : word;
}

// The key of a name; bytes past kLongestPackName take no part.
constexpr NameKey name_key(std::string_view name) noexcept {
  NameKey key{};
  const std::size_t bytes = name.size() < kLongestPackName ? name.size() : kLongestPackName;
  if (std::is_constant_evaluated()) {
    for (std::size_t i = 0; i < bytes; ++i) {
      key[i / 8] |= std::uint64_t{static_cast<unsigned char>(name[i])} << (56 - 8 * (i % 8));
    }
    return key;
  }
  // At run time: whole words load directly, and a partial last word is the
  // word that ends at the name's end, shifted up: no byte loop, no call.
  const char* bytes_at = name.data();
  if (bytes < 8) {
    for (std::size_t i = 0; i < bytes; ++i) {
      key[0] |= std::uint64_t{static_cast<unsigned char>(bytes_at[i])} << (56 - 8 * i);
    }
    return key;
  }
  const std::size_t whole = bytes / 8;
  for (std::size_t w = 0; w < whole; ++w) {
    key[w] = big_endian_word(bytes_at + 8 * w);
  }
  if (const std::size_t rest = bytes % 8; rest != 0) {
    key[whole] = big_endian_word(bytes_at + bytes - 8) << (8 * (8 - rest));
  }
  return key;
}

// Word by word, the first word deciding most steps of a search.
constexpr bool key_less(const NameKey& a, const NameKey& b) noexcept {
  if (a[0] != b[0]) return a[0] < b[0];
  if (a[1] != b[1]) return a[1] < b[1];
  if (a[2] != b[2]) return a[2] < b[2];
  return a[3] < b[3];
}

// The key of every name of pack_name_index(), in index order.
std::span<const NameKey> pack_name_keys() noexcept;

}  // namespace pipmoves::detail

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

// The key of a name of at most kLongestPackName bytes.
constexpr NameKey name_key(std::string_view name) noexcept {
  NameKey key{};
  const std::size_t bytes = name.size() < kLongestPackName ? name.size() : kLongestPackName;
  if (std::is_constant_evaluated()) {
    for (std::size_t i = 0; i < bytes; ++i) {
      key[i / 8] |= std::uint64_t{static_cast<unsigned char>(name[i])} << (56 - 8 * (i % 8));
    }
    return key;
  }
  // At run time: whole words load directly, only the last partial word goes
  // byte by byte, so no call to memcpy of a variable size.
  std::size_t w = 0;
  for (; 8 * w + 8 <= bytes; ++w) {
    std::uint64_t word;
    std::memcpy(&word, name.data() + 8 * w, sizeof word);
    key[w] = std::endian::native == std::endian::little ? __builtin_bswap64(word) : word;
  }
  for (std::size_t i = 8 * w; i < bytes; ++i) {
    key[w] |= std::uint64_t{static_cast<unsigned char>(name[i])} << (56 - 8 * (i % 8));
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

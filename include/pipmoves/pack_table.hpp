#pragma once

// The stored default patterns.
//
// The build generates the pack table from the authoring sources in src/packs/:
// one constant array of PackEntry rows, the packs one after another in a fixed
// order (initial, expansion, atlas, continuum, club, dancefloor), and within a
// pack family by family. The catalogue lists the rows in exactly this order.
//
// Each row's sampler is the pattern's `sample_<name>` function in its pack's
// namespace (see the generated header pipmoves/pack_samplers.hpp). A sampler
// reduces the pip to an index into a constant table of period_pips samples:
// a mask when the period is a power of two, a floored remainder otherwise.
//
// Every stored table is finite, within [-1, 1], free of negative zeros, rounded
// to twelve decimal places, and loops without a seam step larger than its own
// largest step. Its dimensions follow the rule: 3 if any z is non-zero, else 2
// if any y is non-zero, else 1.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <type_traits>

#include "pipmoves/offset3.hpp"

namespace pipmoves {

using PackSampler = Offset3 (*)(int pip) noexcept;

// The first four fields are those of CatalogueEntry, in the same order and
// widths, so a catalogue row is a copy of them.
struct PackEntry {
  std::string_view name;
  std::string_view description;
  std::uint16_t period_pips;
  std::uint8_t dimensions;
  PackSampler sampler;
};

// All stored rows in pack-table order.
std::span<const PackEntry> pack_table() noexcept;

// Row numbers of pack_table() ordered by name, bytewise as memcmp compares,
// a shorter prefix first. Fixed when the library is built.
std::span<const std::uint64_t> pack_name_index() noexcept;

namespace detail {

// A name as four big-endian words of eight bytes, zero-padded to 32 bytes, the
// longest a pack name may be. Comparing keys word by word orders names as
// bytewise comparison does, and a search step never leaves one flat array.
using NameKey = std::array<std::uint64_t, 4>;

constexpr std::size_t kLongestPackName = 32;

constexpr NameKey name_key(std::string_view name) noexcept {
  NameKey key{};
  const std::size_t bytes = name.size() < kLongestPackName ? name.size() : kLongestPackName;
  if (std::is_constant_evaluated()) {
    for (std::size_t i = 0; i < bytes; ++i) {
      key[i / 8] |= std::uint64_t{static_cast<unsigned char>(name[i])} << (56 - 8 * (i % 8));
    }
    return key;
  }
  // At run time: four word loads of a padded copy instead of 32 byte shifts.
  unsigned char padded[kLongestPackName] = {};
  if (bytes > 0) {
    std::memcpy(padded, name.data(), bytes);
  }
  for (std::size_t w = 0; w < key.size(); ++w) {
    std::uint64_t word;
    std::memcpy(&word, padded + 8 * w, sizeof word);
    key[w] = std::endian::native == std::endian::little ? __builtin_bswap64(word) : word;
  }
  return key;
}

// The key of every name of pack_name_index(), in index order.
std::span<const NameKey> pack_name_keys() noexcept;

}  // namespace detail

}  // namespace pipmoves

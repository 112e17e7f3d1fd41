#include <array>
#include <cstddef>
#include <stdexcept>
#include <string>

#include "name_key.hpp"
#include "pipmoves/catalogue.hpp"
#include "pipmoves/pack_table.hpp"
#include "pipmoves/procedural.hpp"

namespace pipmoves {
namespace {

using detail::NameKey;

// The procedural rows by name length, each with its key, so a name is
// compared only with the procedural names of its own length (at most three
// share one), and with the key it is searched by anyway.
constexpr std::size_t kLongestProcedural = 20;
constexpr std::size_t kMostOfOneLength = 3;

struct Candidate {
  NameKey key{};
  const DefaultPattern* row = nullptr;
};

struct SameLength {
  std::array<Candidate, kMostOfOneLength> candidates{};
  std::size_t count = 0;
};

constexpr std::array<SameLength, kLongestProcedural + 1> kProceduralByLength = [] {
  std::array<SameLength, kLongestProcedural + 1> buckets{};
  for (const DefaultPattern& row : kProceduralPatterns) {
    SameLength& bucket = buckets.at(row.name.size());
    bucket.candidates.at(bucket.count++) = {detail::name_key(row.name), &row};
  }
  return buckets;
}();

const DefaultPattern* find_procedural(std::size_t length, const NameKey& key) noexcept {
  if (length > kLongestProcedural) {
    return nullptr;
  }
  const SameLength& bucket = kProceduralByLength[length];
  for (std::size_t i = 0; i < bucket.count; ++i) {
    if (bucket.candidates[i].key == key) {
      return bucket.candidates[i].row;
    }
  }
  return nullptr;
}

// Lower bound over the name index: the first row whose name is not less than
// the key's, by halving over the flat array of name keys.
const DefaultPattern* find_stored(std::size_t length, const NameKey& key) noexcept {
  const std::span<const NameKey> keys = detail::pack_name_keys();
  const NameKey* base = keys.data();
  std::size_t count = keys.size();
  while (count > 1) {
    const std::size_t half = count / 2;
    if (detail::key_less(base[half - 1], key)) {
      base += half;
    }
    count -= half;
  }
  const std::size_t first = static_cast<std::size_t>(base - keys.data()) + (detail::key_less(*base, key) ? 1 : 0);
  if (first == keys.size() || keys[first] != key) {
    return nullptr;
  }
  const DefaultPattern& row = pack_table()[pack_name_index()[first]];
  return row.name.size() == length ? &row : nullptr;
}

}  // namespace

// Every default name fits a key, and no default name holds a NUL byte, so
// equal keys and equal lengths mean equal names.
const DefaultPattern* find_default(std::string_view name) noexcept {
  if (name.size() > detail::kLongestPackName) {
    return nullptr;
  }
  const NameKey key = detail::name_key(name);
  if (const DefaultPattern* row = find_procedural(name.size(), key)) {
    return row;
  }
  return find_stored(name.size(), key);
}

Offset3 sample(std::string_view name, int pip) {
  if (const DefaultPattern* row = find_default(name)) {
    return row->sampler(pip);
  }
  throw std::invalid_argument("Unknown pipmove: " + std::string(name));
}

}  // namespace pipmoves

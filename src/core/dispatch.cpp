#include <stdexcept>
#include <string>

#include "name_key.hpp"
#include "pipmoves/catalogue.hpp"
#include "pipmoves/pack_table.hpp"
#include "procedural_lookup.hpp"

namespace pipmoves {
namespace {

// Lower bound over the name index: the first row whose name is not less than
// `name`, by halving over the flat array of name keys. The halving step moves
// the base with a conditional move, not a branch, since which half holds a
// name is as good as random to the branch predictor.
const DefaultPattern* find_stored(std::string_view name) noexcept {
  if (name.size() > detail::kLongestPackName) {
    return nullptr;
  }
  const std::span<const detail::NameKey> keys = detail::pack_name_keys();
  const detail::NameKey key = detail::name_key(name);
  const detail::NameKey* base = keys.data();
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
  return row.name.size() == name.size() ? &row : nullptr;
}

}  // namespace

const DefaultPattern* find_default(std::string_view name) noexcept {
  if (const DefaultPattern* row = detail::find_procedural(name)) {
    return row;
  }
  return find_stored(name);
}

Offset3 sample(std::string_view name, int pip) {
  if (const DefaultPattern* row = find_default(name)) {
    return row->sampler(pip);
  }
  throw std::invalid_argument("Unknown pipmove: " + std::string(name));
}

}  // namespace pipmoves

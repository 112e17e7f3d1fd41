#pragma once

// The rows of a pack or of a family, found through the layout the generator
// wrote beside the pack table rather than through row numbers.

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "pack_layout.hpp"
#include "pipmoves/pack_table.hpp"

namespace pipmoves::testing {

inline const pack_layout::Pack& layout_pack(std::string_view name) {
  for (const pack_layout::Pack& pack : pack_layout::kPacks) {
    if (pack.name == name) {
      return pack;
    }
  }
  throw std::invalid_argument("no pack " + std::string(name));
}

inline const pack_layout::Family& layout_family(std::string_view label) {
  for (const pack_layout::Family& family : pack_layout::kFamilies) {
    if (family.label == label) {
      return family;
    }
  }
  throw std::invalid_argument("no family " + std::string(label));
}

inline std::span<const PackEntry> pack_rows(std::string_view pack) {
  const pack_layout::Pack& p = layout_pack(pack);
  return pack_table().subspan(p.first_row, p.rows);
}

}  // namespace pipmoves::testing

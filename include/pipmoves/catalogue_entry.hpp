#pragma once

#include <cstdint>
#include <string_view>

namespace pipmoves {

// Describes one pattern. The views borrow: default entries point at static
// text, entries of user patterns live only as long as their pattern.
struct CatalogueEntry {
  std::string_view name;
  std::string_view description;
  std::uint16_t period_pips = 0;
  // Number of leading axes in motion: 1 (x), 2 (x, y) or 3 (x, y, z).
  std::uint8_t dimensions = 0;
};

}  // namespace pipmoves

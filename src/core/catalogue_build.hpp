#pragma once

#include <vector>

#include "pipmoves/catalogue_entry.hpp"

namespace pipmoves::detail {

// The default catalogue's rows, freshly built: the procedural rows, then every
// pack row in table order. catalogue() keeps the one built on its first call.
std::vector<CatalogueEntry> build_catalogue();

}  // namespace pipmoves::detail

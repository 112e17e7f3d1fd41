#pragma once

#include <string_view>
#include <vector>

#include "pipmoves/catalogue_entry.hpp"
#include "pipmoves/default_pattern.hpp"
#include "pipmoves/offset3.hpp"

namespace pipmoves {

// Every default pattern: the fifteen procedural ones, then every pack row in
// pack-table order. Built on the first call, thread-safely; the same vector is
// returned by every later call and its views stay valid for the process.
const std::vector<CatalogueEntry>& catalogue();

// Evaluates the default pattern of exactly this name at pip. Throws
// std::invalid_argument "Unknown pipmove: <name>" for any other name.
Offset3 sample(std::string_view name, int pip);

// The default pattern of exactly this name, found as sample finds it, or
// nullptr. Resolve a name once and call its sampler for every pip.
const DefaultPattern* find_default(std::string_view name) noexcept;

}  // namespace pipmoves

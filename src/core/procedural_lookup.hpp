#pragma once

#include <string_view>

#include "pipmoves/default_pattern.hpp"

namespace pipmoves::detail {

// The procedural pattern of exactly this name, or nullptr.
const DefaultPattern* find_procedural(std::string_view name) noexcept;

}  // namespace pipmoves::detail

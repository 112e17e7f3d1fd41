#pragma once

#include <span>

#include "pipmoves/default_pattern.hpp"

namespace pipmoves {

// The fifteen procedural patterns in catalogue order, each with the pattern
// function of its name as sampler.
std::span<const DefaultPattern> procedural_patterns() noexcept;

}  // namespace pipmoves

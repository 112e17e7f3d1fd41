#pragma once

#include "pipmoves/catalogue_entry.hpp"
#include "pipmoves/offset3.hpp"

namespace pipmoves {

// Evaluates one pattern at any 32-bit pip; pure, never throws.
using PatternSampler = Offset3 (*)(int pip) noexcept;

// A default pattern: its catalogue row, then the function that samples it. The
// procedural and the stored patterns are rows of this one type, so slicing a
// row to its CatalogueEntry gives the catalogue row.
struct DefaultPattern : CatalogueEntry {
  PatternSampler sampler = nullptr;
};

}  // namespace pipmoves

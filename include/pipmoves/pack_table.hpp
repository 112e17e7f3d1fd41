#pragma once

// The stored default patterns.
//
// The build generates the pack table from the authoring sources in src/packs/:
// one constant array of rows, the packs one after another in a fixed order
// (initial, expansion, atlas, continuum, club, dancefloor), and within a pack
// family by family. The catalogue lists the rows in exactly this order.
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

#include <cstdint>
#include <span>

#include "pipmoves/default_pattern.hpp"

namespace pipmoves {

// A pack row is a default pattern like any other: name, description,
// period_pips and dimensions, then its sampler.
using PackEntry = DefaultPattern;
using PackSampler = PatternSampler;

// All stored rows in pack-table order.
std::span<const PackEntry> pack_table() noexcept;

// Row numbers of pack_table() ordered by name, bytewise as memcmp compares,
// a shorter prefix first. Fixed when the library is built.
std::span<const std::uint64_t> pack_name_index() noexcept;

}  // namespace pipmoves

#pragma once

#include <cstdint>
#include <span>

#include "pipmoves/offset3.hpp"
#include "pipmoves/play/crossfade.hpp"
#include "pipmoves/play/pattern_ref.hpp"
#include "pipmoves/play/pip_step.hpp"
#include "pipmoves/play/rows.hpp"

namespace pipmoves::play {

// Fills out[k] with the pattern at first_pip + k * step, the pips wrapping as
// 32-bit two's complement (pip_step.hpp). Each row is bit-identical to the
// sample call it replaces. Throws std::invalid_argument "Step must not be
// zero" or "Too many rows: at most 16777216" before writing anything.
void render(const PatternRef& pattern, std::int32_t first_pip, std::int32_t step, std::span<Offset3> out);
void render(const CrossFade& fade, std::int32_t first_pip, std::int32_t step, std::span<Offset3> out);

// The same into a new block of count rows; a negative count is refused too,
// and every refusal comes before the block is allocated.
Rows<Offset3> render(const PatternRef& pattern, std::int32_t first_pip, std::int64_t count, std::int32_t step = 1);
Rows<Offset3> render(const CrossFade& fade, std::int32_t first_pip, std::int64_t count, std::int32_t step = 1);

}  // namespace pipmoves::play

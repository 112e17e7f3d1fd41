#pragma once

#include <atomic>
#include <cstddef>

namespace pipmoves::bench {

// Counts every global allocation of the process, so a benchmark can report
// how many a call makes.
std::size_t allocations() noexcept;

}  // namespace pipmoves::bench

#pragma once

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstddef>

namespace pipmoves::bench {

// Counts every global allocation of the process, so a benchmark can report
// how many a call makes.
std::size_t allocations() noexcept;

// Runs call for every iteration and reports its allocations per call beside
// the time.
template <typename F>
void run_counting_allocations(benchmark::State& state, F&& call) {
  const std::size_t before = allocations();
  for (auto _ : state) {
    call();
  }
  state.counters["allocs_per_call"] =
      benchmark::Counter(static_cast<double>(allocations() - before), benchmark::Counter::kAvgIterations);
}

}  // namespace pipmoves::bench

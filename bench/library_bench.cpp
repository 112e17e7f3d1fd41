// What a user library adds to a sample: its own patterns are searched first,
// so a default name pays the whole search before falling through.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "allocation_counter.hpp"
#include "pipmoves/pattern_library.hpp"

namespace {

using pipmoves::Offset3;

// `count` patterns of 512 samples; the total stays within a library's limit.
pipmoves::PatternLibrary library_of(int count) {
  std::vector<pipmoves::SampledPattern> patterns;
  const std::size_t samples = count > 1 ? 1024 : 512;
  for (int i = 0; i < count; ++i) {
    patterns.emplace_back("own_" + std::to_string(i), "bench", std::vector<Offset3>(samples, Offset3{0.5, 0.0, 0.0}));
  }
  return pipmoves::PatternLibrary(std::move(patterns));
}

void library_sample(benchmark::State& state, int count, std::string name) {
  const pipmoves::PatternLibrary library = library_of(count);
  int pip = 0;
  const std::size_t before = pipmoves::bench::allocations();
  for (auto _ : state) {
    benchmark::DoNotOptimize(library.sample(name, pip));
    pip += 7;
  }
  state.counters["allocs_per_call"] = benchmark::Counter(
      static_cast<double>(pipmoves::bench::allocations() - before), benchmark::Counter::kAvgIterations);
}
BENCHMARK_CAPTURE(library_sample, one_pattern_own_name, 1, std::string("own_0"));
BENCHMARK_CAPTURE(library_sample, one_pattern_default_name, 1, std::string("lfo_breathe"));
BENCHMARK_CAPTURE(library_sample, patterns_1024_last_own_name, 1024, std::string("own_1023"));
BENCHMARK_CAPTURE(library_sample, patterns_1024_default_name, 1024, std::string("lfo_breathe"));

}  // namespace

// What a stored or procedural sample costs natively, against the floor: one
// Offset3 read from a constant table with a masked index.

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <stdexcept>
#include <string>
#include <string_view>

#include "../src/core/catalogue_build.hpp"
#include "allocation_counter.hpp"
#include "pipmoves/catalogue.hpp"
#include "pipmoves/pack_samplers.hpp"
#include "pipmoves/pack_table.hpp"
#include "pipmoves/procedural.hpp"

namespace {

using pipmoves::Offset3;

const std::array<Offset3, 512> kFloorTable = [] {
  std::array<Offset3, 512> table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    table[i] = {std::sin(0.01 * static_cast<double>(i)), 0.5, 0.0};
  }
  return table;
}();

// Reports allocations per call beside the time.
template <typename F>
void run(benchmark::State& state, F&& call) {
  int pip = 0;
  const std::size_t before = pipmoves::bench::allocations();
  for (auto _ : state) {
    benchmark::DoNotOptimize(call(pip));
    pip += 7;
  }
  state.counters["allocs_per_call"] = benchmark::Counter(
      static_cast<double>(pipmoves::bench::allocations() - before), benchmark::Counter::kAvgIterations);
}

void floor_table_read(benchmark::State& state) {
  run(state, [](int pip) { return kFloorTable[static_cast<unsigned>(pip) & 511u]; });
}
BENCHMARK(floor_table_read);

void sampler_power_of_two(benchmark::State& state) { run(state, pipmoves_initial::sample_lfo_morph); }
BENCHMARK(sampler_power_of_two);

void sampler_remainder(benchmark::State& state) { run(state, pipmoves_expansion::sample_rhythm_group_223); }
BENCHMARK(sampler_remainder);

std::string indexed_name(double where) {
  const auto rows = pipmoves::pack_table();
  const auto index = pipmoves::pack_name_index();
  return std::string(rows[index[static_cast<std::size_t>(where * static_cast<double>(index.size() - 1))]].name);
}

void sample_by_name(benchmark::State& state, std::string name) {
  run(state, [&](int pip) { return pipmoves::sample(name, pip); });
}
BENCHMARK_CAPTURE(sample_by_name, procedural_bounce, std::string("bounce"));
BENCHMARK_CAPTURE(sample_by_name, pack_first_in_index, indexed_name(0.0));
BENCHMARK_CAPTURE(sample_by_name, pack_middle_of_index, indexed_name(0.5));
BENCHMARK_CAPTURE(sample_by_name, pack_last_in_index, indexed_name(1.0));

void sample_unknown_name(benchmark::State& state) {
  run(state, [](int pip) {
    try {
      return pipmoves::sample("no_such_pattern", pip);
    } catch (const std::invalid_argument&) {
      return Offset3{};
    }
  });
}
BENCHMARK(sample_unknown_name);

// One benchmark per procedural pattern, named after it.
const bool kProceduralRegistered = [] {
  for (const pipmoves::DefaultPattern& pattern : pipmoves::procedural_patterns()) {
    benchmark::RegisterBenchmark("procedural/" + std::string(pattern.name),
                                 [sampler = pattern.sampler](benchmark::State& state) { run(state, sampler); });
  }
  return true;
}();

void build_default_catalogue(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(pipmoves::detail::build_catalogue());
  }
}
BENCHMARK(build_default_catalogue);

}  // namespace

BENCHMARK_MAIN();

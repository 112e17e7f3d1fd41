// What playback costs natively: the clock's pip_at, and whole frames and
// fixture spreads per sample, against the same floor as single samples.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "allocation_counter.hpp"
#include "pipmoves/play/clock.hpp"
#include "pipmoves/play/render.hpp"
#include "pipmoves/play/spread.hpp"

namespace {

using pipmoves::Offset3;
using pipmoves::play::Clock;
using pipmoves::play::PatternRef;

void play_pip_at(benchmark::State& state, Clock clock) {
  double seconds = 0.0;
  pipmoves::bench::run_counting_allocations(state, [&] {
    benchmark::DoNotOptimize(clock.pip_at(seconds));
    seconds += 0.0013;
  });
}
BENCHMARK_CAPTURE(play_pip_at, one_tempo, Clock(124.0, 0.25));
BENCHMARK_CAPTURE(play_pip_at, sixteen_changes, [] {
  std::vector<pipmoves::play::TempoChange> changes;
  for (int i = 1; i <= 16; ++i) {
    changes.push_back({i * 0.125, 100.0 + i});
  }
  return Clock(124.0, 0.25, changes);
}());

// Time per sample: items are samples.
void play_render_per_sample(benchmark::State& state, const char* name) {
  const PatternRef pattern = PatternRef::named(name);
  std::vector<Offset3> frames(4096);
  std::int32_t first = 0;
  pipmoves::bench::run_counting_allocations(state, [&] {
    pipmoves::play::render(pattern, first, 1, frames);
    benchmark::DoNotOptimize(frames.data());
    first += 4096;
  });
  state.SetItemsProcessed(state.iterations() * 4096);
}
BENCHMARK_CAPTURE(play_render_per_sample, stored_lfo_breathe, "lfo_breathe");
BENCHMARK_CAPTURE(play_render_per_sample, procedural_helix, "helix");

void play_spread_64_fixtures(benchmark::State& state) {
  const PatternRef pattern = PatternRef::named("lfo_breathe");
  std::vector<Offset3> fixtures(64);
  std::int32_t pip = 0;
  pipmoves::bench::run_counting_allocations(state, [&] {
    pipmoves::play::spread(pattern, pip++, {}, fixtures);
    benchmark::DoNotOptimize(fixtures.data());
  });
}
BENCHMARK(play_spread_64_fixtures);

}  // namespace

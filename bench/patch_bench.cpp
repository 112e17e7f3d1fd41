// What a patch costs natively per frame: 512 heads over 8 universes, each
// slewed, limited and written as 16-bit pan and tilt beside held channels.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "allocation_counter.hpp"
#include "pipmoves/play/patch.hpp"
#include "pipmoves/play/patch_player.hpp"
#include "pipmoves/play/spread.hpp"

namespace {

using pipmoves::Offset3;
using pipmoves::play::Patch;
using pipmoves::play::PatchPlayer;
using pipmoves::play::PatternRef;

// 64 heads of 8 channels on each of 8 universes, alternately hung, all with a
// speed limit a fast pattern presses against.
Patch big_rig() {
  std::string text = R"({"fixtures": [)";
  for (int i = 0; i < 512; ++i) {
    text += (i == 0 ? "" : ", ") + std::string(R"({"name": "head_)") + std::to_string(i) + R"(", "universe": )" +
            std::to_string(1 + i / 64) + R"(, "address": )" + std::to_string(1 + 8 * (i % 64)) +
            R"(, "mounting": ")" + (i % 2 == 0 ? "standing" : "hung") +
            R"(", "tilt_limits": [20, 250], "max_speed": 400, "position": [)" + std::to_string(i % 64) +
            R"(, 0, 5], "layout": {"channels": ["pan", "pan_fine", "tilt", "tilt_fine", 0, 255, 0, 128],
            "pan_range": 540, "tilt_range": 270}})";
  }
  return Patch::from_json(text + "]}");
}

// One frame into the caller's universes, from positions already spread.
void patch_frame_512_fixtures_8_universes(benchmark::State& state) {
  const Patch patch = big_rig();
  PatchPlayer player(patch);
  const PatternRef circle = PatternRef::named("circle");
  std::vector<std::vector<Offset3>> frames(64, std::vector<Offset3>(patch.size()));
  for (std::size_t k = 0; k < frames.size(); ++k) {
    pipmoves::play::spread(circle, static_cast<std::int32_t>(4 * k), {}, frames[k]);
  }
  std::vector<std::uint8_t> universes(player.frame_bytes());
  std::size_t k = 0;
  pipmoves::bench::run_counting_allocations(state, [&] {
    player.frame(frames[k++ % frames.size()], 1.0 / 44.0, universes);
    benchmark::DoNotOptimize(universes.data());
  });
}
BENCHMARK(patch_frame_512_fixtures_8_universes);

// The same with the spread of the frame's positions.
void patch_spread_and_frame_512_fixtures(benchmark::State& state) {
  const Patch patch = big_rig();
  PatchPlayer player(patch);
  const PatternRef circle = PatternRef::named("circle");
  std::vector<Offset3> positions(patch.size());
  std::vector<std::uint8_t> universes(player.frame_bytes());
  std::int32_t pip = 0;
  pipmoves::bench::run_counting_allocations(state, [&] {
    pipmoves::play::spread(circle, pip, {}, positions);
    player.frame(positions, 1.0 / 44.0, universes);
    benchmark::DoNotOptimize(universes.data());
    pip += 4;
  });
}
BENCHMARK(patch_spread_and_frame_512_fixtures);

}  // namespace

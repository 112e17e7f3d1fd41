// Every pattern of the catalogue, played on a rig whose heads may turn 300
// degrees a second, at 175 BPM and 44 frames a second: no head is asked to
// move faster, none leaves its soft limits, and no 16-bit value wraps.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "pipmoves/catalogue.hpp"
#include "pipmoves/play/clock.hpp"
#include "pipmoves/play/patch.hpp"
#include "pipmoves/play/patch_player.hpp"
#include "pipmoves/play/spread.hpp"
#include "rig_support.hpp"

namespace pipmoves::play {
namespace {

constexpr double kMaxSpeed = 300.0;
constexpr double kBpm = 175.0;
constexpr double kRate = 44.0;

// Eight heads of four kinds (16-bit, 8-bit, 24-bit, and an inline layout of a
// 16-bit pan and an 8-bit tilt), standing and hung, inverted and swapped,
// with limits inside their ranges and reaches that press against them.
const char* const kRig = R"({"fixtures": [
  {"name": "sharpy_1", "universe": 1, "address": 1, "ofl": "clay-paky/sharpy.json", "mode": "Standard",
   "home_pan": 270, "home_tilt": 135, "reach_pan": 90, "reach_tilt": 45,
   "pan_limits": [0, 540], "tilt_limits": [20, 250], "max_speed": 300, "position": [-3.0, 0.0, 4.0]},
  {"name": "sharpy_2", "universe": 1, "address": 17, "ofl": "clay-paky/sharpy.json", "mode": "Standard",
   "mounting": "hung", "pan_limits": [100, 440], "tilt_limits": [30, 200], "max_speed": 300},
  {"name": "aura_1", "universe": 1, "address": 33, "ofl": "martin/mac-aura.json", "mode": "Standard",
   "invert_pan": true, "swap_pan_tilt": true, "reach_pan": 400, "reach_tilt": 200, "max_speed": 300},
  {"name": "aura_2", "universe": 2, "address": 1, "ofl": "martin/mac-aura.json", "mode": "Standard",
   "invert_tilt": true, "tilt_limits": [0, 180], "home_tilt": 90, "max_speed": 300},
  {"name": "pocket_1", "universe": 2, "address": 15, "ofl": "american-dj/inno-pocket-spot.json", "mode": "9-channel",
   "reach_pan": 540, "max_speed": 300},
  {"name": "pocket_2", "universe": 2, "address": 24, "ofl": "american-dj/inno-pocket-spot.json", "mode": "9-channel",
   "mounting": "hung", "swap_pan_tilt": true, "pan_limits": [200, 340], "max_speed": 300},
  {"name": "fader", "universe": 3, "address": 507, "ofl": "generic/pan-tilt.json", "mode": "24 bit", "max_speed": 300},
  {"name": "custom", "universe": 3, "address": 1, "max_speed": 300, "tilt_limits": [10, 170],
   "layout": {"channels": [255, "pan", "pan_fine", "tilt", 7], "pan_range": 360, "tilt_range": 180}}
]})";

struct Axis {
  const AxisChannel* channel;
  std::size_t universe;
  int address;
  double range;
  DegreeLimits limits;
};

// The value a head's bytes carry, coarse first.
std::uint32_t carried(const std::vector<DmxUniverse>& frame, const Axis& axis) {
  std::uint32_t value = 0;
  for (const std::uint16_t offset : axis.channel->offsets) {
    value = value << 8 | frame[axis.universe].slots[static_cast<std::size_t>(axis.address - 1 + offset)];
  }
  return value;
}

std::uint32_t dmx_top(const Axis& axis) { return (std::uint32_t{1} << (8 * axis.channel->offsets.size())) - 1; }

// The value an angle is sent as, halves up.
std::uint32_t value_of(double degrees, const Axis& axis) {
  return static_cast<std::uint32_t>(std::floor(degrees / axis.range * dmx_top(axis) + 0.5));
}

TEST(PatchSafety, NoPatternOfTheCatalogueMovesAHeadFasterThanItsLimitOrOutOfItsLimits) {
  const Patch patch = Patch::from_json(kRig, testing::ofl_dir());
  std::vector<Axis> axes;
  for (const PatchedFixture& f : patch.fixtures()) {
    const std::size_t u = static_cast<std::size_t>(
        std::find(patch.universes().begin(), patch.universes().end(), f.universe) - patch.universes().begin());
    for (const AxisChannel& head : f.layout.pan()) {
      axes.push_back({&head, u, f.address, f.layout.pan_range_degrees(), f.calibration.pan_limits});
    }
    for (const AxisChannel& head : f.layout.tilt()) {
      axes.push_back({&head, u, f.address, f.layout.tilt_range_degrees(), f.calibration.tilt_limits});
    }
  }
  ASSERT_EQ(16u, axes.size());
  const Clock clock(kBpm);
  const double interval = 1.0 / kRate;
  const double pips_per_frame = kBpm * 64.0 / 60.0 / kRate;
  std::vector<Offset3> positions(patch.size());
  std::vector<DmxUniverse> frame(patch.universes().size());
  const auto bytes = std::span(reinterpret_cast<std::uint8_t*>(frame.data()), frame.size() * sizeof(DmxUniverse));
  std::size_t frames_checked = 0;
  for (const CatalogueEntry& row : catalogue()) {
    const PatternRef pattern = PatternRef::named(row.name);
    PatchPlayer player(patch);
    std::vector<PanTilt> before(player.angles().begin(), player.angles().end());
    std::vector<std::uint32_t> sent_before;
    // A second of slewing out from home, then a whole period of the pattern.
    const auto frames = static_cast<std::int64_t>(std::ceil(row.period_pips / pips_per_frame)) + 44;
    for (std::int64_t k = 0; k < frames; ++k) {
      spread(pattern, clock.pip_at(static_cast<double>(k) / kRate), {}, positions);
      player.frame(positions, interval, bytes);
      const std::span<const PanTilt> now = player.angles();
      for (std::size_t i = 0; i < now.size(); ++i) {
        const Calibration& c = patch.fixtures()[i].calibration;
        ASSERT_LE(std::abs(now[i].pan - before[i].pan), kMaxSpeed * interval + 1e-9) << row.name << " frame " << k;
        ASSERT_LE(std::abs(now[i].tilt - before[i].tilt), kMaxSpeed * interval + 1e-9) << row.name << " frame " << k;
        ASSERT_TRUE(now[i].pan >= c.pan_limits.min && now[i].pan <= c.pan_limits.max) << row.name << " frame " << k;
        ASSERT_TRUE(now[i].tilt >= c.tilt_limits.min && now[i].tilt <= c.tilt_limits.max) << row.name << " frame " << k;
      }
      before.assign(now.begin(), now.end());
      // What the wire carries: within the limits' own values, and a step of at
      // most the limit's worth of values plus one for rounding, so never a wrap.
      for (std::size_t a = 0; a < axes.size(); ++a) {
        const Axis& axis = axes[a];
        const std::uint32_t value = carried(frame, axis);
        ASSERT_GE(value, value_of(axis.limits.min, axis)) << row.name << " frame " << k << " axis " << a;
        ASSERT_LE(value, value_of(axis.limits.max, axis)) << row.name << " frame " << k << " axis " << a;
        if (!sent_before.empty()) {
          const double step = std::abs(static_cast<double>(value) - static_cast<double>(sent_before[a]));
          ASSERT_LE(step, kMaxSpeed * interval / axis.range * dmx_top(axis) + 1.0) << row.name << " frame " << k;
        }
      }
      sent_before.clear();
      for (const Axis& axis : axes) {
        sent_before.push_back(carried(frame, axis));
      }
      ++frames_checked;
    }
  }
  EXPECT_GT(frames_checked, 240000u);
}

}  // namespace
}  // namespace pipmoves::play

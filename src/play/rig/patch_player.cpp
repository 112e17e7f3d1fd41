#include "pipmoves/play/patch_player.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "aim.hpp"

namespace pipmoves::play {
namespace {

// A step from `from` towards `to` of at most `step`: onto `to` when it is
// nearer, never past it.
double slewed(double from, double to, double step) noexcept {
  const double gap = to - from;
  if (std::abs(gap) <= step) {
    return to;
  }
  return gap > 0.0 ? from + step : from - step;
}

}  // namespace

PatchPlayer::PatchPlayer(Patch patch) : patch_(std::move(patch)), image_(patch_.universes().size()) {
  const std::vector<int>& universes = patch_.universes();
  for (const PatchedFixture& fixture : patch_.fixtures()) {
    Head head;
    head.universe = static_cast<std::size_t>(
        std::lower_bound(universes.begin(), universes.end(), fixture.universe) - universes.begin());
    head.pan_range = fixture.layout.pan_range_degrees();
    head.tilt_range = fixture.layout.tilt_range_degrees();
    head.max_speed = fixture.calibration.max_speed.value_or(0.0);
    const auto carriers = [&fixture](const std::vector<AxisChannel>& channels) {
      std::vector<Carrier> out;
      for (const AxisChannel& channel : channels) {
        Carrier carrier;
        carrier.bytes = static_cast<std::uint8_t>(channel.offsets.size());
        for (std::size_t b = 0; b < channel.offsets.size(); ++b) {
          carrier.slots[b] = static_cast<std::uint16_t>(fixture.address - 1 + channel.offsets[b]);
        }
        out.push_back(carrier);
      }
      return out;
    };
    head.pan = carriers(fixture.layout.pan());
    head.tilt = carriers(fixture.layout.tilt());
    // The slots that carry no pan or tilt never change.
    std::uint8_t* slots = image_[head.universe].slots.data() + (fixture.address - 1);
    for (std::size_t i = 0; i < fixture.layout.footprint(); ++i) {
      slots[i] = fixture.layout.slots()[i].value;
    }
    heads_.push_back(std::move(head));
  }
  reset();
}

void PatchPlayer::reset() {
  now_.clear();
  for (const PatchedFixture& fixture : patch_.fixtures()) {
    now_.push_back({fixture.calibration.home_pan, fixture.calibration.home_tilt});
  }
  for (std::size_t i = 0; i < heads_.size(); ++i) {
    write(i);
  }
}

void PatchPlayer::advance(std::span<const Offset3> positions, double interval_seconds) {
  rig::check_positions(positions, heads_.size());
  if (!(std::isfinite(interval_seconds) && interval_seconds >= 0.0)) {
    throw std::invalid_argument("Frame interval must be finite and not negative");
  }
  const std::vector<PatchedFixture>& fixtures = patch_.fixtures();
  for (std::size_t i = 0; i < heads_.size(); ++i) {
    const rig::Aimer aimer(fixtures[i].calibration);
    PanTilt to = aimer.aim(positions[i]);
    if (heads_[i].max_speed > 0.0) {
      const double step = heads_[i].max_speed * interval_seconds;
      to = {slewed(now_[i].pan, to.pan, step), slewed(now_[i].tilt, to.tilt, step)};
    }
    now_[i] = aimer.within_limits(to);
    write(i);
  }
}

void PatchPlayer::write(std::size_t fixture) {
  const Head& head = heads_[fixture];
  std::uint8_t* slots = image_[head.universe].slots.data();
  const auto put = [slots](const std::vector<Carrier>& carriers, double degrees, double range) {
    for (const Carrier& carrier : carriers) {
      const std::uint32_t value = rig::dmx_of(degrees, range, carrier.bytes);
      for (int b = 0; b < carrier.bytes; ++b) {
        const int shift = 8 * (carrier.bytes - 1 - b);
        slots[carrier.slots[static_cast<std::size_t>(b)]] = static_cast<std::uint8_t>(value >> shift);
      }
    }
  };
  put(head.pan, now_[fixture].pan, head.pan_range);
  put(head.tilt, now_[fixture].tilt, head.tilt_range);
}

void PatchPlayer::frame(std::span<const Offset3> positions, double interval_seconds, std::span<std::uint8_t> out) {
  if (out.size() != frame_bytes()) {
    throw std::invalid_argument("Output must hold 512 bytes for each of the patch's " +
                                std::to_string(image_.size()) + " universes");
  }
  advance(positions, interval_seconds);
  std::memcpy(out.data(), image_.data(), out.size());
}

Rows<DmxUniverse> PatchPlayer::frame(std::span<const Offset3> positions, double interval_seconds) {
  Rows<DmxUniverse> rows(static_cast<std::int64_t>(image_.size()));
  advance(positions, interval_seconds);
  std::memcpy(rows.rows().data(), image_.data(), frame_bytes());
  return rows;
}

}  // namespace pipmoves::play

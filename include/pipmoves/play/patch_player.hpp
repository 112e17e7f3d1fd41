#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "pipmoves/offset3.hpp"
#include "pipmoves/play/fixture.hpp"
#include "pipmoves/play/patch.hpp"
#include "pipmoves/play/rows.hpp"

namespace pipmoves::play {

// The 512 slots of one DMX universe, slot 1 first.
struct DmxUniverse {
  std::array<std::uint8_t, 512> slots;
};

// Plays a patch frame by frame: a pattern's positions become every
// universe's 512 slots, with each head moving no faster than its max_speed
// from where the frame before left it. It starts with every head at home.
// Per frame and fixture: the calibrated aim (Calibration), a step towards it
// of at most max_speed * interval degrees on each axis, landing on the aim
// exactly when it is nearer, never past it; then the limits; then the pan and
// tilt channels of every head. Every other slot holds what its layout gives
// (ChannelSlot::value), and slots no fixture uses hold 0.
class PatchPlayer {
 public:
  explicit PatchPlayer(Patch patch);

  const Patch& patch() const noexcept { return patch_; }
  // The bytes of one frame: 512 for each of the patch's universes.
  std::size_t frame_bytes() const noexcept { return image_.size() * sizeof(DmxUniverse); }

  // Every head back at home, as when the player was made.
  void reset();

  // One frame: positions one per fixture in patch order, the frame's interval
  // since the last in seconds, and out for 512 slots of each universe in the
  // order of Patch::universes(). Throws std::invalid_argument, before
  // anything changes, as Patch::angles does for the positions, or "Frame
  // interval must be finite and not negative", or "Output must hold 512
  // bytes for each of the patch's N universes".
  void frame(std::span<const Offset3> positions, double interval_seconds, std::span<std::uint8_t> out);
  Rows<DmxUniverse> frame(std::span<const Offset3> positions, double interval_seconds);

  // Where each head points after the last frame (at home before the first),
  // in degrees after slew and limits.
  std::span<const PanTilt> angles() const noexcept { return now_; }

 private:
  // One head's bytes within its universe's image, coarse first.
  struct Carrier {
    std::array<std::uint16_t, ChannelLayout::kMaxBytes> slots{};
    std::uint8_t bytes = 0;
  };
  struct Head {
    std::size_t universe = 0;
    double pan_range = 0.0;
    double tilt_range = 0.0;
    double max_speed = 0.0;  // 0 for no limit
    std::vector<Carrier> pan;
    std::vector<Carrier> tilt;
  };

  void advance(std::span<const Offset3> positions, double interval_seconds);
  void write(std::size_t fixture);

  Patch patch_;
  std::vector<Head> heads_;
  std::vector<PanTilt> now_;
  std::vector<DmxUniverse> image_;
};

}  // namespace pipmoves::play

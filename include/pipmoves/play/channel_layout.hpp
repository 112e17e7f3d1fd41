#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pipmoves::play {

// What one DMX slot of a fixture carries.
enum class SlotRole : std::uint8_t {
  pan,          // a byte of the pan value
  tilt,         // a byte of the tilt value
  speed,        // the pan/tilt speed channel, held at its fastest
  held,         // any other channel, held at its default value
  maintenance,  // a channel whose default would reset the fixture or switch its lamp: held at 0
  unused,       // a slot the mode leaves empty: 0
};

// One slot of a fixture's footprint.
struct ChannelSlot {
  std::string name;  // the channel as its profile names it; empty for an unused slot
  SlotRole role = SlotRole::held;
  // What the slot sends unless it carries pan or tilt.
  std::uint8_t value = 0;
  // For pan and tilt: which byte of the value, 0 the coarse, 1 the fine, 2 the
  // finer still; and which of the fixture's heads (0 for a single head), for
  // a fixture of several heads that all follow its pan and tilt.
  std::uint8_t byte = 0;
  std::uint8_t head = 0;
};

// Where one head's pan or tilt goes: the offsets of its bytes within the
// footprint, coarse first. One byte carries round(degrees / range * 255), two
// round(degrees / range * 65535), three round(degrees / range * 16777215).
struct AxisChannel {
  std::vector<std::uint16_t> offsets;
};

// The DMX slots of one kind of fixture in one mode, from its first address on,
// and the travel of its pan and tilt in degrees. Degrees count from the end of
// each axis that DMX value 0 reaches. Immutable once built.
class ChannelLayout {
 public:
  static constexpr std::size_t kMaxFootprint = 512;
  static constexpr int kMaxBytes = 3;

  // Throws std::invalid_argument "<source>: ..." when:
  // - the footprint is empty or longer than 512 slots;
  // - a range is not finite and positive;
  // - there is no pan or no tilt slot, or a head's bytes are not 0, 1 ... in
  //   full, once each, at most three, or its heads are not numbered 0, 1 ...
  ChannelLayout(std::string source, double pan_range_degrees, double tilt_range_degrees,
                std::vector<ChannelSlot> slots);

  // Where the layout comes from, for messages: "maker/fixture.json, mode Name" or "inline".
  const std::string& source() const noexcept { return source_; }
  double pan_range_degrees() const noexcept { return pan_range_; }
  double tilt_range_degrees() const noexcept { return tilt_range_; }
  const std::vector<ChannelSlot>& slots() const noexcept { return slots_; }
  std::size_t footprint() const noexcept { return slots_.size(); }

  // One entry a head, in head order.
  const std::vector<AxisChannel>& pan() const noexcept { return pan_; }
  const std::vector<AxisChannel>& tilt() const noexcept { return tilt_; }

 private:
  std::string source_;
  double pan_range_;
  double tilt_range_;
  std::vector<ChannelSlot> slots_;
  std::vector<AxisChannel> pan_;
  std::vector<AxisChannel> tilt_;
};

}  // namespace pipmoves::play

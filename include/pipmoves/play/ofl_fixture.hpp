#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pipmoves/play/channel_layout.hpp"

namespace pipmoves::play {

// One mode of a fixture definition: the layout the mapping drives, or why it
// cannot drive this mode.
struct OflMode {
  std::string name;
  std::string short_name;  // the name when the file gives none
  std::optional<ChannelLayout> layout;
  std::string refusal;  // empty when there is a layout
};

// A fixture definition of the Open Fixture Library (maker/fixture.json), read
// as it stands. Each mode's channel list is resolved (fine channels, switching
// channels at the value their switch is held at, template channels repeated
// for the pixels of a fixture of several beams) into a ChannelLayout:
// - pan and tilt are the channels of Pan and Tilt capabilities, 8-bit, 16-bit
//   or 24-bit as the mode lists their fine channels, every pan channel of a
//   fixture of several heads following one pan (and tilt likewise);
// - their ranges in degrees come from the mode's physical.focus (panMax,
//   tiltMax), else the fixture's, else the capabilities' angle, angleStart and
//   angleEnd;
// - a channel mostly of PanTiltSpeed capabilities is held at its fastest
//   value (the lowest such value where several are as fast);
// - every other channel at its defaultValue (0 without one), or at 0 where
//   that value is a Maintenance capability (a reset, the lamp switched).
class OflFixture {
 public:
  // The largest published definitions are about 100 KiB.
  static constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t{1} << 20;
  static constexpr int kMaxDepth = 32;
  static constexpr std::size_t kMaxElements = 1 << 18;

  // Throws std::invalid_argument "<file>: ..." when the file cannot be read,
  // is over a limit, is no fixture definition, or none of its modes can be
  // driven (each mode named with what it lacks).
  explicit OflFixture(const std::filesystem::path& file);

  const std::filesystem::path& file() const noexcept { return file_; }
  const std::string& name() const noexcept { return name_; }
  // In the file's order.
  const std::vector<OflMode>& modes() const noexcept { return modes_; }

  // A mode by its name, or else its short name. Throws std::invalid_argument
  // "<file> has no mode '<mode>' (its modes: ...)" or "<file>: mode '<mode>':
  // <what it lacks>".
  const ChannelLayout& layout(std::string_view mode) const;

 private:
  std::filesystem::path file_;
  std::string name_;
  std::vector<OflMode> modes_;
};

}  // namespace pipmoves::play

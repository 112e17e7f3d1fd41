#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "artnet_sender.hpp"
#include "options.hpp"
#include "pipmoves/offset3.hpp"
#include "pipmoves/play/patch.hpp"
#include "pipmoves/play/patch_player.hpp"
#include "sacn_sender.hpp"

namespace pipmoves::play::stream {

// A patch played to its rig: each frame's positions become every universe's
// slots, sent as sACN, Art-Net or both.
class RigOutput {
 public:
  // Throws std::invalid_argument for a patch that cannot be read or that
  // the outputs cannot carry, std::runtime_error for an address or
  // interface that cannot be used.
  RigOutput(Patch patch, const RigOptions& options);

  const Patch& patch() const noexcept { return player_.patch(); }

  // The frame shown `shown` seconds into the stream: the heads move from the
  // last frame's place by what that much time allows (from home before the
  // first). now: seconds on the stream's steady clock. Returns the packets
  // that could not be sent.
  std::size_t send(std::span<const Offset3> positions, double shown, double now);

  // Between frames: re-sends what no frame has refreshed for a while.
  std::size_t keep_alive(double now);

  // Ends the sACN streams; sends nothing afterwards.
  void terminate();

  std::string last_error() const;

 private:
  PatchPlayer player_;
  std::vector<std::uint8_t> frame_;
  double last_shown_ = 0.0;
  std::optional<out::SacnSender> sacn_;
  std::optional<out::ArtnetSender> artnet_;
  std::string last_error_;
};

// The CID of a patch's sACN source: one for each patch file on each machine,
// kept across runs and edits of the file, so consoles that pin a source see
// the same one after every tweak of a calibration.
out::Cid cid_of_patch(const Patch& patch);

}  // namespace pipmoves::play::stream

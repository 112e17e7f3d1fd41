#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>

#include "beat_source.hpp"
#include "osc_sender.hpp"
#include "pipmoves/play/show.hpp"
#include "rig_output.hpp"

namespace pipmoves::play::stream {

struct StreamPace {
  double frame_rate = 44.0;
  std::optional<std::int64_t> frames;  // without a count, until stopped
  std::size_t fixtures = 1;
};

// Plays the show frame by frame from start: frame k is due k / rate seconds
// after it and shows the position the beats give for that moment, whenever it is
// actually sent, so frames are exact however the machine is loaded. A stream
// that falls more than a frame behind skips to the frame now due rather than
// sending a burst. Returns the frames sent; stops between frames once stop is
// set. Warns on log once if messages cannot be sent, and keeps playing.
// With a rig, each frame also goes to it, and between frames it is kept alive.
std::int64_t play_stream(const Show& show, BeatSource& beats, OscSender& sender, const StreamPace& pace,
                         std::chrono::steady_clock::time_point start, const std::atomic<bool>& stop,
                         std::ostream& log, RigOutput* rig = nullptr);

}  // namespace pipmoves::play::stream

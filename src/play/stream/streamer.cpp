#include "streamer.hpp"

#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "pipmoves/play/pip_step.hpp"

namespace pipmoves::play::stream {

std::int64_t play_stream(const Show& show, BeatSource& beats, OscSender& sender, const StreamPace& pace,
                         std::chrono::steady_clock::time_point start, const std::atomic<bool>& stop,
                         std::ostream& log) {
  using Clock = std::chrono::steady_clock;
  const auto due = [&](std::int64_t frame) {
    return start + std::chrono::duration_cast<Clock::duration>(
                       std::chrono::duration<double>(static_cast<double>(frame) / pace.frame_rate));
  };
  std::vector<Offset3> frame(pace.fixtures);
  std::int64_t sent = 0;
  bool warned = false;
  for (std::int64_t k = 0; !pace.frames || sent < *pace.frames; ++k) {
    std::this_thread::sleep_until(due(k));
    if (stop.load()) {
      break;
    }
    const double late = std::chrono::duration<double>(Clock::now() - due(k)).count();
    if (late * pace.frame_rate > 1.0) {
      k += static_cast<std::int64_t>(late * pace.frame_rate);
    }
    const double seconds = static_cast<double>(k) / pace.frame_rate;
    const auto position = static_cast<std::int64_t>(std::floor(beats.position_at(seconds)));
    show.frame(position, frame);
    if (sender.send(pip_of_position(position), frame) > 0 && !warned) {
      log << "pipmoves-play: warning: cannot send: " << sender.last_error() << "; still playing\n";
      warned = true;
    }
    ++sent;
  }
  return sent;
}

}  // namespace pipmoves::play::stream

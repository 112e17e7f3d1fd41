#include "streamer.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "pipmoves/play/pip_step.hpp"

namespace pipmoves::play::stream {
namespace {

using Clock = std::chrono::steady_clock;

// Sleeps in short slices: a signal handler can only set the flag, and the
// signal may land on another thread, so nothing else would cut a long wait
// short. Returns false once stop is set.
bool wait_until(Clock::time_point moment, const std::atomic<bool>& stop) {
  constexpr Clock::duration kSlice = std::chrono::milliseconds(10);
  while (!stop.load()) {
    const auto now = Clock::now();
    if (now >= moment) {
      return true;
    }
    std::this_thread::sleep_for(std::min(moment - now, kSlice));
  }
  return false;
}

}  // namespace

StreamTally play_stream(const Show& show, BeatSource& beats, OscSender& sender, const StreamPace& pace,
                        std::chrono::steady_clock::time_point start, const std::atomic<bool>& stop,
                        std::ostream& log) {
  const auto due = [&](std::int64_t frame) {
    return start + std::chrono::duration_cast<Clock::duration>(
                       std::chrono::duration<double>(static_cast<double>(frame) / pace.frame_rate));
  };
  std::vector<Offset3> frame(pace.fixtures);
  StreamTally tally;
  for (std::int64_t k = 0; !pace.frames || tally.frames < *pace.frames; ++k) {
    if (!wait_until(due(k), stop)) {
      break;
    }
    const double late = std::chrono::duration<double>(Clock::now() - due(k)).count();
    if (late * pace.frame_rate > 1.0) {
      k += static_cast<std::int64_t>(late * pace.frame_rate);
    }
    const double seconds = static_cast<double>(k) / pace.frame_rate;
    const auto position = static_cast<std::int64_t>(std::floor(beats.position_at(seconds)));
    show.frame(position, frame);
    if (sender.send(pip_of_position(position), frame) > 0) {
      if (tally.unsent == 0) {
        tally.error = sender.last_error();
        log << "pipmoves-play: warning: cannot send: " << tally.error << "; still playing\n";
      }
      ++tally.unsent;
    }
    ++tally.frames;
  }
  return tally;
}

}  // namespace pipmoves::play::stream

#include "streamer.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <string>
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
                        std::ostream& log, RigOutput* rig) {
  // A rig's receivers take a source silent for a second for gone.
  constexpr auto kKeepAliveCheck = std::chrono::milliseconds(100);
  const auto since_start = [start] { return std::chrono::duration<double>(Clock::now() - start).count(); };
  const auto due = [&](std::int64_t frame) {
    return start + std::chrono::duration_cast<Clock::duration>(
                       std::chrono::duration<double>(static_cast<double>(frame) / pace.frame_rate));
  };
  std::vector<Offset3> frame(pace.fixtures);
  StreamTally tally;
  bool frame_unsent = false;
  const auto count_failures = [&](std::size_t failures, const std::string& error) {
    if (failures == 0) {
      return;
    }
    if (tally.error.empty()) {
      tally.error = error;
      log << "pipmoves-play: warning: cannot send: " << error << "; still playing\n";
    }
    frame_unsent = true;
  };
  for (std::int64_t k = 0; !pace.frames || tally.frames < *pace.frames; ++k) {
    while (rig != nullptr && Clock::now() + kKeepAliveCheck < due(k) && !stop.load()) {
      wait_until(Clock::now() + kKeepAliveCheck, stop);
      frame_unsent = false;
      count_failures(rig->keep_alive(since_start()), rig->last_error());
    }
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
    // The moment the frame shows, on the wall clock receivers share.
    const auto shown = std::chrono::system_clock::now() +
                       std::chrono::duration_cast<std::chrono::system_clock::duration>(due(k) - Clock::now());
    frame_unsent = false;
    const std::size_t failures = sender.send(pip_of_position(position), frame, shown);
    count_failures(failures, failures > 0 ? sender.last_error() : std::string());
    if (rig != nullptr) {
      const std::size_t missed = rig->send(frame, seconds, since_start());
      count_failures(missed, missed > 0 ? rig->last_error() : std::string());
    }
    if (frame_unsent) {
      ++tally.unsent;
    }
    ++tally.frames;
  }
  return tally;
}

}  // namespace pipmoves::play::stream

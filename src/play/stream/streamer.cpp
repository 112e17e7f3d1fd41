#include "streamer.hpp"

#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "pipmoves/play/pip_step.hpp"

namespace pipmoves::play::stream {

std::int64_t play_stream(const Show& show, BeatSource& beats, OscSender& sender, const StreamPace& pace,
                         std::chrono::steady_clock::time_point start, const std::atomic<bool>& stop,
                         std::ostream& log, RigOutput* rig) {
  using Clock = std::chrono::steady_clock;
  // A rig's receivers take a source silent for a second for gone.
  constexpr auto kKeepAliveCheck = std::chrono::milliseconds(100);
  const auto since_start = [start] { return std::chrono::duration<double>(Clock::now() - start).count(); };
  const auto due = [&](std::int64_t frame) {
    return start + std::chrono::duration_cast<Clock::duration>(
                       std::chrono::duration<double>(static_cast<double>(frame) / pace.frame_rate));
  };
  std::vector<Offset3> frame(pace.fixtures);
  std::int64_t sent = 0;
  bool warned = false;
  const auto warn = [&](std::size_t failures, const std::string& error) {
    if (failures > 0 && !warned) {
      log << "pipmoves-play: warning: cannot send: " << error << "; still playing\n";
      warned = true;
    }
  };
  for (std::int64_t k = 0; !pace.frames || sent < *pace.frames; ++k) {
    while (rig != nullptr && Clock::now() + kKeepAliveCheck < due(k) && !stop.load()) {
      std::this_thread::sleep_for(kKeepAliveCheck);
      const std::size_t failures = rig->keep_alive(since_start());
      warn(failures, rig->last_error());
    }
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
    // The moment the frame shows, on the wall clock receivers share.
    const auto shown = std::chrono::system_clock::now() +
                       std::chrono::duration_cast<std::chrono::system_clock::duration>(due(k) - Clock::now());
    const std::size_t failures = sender.send(pip_of_position(position), frame, shown);
    warn(failures, failures > 0 ? sender.last_error() : std::string());
    if (rig != nullptr) {
      const std::size_t missed = rig->send(frame, seconds, since_start());
      warn(missed, rig->last_error());
    }
    ++sent;
  }
  return sent;
}

}  // namespace pipmoves::play::stream

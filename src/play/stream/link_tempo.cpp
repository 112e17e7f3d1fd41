#include "link_tempo.hpp"

#include <cmath>

#include "pipmoves/pip.hpp"

namespace pipmoves::play::stream {
namespace {

// Link keeps its own clock; a moment of the stream is found on it through
// the two clocks' readings now, taken afresh each time so they never drift.
std::chrono::microseconds link_time(const ableton::Link& link, std::chrono::steady_clock::time_point moment) {
  const auto ahead = moment - std::chrono::steady_clock::now();
  return link.clock().micros() + std::chrono::duration_cast<std::chrono::microseconds>(ahead);
}

}  // namespace

LinkTempo::LinkTempo(ableton::Link& link, std::chrono::steady_clock::time_point start)
    : link_(link), start_(start) {
  const double beat = link_.captureAppSessionState().beatAtTime(link_time(link_, start_), kQuantum);
  start_beat_ = std::floor(beat / kQuantum) * kQuantum;
}

double LinkTempo::position_at(double seconds) {
  const auto moment = start_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                   std::chrono::duration<double>(seconds));
  const double beat = link_.captureAppSessionState().beatAtTime(link_time(link_, moment), kQuantum);
  return (beat - start_beat_) * PIPS_PER_BEAT;
}

}  // namespace pipmoves::play::stream

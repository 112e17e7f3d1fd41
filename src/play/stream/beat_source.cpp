#include "beat_source.hpp"

#include <cmath>
#include <stdexcept>

#include "pipmoves/pip.hpp"

namespace pipmoves::play::stream {

FixedTempo::FixedTempo(double bpm) : clock_(bpm) {}

double FixedTempo::position_at(double seconds) { return clock_.position_at(seconds); }

TappedTempo::TappedTempo(double bpm) : clock_(bpm) {}

double TappedTempo::position_at(double seconds) {
  const std::lock_guard lock(mutex_);
  return clock_.position_at(seconds);
}

std::optional<double> TappedTempo::tap(double seconds) {
  const std::lock_guard lock(mutex_);
  if (!taps_.empty() && (seconds <= taps_.back() || seconds - taps_.back() >= kRunBreakSeconds)) {
    taps_.clear();
  }
  if (taps_.size() == kTapsKept) {
    taps_.erase(taps_.begin());
  }
  taps_.push_back(seconds);
  if (taps_.size() < 2) {
    return std::nullopt;
  }
  Clock tapped = clock_;
  try {
    tapped = tap_tempo(taps_);
  } catch (const std::invalid_argument&) {
    // Taps too slow or too fast for a tempo: the run starts again here.
    taps_.assign(1, seconds);
    return std::nullopt;
  }
  // The tapped phase, on the beat nearest to where the show already is.
  constexpr double kPipsPerBeat = PIPS_PER_BEAT;
  const double reached = clock_.position_at(seconds);
  const double tapped_position = tapped.position_at(seconds);
  const double beats = std::round((reached - tapped_position) / kPipsPerBeat);
  clock_ = tapped.anchored(tapped.beat_zero_seconds(), beats);
  return clock_.bpm();
}

}  // namespace pipmoves::play::stream

#include "beat_source.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "pipmoves/pip.hpp"

namespace pipmoves::play::stream {

FixedTempo::FixedTempo(double bpm) : clock_(bpm) {}

double FixedTempo::position_at(double seconds) { return clock_.position_at(seconds); }

TappedTempo::TappedTempo(double bpm) : clock_(bpm) {}

double TappedTempo::gliding_position(double seconds) const {
  const double position = clock_.position_at(seconds);
  if (glide_seconds_ <= 0.0 || seconds >= glide_from_ + glide_seconds_) {
    return position;
  }
  const double u = std::max(0.0, (seconds - glide_from_) / glide_seconds_);
  return position - glide_pips_ * (1.0 - u * u * (3.0 - 2.0 * u));
}

double TappedTempo::position_at(double seconds) {
  const std::lock_guard lock(mutex_);
  const double position = gliding_position(seconds);
  if (seconds < shown_seconds_) {
    return position;  // a moment before the latest shown: not part of the show's course
  }
  shown_seconds_ = seconds;
  shown_position_ = std::max(shown_position_, position);
  return shown_position_;
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
  // The tapped phase, on the beat nearest to where the show already is, so
  // the glide covers at most half a beat. Eased in by smoothstep over one
  // tapped beat, with a steepest slope of 1.5, it takes at most 0.75 beat a
  // beat away: the show goes on at a quarter of the tapped tempo or faster.
  constexpr double kPipsPerBeat = PIPS_PER_BEAT;
  const double reached = gliding_position(seconds);
  const double tapped_position = tapped.position_at(seconds);
  const double beats = std::round((reached - tapped_position) / kPipsPerBeat);
  clock_ = tapped.anchored(tapped.beat_zero_seconds(), beats);
  glide_from_ = seconds;
  glide_seconds_ = 60.0 / clock_.bpm();
  glide_pips_ = clock_.position_at(seconds) - reached;
  return clock_.bpm();
}

}  // namespace pipmoves::play::stream

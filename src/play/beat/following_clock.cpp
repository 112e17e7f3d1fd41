#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "pipmoves/pip.hpp"
#include "pipmoves/play/following_clock.hpp"

namespace pipmoves::play {
namespace {

constexpr double kPipsPerBeat = PIPS_PER_BEAT;
// A beat fits the run when it falls this close (a fraction of the beat
// period) to a whole number of periods after the previous one.
constexpr double kFit = 0.08;
// The latest two beats this far (a fraction of the period) off the line of
// the run before them, the same way, mean the music changed tempo: the run
// restarts from its latest beats.
constexpr double kTempoStep = 0.06;
constexpr std::size_t kRunToStep = 6;
constexpr std::size_t kRunKept = 16;
constexpr int kIntervalsToLock = 3;
constexpr int kIntervalsToLockUnsure = 6;
constexpr int kUnsureToHold = 3;
// Coming back from a break at the tempo held, fewer beats are needed.
constexpr int kIntervalsToRelock = 2;
constexpr double kHeldTempoMatch = 0.04;
// A beat this close (a fraction of a beat) to the clock's is on its grid; a
// beat further off moves the phase only after this many in a row.
constexpr double kOnGrid = 0.15;
constexpr int kFarToBelieve = 4;
// Beats kept through a break are trusted longer than a tracker finding its
// way back.
constexpr int kFarToBelieveHeld = 8;
// No fitting beat for this many periods (and at least this long) is a break.
constexpr double kLostPeriods = 2.5;
constexpr double kLostSeconds = 1.0;
// A phase error is worked off over about this many beats.
constexpr double kCorrectionBeats = 3.0;
// The tempo glides to a new one by at most this fraction a second.
constexpr double kGlidePerSecond = 0.1;

void require_time(double seconds) {
  if (!std::isfinite(seconds)) {
    throw std::invalid_argument("Time must be finite");
  }
}

}  // namespace

FollowingClock::FollowingClock(FollowSettings settings) : settings_(settings) {
  const bool range_ok = std::isfinite(settings.min_bpm) && std::isfinite(settings.max_bpm) && settings.min_bpm >= 1.0 &&
                        settings.max_bpm <= 1000.0 && settings.max_bpm >= 2.0 * settings.min_bpm;
  if (!range_ok) {
    throw std::invalid_argument("Tempo range must be finite, within [1, 1000] BPM and span at least an octave");
  }
  if (!std::isfinite(settings.min_confidence) || settings.min_confidence < 0.0) {
    throw std::invalid_argument("Confidence threshold must be finite and not negative");
  }
  if (!(settings.max_rate_change > 0.0 && settings.max_rate_change <= 0.5)) {
    throw std::invalid_argument("Rate change must be above 0 and at most 0.5");
  }
  if (settings.beats_per_bar < 1 || settings.beats_per_bar > 32) {
    throw std::invalid_argument("Beats per bar must be 1 to 32");
  }
  run_.reserve(kRunKept + 1);
}

double FollowingClock::bpm() const noexcept { return rate_ * 60.0 / kPipsPerBeat; }

double FollowingClock::fold(double bpm) const {
  while (bpm < settings_.min_bpm) {
    bpm *= 2.0;
  }
  while (bpm > settings_.max_bpm) {
    bpm /= 2.0;
  }
  return bpm;
}

// The least-squares line through beats [0, count) of the run, each on its
// whole number of periods from the first: the period and where it puts the
// first beat.
FollowingClock::Line FollowingClock::fit(std::size_t count) const {
  const double first = run_.front();
  double n_mean = 0.0;
  double t_mean = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    n_mean += std::round((run_[i] - first) / unit_);
    t_mean += run_[i] - first;
  }
  n_mean /= static_cast<double>(count);
  t_mean /= static_cast<double>(count);
  double nn = 0.0;
  double nt = 0.0;
  for (std::size_t i = 0; i < count; ++i) {
    const double n = std::round((run_[i] - first) / unit_) - n_mean;
    nn += n * n;
    nt += n * (run_[i] - first - t_mean);
  }
  const double period = nn > 0.0 ? nt / nn : unit_;
  return {period, first + t_mean - period * n_mean};
}

void FollowingClock::beat(double seconds, double tracked_bpm, double confidence) {
  if (!std::isfinite(seconds) || !std::isfinite(tracked_bpm) || !std::isfinite(confidence)) {
    throw std::invalid_argument("A beat must have a finite time, tempo and confidence");
  }
  if (seconds <= last_beat_) {
    return;
  }
  last_beat_ = seconds;
  if (tracked_bpm < 1.0 || tracked_bpm > 4000.0) {
    run_.clear();
    consistent_ = 0;
    return;
  }
  // An unsure beat still counts towards a run, but steers only a long one:
  // the tracker is often right before it is sure. Unsure beats in a row
  // outside such a run are a break.
  const bool sure = confidence >= settings_.min_confidence;
  unsure_ = sure ? 0 : unsure_ + 1;
  heard(seconds, tracked_bpm, sure);
}

void FollowingClock::heard(double seconds, double tracked_bpm, bool sure) {
  const double tracked_period = 60.0 / tracked_bpm;
  if (run_.empty()) {
    run_.assign(1, seconds);
    unit_ = tracked_period;
    consistent_ = 0;
    return;
  }
  const double interval = seconds - run_.back();
  const double periods = std::round(interval / unit_);
  if (periods < 1.0 || periods > 4.0 || std::abs(interval - periods * unit_) > kFit * unit_) {
    // Not on the run's grid: the start of another, at the tracker's period
    // (an octave flip or a new tempo) when the interval fits that.
    const double tracked_periods = std::round(interval / tracked_period);
    const bool fits_tracked = tracked_periods >= 1.0 && tracked_periods <= 4.0 &&
                              std::abs(interval - tracked_periods * tracked_period) <= kFit * tracked_period;
    run_.assign(fits_tracked ? std::initializer_list<double>{run_.back(), seconds}
                             : std::initializer_list<double>{seconds});
    unit_ = fits_tracked ? interval / tracked_periods : tracked_period;
    consistent_ = fits_tracked ? 1 : 0;
    if (state_ == State::kLocked && seconds - last_fit_ > std::max(kLostPeriods * rate_period(), kLostSeconds)) {
      state_ = State::kHolding;
    }
    return;
  }
  run_.push_back(seconds);
  if (run_.size() > kRunKept) {
    run_.erase(run_.begin());
  }
  ++consistent_;
  last_fit_ = seconds;
  if (run_.size() >= kRunToStep) {
    // Both latest beats off the line through the earlier ones, the same way
    // and further each time: the music changed tempo.
    const Line before = fit(run_.size() - 2);
    const auto off = [&](std::size_t i) {
      const double n = std::round((run_[i] - before.first) / before.period);
      return (run_[i] - before.first - n * before.period) / before.period;
    };
    const double a = off(run_.size() - 2);
    const double b = off(run_.size() - 1);
    if (std::abs(a) > kTempoStep && std::abs(b) > std::abs(a) && (a > 0) == (b > 0)) {
      run_.erase(run_.begin(), run_.end() - 3);
    }
  }
  unit_ = fit(run_.size()).period;

  const double folded = fold(60.0 / unit_);
  if (!sure && consistent_ < kIntervalsToLockUnsure) {
    if (unsure_ >= kUnsureToHold && state_ == State::kLocked) {
      state_ = State::kHolding;
    }
    return;
  }
  if (state_ == State::kWaiting) {
    if (consistent_ < kIntervalsToLock) {
      return;
    }
    // The first locked beat is the start of a bar, at pip 0 where the clock
    // has stood: only the time since that beat is owed.
    started_ = true;
    rate_ = folded / 60.0 * kPipsPerBeat;
    target_rate_ = rate_;
    if (now_ < seconds) {
      now_ = seconds;
      correction_ = 0.0;
    } else {
      correction_ = rate_ * (now_ - seconds);
    }
    shifted_ = 0.0;
    state_ = State::kLocked;
    return;
  }
  // The tracked beats fall on the clock's beats, or between them when the
  // tracker counts faster than the tempo followed.
  const double beats_per_tracked = folded * unit_ / 60.0;
  const double grid = kPipsPerBeat * std::min(1.0, std::round(beats_per_tracked * 8.0) / 8.0);
  const double at_beat = position_ + rate_ * (seconds - now_) - shifted_;
  const double error = grid * std::round(at_beat / grid) - at_beat;
  // A tracker that has just found the music again (after a break or a tempo
  // change) often hears the offbeat first: a phase far off the clock's own
  // is believed only once it persists.
  const bool on_grid = std::abs(error) <= kOnGrid * grid;
  far_ = on_grid ? 0 : far_ + 1;
  if (state_ == State::kLocked && consistent_ >= kIntervalsToLock) {
    target_rate_ = folded / 60.0 * kPipsPerBeat;
  }
  if (!on_grid && far_ < (state_ == State::kHolding ? kFarToBelieveHeld : kFarToBelieve)) {
    return;
  }
  if (state_ == State::kHolding) {
    const bool held_tempo = on_grid && std::abs(folded - bpm()) <= kHeldTempoMatch * bpm();
    if (consistent_ < (held_tempo ? kIntervalsToRelock : kIntervalsToLock)) {
      return;
    }
    state_ = State::kLocked;
  }
  target_rate_ = folded / 60.0 * kPipsPerBeat;
  correction_ = error;
}

double FollowingClock::rate_period() const noexcept { return rate_ > 0.0 ? kPipsPerBeat / rate_ : unit_; }

void FollowingClock::bar_start(double seconds) {
  require_time(seconds);
  if (!started_) {
    return;
  }
  const double at = position_ + rate_ * (seconds - now_) - shifted_;
  const double beat = kPipsPerBeat * std::round(at / kPipsPerBeat);
  const double bar = kPipsPerBeat * settings_.beats_per_bar;
  const double into_bar = beat - bar * std::round(beat / bar);
  shift_ -= into_bar;
}

void FollowingClock::advance_to(double seconds) {
  if (seconds <= now_) {
    return;
  }
  if (!started_) {
    now_ = seconds;
    return;
  }
  const double dt = seconds - now_;
  const double glide = kGlidePerSecond * rate_ * dt;
  rate_ += std::clamp(target_rate_ - rate_, -glide, glide);
  const double limit = settings_.max_rate_change * rate_ * dt;
  const double owed = correction_ + shift_;
  const double wanted = owed * std::min(1.0, dt * rate_ / (kCorrectionBeats * kPipsPerBeat));
  const double applied = std::clamp(wanted, -limit, limit);
  position_ += rate_ * dt + applied;
  // Whole beats of a bar shift first, then the phase.
  const double to_shift = (shift_ > 0.0) == (applied > 0.0) ? std::copysign(std::min(std::abs(applied), std::abs(shift_)), applied) : 0.0;
  shift_ -= to_shift;
  shifted_ = std::fmod(shifted_ + to_shift, kPipsPerBeat);
  correction_ -= applied - to_shift;
  now_ = seconds;
  if (state_ == State::kLocked && seconds - last_fit_ > std::max(kLostPeriods * rate_period(), kLostSeconds)) {
    state_ = State::kHolding;
    correction_ = 0.0;
    run_.clear();
    consistent_ = 0;
  }
}

double FollowingClock::position_at(double seconds) {
  require_time(seconds);
  advance_to(seconds);
  return position_;
}

std::int32_t FollowingClock::pip_at(double seconds) {
  const double position = position_at(seconds);
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::int64_t>(std::floor(position))));
}

}  // namespace pipmoves::play

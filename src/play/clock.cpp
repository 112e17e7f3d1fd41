#include "pipmoves/play/clock.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <utility>

#include "pipmoves/pip.hpp"

namespace pipmoves::play {
namespace {

// Changes beyond 2^46 beats would start past kMaxPosition pips.
constexpr double kMaxChangeBeat = 70368744177664.0;

void check_bpm(double bpm) {
  if (!(bpm >= Clock::kMinBpm && bpm <= Clock::kMaxBpm)) {
    throw std::invalid_argument("Tempo must be finite and within [0.001, 1000000] BPM");
  }
}

[[noreturn]] void outside_range() { throw std::invalid_argument("Time must be finite and within the clock's range"); }

// floor for a position below 2^62 in magnitude, without a call into libm
// (the baseline instruction set has no rounding instruction).
std::int64_t floor_to_integer(double position) noexcept {
  const auto truncated = static_cast<std::int64_t>(position);
  return static_cast<double>(truncated) > position ? truncated - 1 : truncated;
}

}  // namespace

Clock::Clock(double bpm, double beat_zero_seconds, std::vector<TempoChange> changes)
    : beat_zero_seconds_(beat_zero_seconds), changes_(std::move(changes)) {
  check_bpm(bpm);
  if (!std::isfinite(beat_zero_seconds)) {
    throw std::invalid_argument("Beat origin must be finite");
  }
  double previous_beat = 0.0;
  for (const TempoChange& change : changes_) {
    if (!(change.beat > previous_beat && change.beat < kMaxChangeBeat)) {
      throw std::invalid_argument("Tempo changes must come at finite increasing beats after beat zero");
    }
    check_bpm(change.bpm);
    previous_beat = change.beat;
  }
  segments_.reserve(changes_.size() + 1);
  auto add = [this](double start_pips, double start_seconds, double tempo) {
    const double pips_per_beat = PIPS_PER_BEAT;
    segments_.push_back({start_pips, start_seconds, tempo, tempo * pips_per_beat / 60.0,
                         60.0 / (tempo * pips_per_beat)});
  };
  add(0.0, beat_zero_seconds, bpm);
  for (const TempoChange& change : changes_) {
    // Each change starts where the tempo before it reaches its beat, so the
    // position runs on without a jump.
    const Segment& before = segments_.back();
    const double start_pips = change.beat * PIPS_PER_BEAT;
    add(start_pips, before.start_seconds + (start_pips - before.start_pips) * before.seconds_per_pip, change.bpm);
  }
}

const Clock::Segment& Clock::segment_at_time(double seconds) const noexcept {
  const auto later = std::upper_bound(segments_.begin() + 1, segments_.end(), seconds,
                                      [](double t, const Segment& s) { return t < s.start_seconds; });
  return *(later - 1);
}

const Clock::Segment& Clock::segment_at_position(double position) const noexcept {
  const auto later = std::upper_bound(segments_.begin() + 1, segments_.end(), position,
                                      [](double p, const Segment& s) { return p < s.start_pips; });
  return *(later - 1);
}

// Within a segment the position never passes the next segment's start, so
// rounding cannot make it fall back at the change.
double Clock::position_in(const Segment& segment, double seconds) const noexcept {
  const double position = segment.start_pips + (seconds - segment.start_seconds) * segment.pips_per_second;
  const auto next = static_cast<std::size_t>(&segment - segments_.data()) + 1;
  return next < segments_.size() ? std::min(position, segments_[next].start_pips) : position;
}

double Clock::checked_position(double seconds) const {
  // A time that is not finite gives a position that is not either.
  const double position = position_in(segment_at_time(seconds), seconds);
  if (!(std::fabs(position) < kMaxPosition)) {
    outside_range();
  }
  return position;
}

double Clock::position_at(double seconds) const { return checked_position(seconds); }

std::int32_t Clock::pip_at(double seconds) const {
  const std::int64_t pip = floor_to_integer(checked_position(seconds));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(pip));
}

double Clock::bpm_at(double seconds) const {
  checked_position(seconds);
  return segment_at_time(seconds).bpm;
}

std::int64_t Clock::floor_position(double seconds) const noexcept {
  // Only the order matters here, so far positions are pinned to the ends.
  constexpr double kFar = 4611686018427387904.0;
  const double position = position_in(segment_at_time(seconds), seconds);
  return floor_to_integer(std::clamp(position, -kFar, kFar));
}

double Clock::seconds_at_position(double position) const noexcept {
  const Segment& segment = segment_at_position(position);
  return segment.start_seconds + (position - segment.start_pips) * segment.seconds_per_pip;
}

double Clock::seconds_at(std::int32_t pip) const {
  // The formula lands within a few units in the last place; bisecting over
  // doubles between a time before the pip and one within it finds the
  // earliest time at which pip_at reaches it. Brackets stay finite, so a beat
  // origin near the end of the doubles cannot turn a midpoint into NaN.
  constexpr double kLowest = std::numeric_limits<double>::lowest();
  constexpr double kHighest = std::numeric_limits<double>::max();
  const double estimate = seconds_at_position(pip);
  const auto reached = [&](double t) { return floor_position(t) >= pip; };
  double reach = std::max(std::fabs(std::nextafter(estimate, 0.0) - estimate),
                          std::numeric_limits<double>::denorm_min());
  double before = estimate;
  double within = estimate;
  if (reached(estimate)) {
    do {
      before = std::max(estimate - reach, kLowest);
      reach *= 2.0;
    } while (reached(before) && before > kLowest);
    if (reached(before)) {
      return before;  // the pip has begun at every time there is
    }
  } else {
    do {
      within = std::min(estimate + reach, kHighest);
      reach *= 2.0;
    } while (!reached(within) && within < kHighest);
    if (!reached(within)) {
      return within;  // no time reaches the pip
    }
  }
  for (;;) {
    const double gap = within - before;
    const double middle = std::isfinite(gap) ? before + gap / 2.0 : before / 2.0 + within / 2.0;
    if (!(middle > before && middle < within)) {
      return within;
    }
    (reached(middle) ? within : before) = middle;
  }
}

Clock Clock::anchored(double seconds, double beat) const {
  const double position = beat * PIPS_PER_BEAT;
  if (!std::isfinite(seconds) || !(std::fabs(position) < kMaxPosition)) {
    outside_range();
  }
  const double since_origin = seconds_at_position(position) - beat_zero_seconds_;
  return Clock(bpm(), seconds - since_origin, changes_);
}

}  // namespace pipmoves::play

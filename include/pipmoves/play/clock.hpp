#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace pipmoves::play {

// A new tempo from a beat on.
struct TempoChange {
  double beat = 0.0;
  double bpm = 0.0;
};

// A tempo map from seconds to pips and back: beat zero at beat_zero_seconds
// (as a recording's beat origin), a starting tempo, and tempo changes at
// beats after beat zero. The position is continuous across every change and
// never decreases as time goes on. Immutable once built.
class Clock {
 public:
  static constexpr double kMinBpm = 0.001;
  static constexpr double kMaxBpm = 1e6;
  // Positions stay below 2^52 pips either side of beat zero (about a million
  // years at 120 BPM), where every whole pip is still a double.
  static constexpr double kMaxPosition = 4503599627370496.0;

  // Throws std::invalid_argument:
  // - "Tempo must be finite and within [0.001, 1000000] BPM" (the start or a change);
  // - "Beat origin must be finite";
  // - "Tempo changes must come at finite increasing beats after beat zero"
  //   (and before 2^46 beats).
  explicit Clock(double bpm, double beat_zero_seconds = 0.0, std::vector<TempoChange> changes = {});

  double bpm() const noexcept { return segments_.front().bpm; }
  double beat_zero_seconds() const noexcept { return beat_zero_seconds_; }
  const std::vector<TempoChange>& changes() const noexcept { return changes_; }

  // The continuous position in pips at a time; negative before beat zero.
  // Throws std::invalid_argument "Time must be finite and within the clock's
  // range" for a time that is not finite or lies kMaxPosition pips or more
  // from beat zero.
  double position_at(double seconds) const;

  // The pip under way at a time: the position floored, as a 32-bit pip that
  // wraps like every pip. Refuses what position_at refuses.
  std::int32_t pip_at(double seconds) const;

  // The earliest time at which pip_at gives pip, for the pip within 2^31 of
  // beat zero. Where doubles cannot tell two pips apart (a beat origin far
  // from zero), the earliest time at which the pip has begun.
  double seconds_at(std::int32_t pip) const;

  // The tempo in force at a time. Refuses what position_at refuses.
  double bpm_at(double seconds) const;

  // The same tempo map moved in time so that beat falls at seconds: the
  // downbeat re-anchored, the tempo unchanged. Refuses a time or beat that is
  // not finite or whose shift leaves the beat origin not finite.
  Clock anchored(double seconds, double beat = 0.0) const;

 private:
  // From start_pips on (and, for the first, everything before) the position
  // runs at pips_per_second.
  struct Segment {
    double start_pips;
    double start_seconds;
    double bpm;
    double pips_per_second;
    double seconds_per_pip;
  };

  const Segment& segment_at_time(double seconds) const noexcept;
  const Segment& segment_at_position(double position) const noexcept;
  double position_in(const Segment& segment, double seconds) const noexcept;
  double checked_position(double seconds) const;
  double seconds_at_position(double position) const noexcept;
  std::int64_t floor_position(double seconds) const noexcept;

  double beat_zero_seconds_;
  std::vector<TempoChange> changes_;
  std::vector<Segment> segments_;
};

// Tempo and phase from tap times in seconds: the clock whose beats best fit
// the taps, beat zero on the first tap that fits. Taps may skip beats; one
// stray tap (an extra one, or one far off its beat) is found and ignored once
// there are four taps or more. Throws std::invalid_argument "Tap tempo needs
// 2..1024 taps" or "Tap times must be finite and increasing", or the Clock's
// tempo message for taps too slow or fast.
Clock tap_tempo(std::span<const double> tap_seconds);

}  // namespace pipmoves::play

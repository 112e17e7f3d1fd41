#pragma once

// A clock that follows the music: the beats a BeatTracker hears become a
// steady position in pips.

#include <cstdint>
#include <vector>

namespace pipmoves::play {

// What the following clock takes a heard beat and its tempo to be.
struct FollowSettings {
  // Tempos are folded by octaves into [min_bpm, max_bpm]; the range should
  // span an octave, as 90:180 does.
  double min_bpm = 90.0;
  double max_bpm = 180.0;
  // Below this confidence a beat locks the clock or steers it only in a long
  // run of beats that agree; a few in a row are a break.
  double min_confidence = 0.05;
  // The rate the pip may run at differs from the tempo followed by at most
  // this fraction, so a correction never shows as a jump.
  double max_rate_change = 0.1;
  int beats_per_bar = 4;
};

// A clock that phase-locks to heard beats. Until the first lock it stands at
// pip 0; the first locked beat is the start of a bar. From then on its
// position never decreases and never jumps: tempo and phase corrections are
// spread over the next beats at a bounded rate. When beats stop or lose
// confidence it holds the last good tempo, keeping the count of beats and
// bars, and locks again when consistent beats return.
class FollowingClock {
 public:
  // Throws std::invalid_argument "Tempo range must be finite, within [1, 1000]
  // BPM and span at least an octave", "Confidence threshold must be finite and
  // not negative", "Rate change must be above 0 and at most 0.5" or "Beats per
  // bar must be 1 to 32".
  explicit FollowingClock(FollowSettings settings = {});

  // A heard beat: its time, the tracker's tempo and confidence then. Throws
  // std::invalid_argument "A beat must have a finite time, tempo and
  // confidence"; a beat not after the previous one is ignored.
  void beat(double seconds, double tracked_bpm, double confidence);

  // The bar starts at the beat nearest to seconds from now on: the count
  // moves by whole beats, spread like any correction. Ignored before lock.
  // Throws std::invalid_argument "Time must be finite".
  void bar_start(double seconds);

  // The position in pips at a time. Times are meant to come in order; a time
  // before the latest asked for gives the latest position, so it never goes
  // back. Throws std::invalid_argument "Time must be finite".
  double position_at(double seconds);
  std::int32_t pip_at(double seconds);

  bool locked() const noexcept { return state_ == State::kLocked; }
  bool holding() const noexcept { return state_ == State::kHolding; }
  bool ever_locked() const noexcept { return state_ != State::kWaiting; }
  // The tempo followed (folded into the range), 0 before the first lock.
  double bpm() const noexcept;
  const FollowSettings& settings() const noexcept { return settings_; }

 private:
  enum class State { kWaiting, kLocked, kHolding };

  void advance_to(double seconds);
  void heard(double seconds, double tracked_bpm, bool sure);
  void lose();
  struct Line {
    double period;
    double first;
  };
  Line fit(std::size_t count) const;
  double rate_period() const noexcept;
  double fold(double bpm) const;

  FollowSettings settings_;
  State state_ = State::kWaiting;
  // The integrated position and the time it was last advanced to.
  double now_ = 0.0;
  double position_ = 0.0;
  bool started_ = false;
  // Pips a second of the tempo followed, and of the tempo it glides to.
  double rate_ = 0.0;
  double target_rate_ = 0.0;
  // Pips still to add (or take away, when negative) on top of the tempo: the
  // phase error of the latest beat, and whole beats a bar start asked for.
  double correction_ = 0.0;
  double shift_ = 0.0;
  // The part of bar shifts made, within a beat, which the phase is read past.
  double shifted_ = 0.0;
  // Recent consistent beats and the tracked beat period they give.
  std::vector<double> run_;
  double unit_ = 0.0;
  double last_beat_ = -1e300;
  double last_fit_ = 0.0;
  int consistent_ = 0;
  int unsure_ = 0;
  int far_ = 0;
};

}  // namespace pipmoves::play

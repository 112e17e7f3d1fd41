#pragma once

#include <chrono>
#include <limits>
#include <mutex>
#include <optional>
#include <vector>

#include "pipmoves/play/clock.hpp"

namespace pipmoves::play::stream {

// Where the show stands at a moment of the stream, in pips from its start.
// Moments are seconds on the stream's own steady clock, from its first frame.
class BeatSource {
 public:
  virtual ~BeatSource() = default;
  virtual double position_at(double seconds) = 0;
};

// A tempo fixed for the whole stream, beat zero on the first frame.
class FixedTempo final : public BeatSource {
 public:
  explicit FixedTempo(double bpm);
  double position_at(double seconds) override;

 private:
  Clock clock_;
};

// A tempo tapped by hand: taps come from another thread; from the second tap
// of a run the tapped tempo and phase take over, keeping the beat count the
// show has reached so cues stay where they were. The show never steps back:
// it glides onto the tapped beats over one tapped beat, never slower than a
// quarter of the tapped tempo, and a moment asked for after another never
// shows an earlier position (a tap may land between two frames' moments).
class TappedTempo final : public BeatSource {
 public:
  // A pause this long or more between taps starts a new run.
  static constexpr double kRunBreakSeconds = 2.0;
  // Only the latest taps of a run count, so the tempo can drift with the music.
  static constexpr std::size_t kTapsKept = 8;

  explicit TappedTempo(double bpm);
  double position_at(double seconds) override;

  // Returns the tempo now in force when the tap changed it.
  std::optional<double> tap(double seconds);

 private:
  // The position the tapped clock and the glide onto it give, before the
  // guard against stepping back.
  double gliding_position(double seconds) const;

  std::mutex mutex_;
  Clock clock_;
  std::vector<double> taps_;
  // The glide: from glide_from_ on, over glide_seconds_, the offset from the
  // tapped clock eases from glide_pips_ to none.
  double glide_from_ = 0.0;
  double glide_seconds_ = 0.0;
  double glide_pips_ = 0.0;
  // The latest moment asked for and the position shown for it.
  double shown_seconds_ = -std::numeric_limits<double>::infinity();
  double shown_position_ = -std::numeric_limits<double>::infinity();
};

}  // namespace pipmoves::play::stream

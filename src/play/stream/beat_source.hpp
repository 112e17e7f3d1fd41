#pragma once

#include <chrono>
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
// show has reached so cues stay where they were.
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
  std::mutex mutex_;
  Clock clock_;
  std::vector<double> taps_;
};

}  // namespace pipmoves::play::stream

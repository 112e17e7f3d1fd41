#pragma once

// Ears for the show: the beats of the music it plays to.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace pipmoves::play {

// Beats in a mono stream of samples, found by aubio's tempo tracker. Blocks of
// any length may be fed; beats come back as seconds from the first sample
// fed, each once, in increasing order.
class BeatTracker {
 public:
  static constexpr std::int64_t kMinSampleRate = 4000;
  static constexpr std::int64_t kMaxSampleRate = 768000;

  // Throws std::invalid_argument "Sample rate must be 4000 to 768000 Hz".
  explicit BeatTracker(std::int64_t sample_rate);
  ~BeatTracker();
  BeatTracker(BeatTracker&&) noexcept;
  BeatTracker& operator=(BeatTracker&&) noexcept;

  // Throws std::invalid_argument "Samples must be finite" (the block is then
  // not fed at all). Float samples span [-1, 1]; int16 samples are scaled so.
  std::vector<double> feed(std::span<const float> samples);
  std::vector<double> feed(std::span<const std::int16_t> samples);

  std::int64_t sample_rate() const noexcept;
  // The tracker's tempo, 0 until it has one.
  double tempo_bpm() const noexcept;
  // The latest beat found, or a negative number before the first.
  double last_beat_seconds() const noexcept;
  // How sure the tracker is of its tempo: 0 (not at all) upwards.
  double confidence() const noexcept;
  double seconds_fed() const noexcept;

  // Opaque: aubio's state stays out of this header.
  struct State;

 private:
  std::unique_ptr<State> state_;
};

}  // namespace pipmoves::play

#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "audio_input.hpp"
#include "beat_source.hpp"
#include "pipmoves/play/beat_tracker.hpp"
#include "pipmoves/play/following_clock.hpp"

namespace pipmoves::play::stream {

// Heard audio made into the show's beats: samples go through a BeatTracker
// into a FollowingClock. Samples are timed from the stream's start, the first
// one at first_sample_seconds. Says on log the tempo it follows when it locks
// and whenever that moves by more than 1 BPM.
class AudioFollower {
 public:
  AudioFollower(std::int64_t sample_rate, FollowSettings settings, std::ostream& log,
                double first_sample_seconds = 0.0);

  void hear(std::span<const float> mono);
  double position_at(double seconds);
  // When the first sample was heard, for a live line that starts late.
  void first_sample_at(double seconds);

 private:
  std::mutex mutex_;
  BeatTracker tracker_;
  FollowingClock clock_;
  std::ostream& log_;
  double offset_;
  std::optional<double> said_bpm_;
};

// Decodes raw little-endian PCM into mono floats, keeping a partial sample
// for the next block.
class RawPcm {
 public:
  explicit RawPcm(AudioInput::Format format) : format_(format) {}
  void decode(std::span<const unsigned char> bytes, std::vector<float>& out);

 private:
  AudioInput::Format format_;
  std::vector<unsigned char> partial_;
};

// A BeatSource following audio read on its own thread. A file that cannot be
// opened as audio is refused at construction, with libsndfile's reason; when
// the audio ends, the clock holds its last tempo.
class AudioTempo final : public BeatSource {
 public:
  AudioTempo(const AudioInput& input, FollowSettings settings, std::chrono::steady_clock::time_point start,
             std::ostream& log);
  ~AudioTempo() override;
  AudioTempo(const AudioTempo&) = delete;
  AudioTempo& operator=(const AudioTempo&) = delete;

  double position_at(double seconds) override;

 private:
  struct File;
  void read_file();
  void read_stdin();

  std::unique_ptr<File> file_;
  AudioInput input_;
  std::chrono::steady_clock::time_point start_;
  std::unique_ptr<AudioFollower> follower_;
  std::atomic<bool> stop_{false};
  std::thread reader_;
};

}  // namespace pipmoves::play::stream

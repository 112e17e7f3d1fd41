#include "pipmoves/play/beat_tracker.hpp"

#include <aubio/aubio.h>

#include <cmath>
#include <new>
#include <stdexcept>
#include <utility>

namespace pipmoves::play {
namespace {

// About 6 ms a hop at common rates, over a window of two hops: short
// enough to place a drum's onset, and aubio's tracker scales its own
// windows to seconds.
uint_t hop_for(std::int64_t sample_rate) {
  uint_t hop = 64;
  while (static_cast<double>(hop) * 2.0 * 172.0 <= static_cast<double>(sample_rate) * 1.5) {
    hop *= 2;
  }
  return hop;
}

struct TempoDeleter {
  void operator()(aubio_tempo_t* tempo) const noexcept { del_aubio_tempo(tempo); }
};
struct VectorDeleter {
  void operator()(fvec_t* vector) const noexcept { del_fvec(vector); }
};

}  // namespace

struct BeatTracker::State {
  std::int64_t sample_rate;
  uint_t hop;
  std::unique_ptr<aubio_tempo_t, TempoDeleter> tempo;
  std::unique_ptr<fvec_t, VectorDeleter> input;
  std::unique_ptr<fvec_t, VectorDeleter> output;
  uint_t filled = 0;
  // Samples handed to aubio so far: aubio's own count is 32 bits and wraps.
  std::int64_t analysed = 0;
  double last_beat = -1.0;
};

BeatTracker::BeatTracker(std::int64_t sample_rate) {
  if (sample_rate < kMinSampleRate || sample_rate > kMaxSampleRate) {
    throw std::invalid_argument("Sample rate must be 4000 to 768000 Hz");
  }
  auto state = std::make_unique<State>();
  state->sample_rate = sample_rate;
  state->hop = hop_for(sample_rate);
  state->tempo.reset(new_aubio_tempo("default", state->hop * 2, state->hop, static_cast<uint_t>(sample_rate)));
  state->input.reset(new_fvec(state->hop));
  state->output.reset(new_fvec(1));
  if (!state->tempo || !state->input || !state->output) {
    throw std::bad_alloc();
  }
  state_ = std::move(state);
}

BeatTracker::~BeatTracker() = default;
BeatTracker::BeatTracker(BeatTracker&&) noexcept = default;
BeatTracker& BeatTracker::operator=(BeatTracker&&) noexcept = default;

namespace {

template <typename Sample, typename Scale>
std::vector<double> feed_samples(BeatTracker::State& s, std::span<const Sample> samples, Scale scale) {
  for (const Sample sample : samples) {
    if (!std::isfinite(static_cast<double>(sample))) {
      throw std::invalid_argument("Samples must be finite");
    }
  }
  std::vector<double> beats;
  smpl_t* data = s.input->data;
  for (const Sample sample : samples) {
    data[s.filled++] = scale(sample);
    if (s.filled < s.hop) {
      continue;
    }
    s.filled = 0;
    aubio_tempo_do(s.tempo.get(), s.input.get(), s.output.get());
    const std::int64_t start = s.analysed;
    s.analysed += s.hop;
    if (s.output->data[0] == 0) {
      continue;
    }
    // aubio's last beat, in its wrapping sample count, taken back to ours.
    const auto wrapped = static_cast<std::uint32_t>(aubio_tempo_get_last(s.tempo.get()));
    const auto behind = static_cast<std::int32_t>(static_cast<std::uint32_t>(start) - wrapped);
    const double beat = static_cast<double>(start - behind) / static_cast<double>(s.sample_rate);
    if (beat > s.last_beat) {
      s.last_beat = beat;
      beats.push_back(beat);
    }
  }
  return beats;
}

}  // namespace

std::vector<double> BeatTracker::feed(std::span<const float> samples) {
  return feed_samples(*state_, samples, [](float sample) { return static_cast<smpl_t>(sample); });
}

std::vector<double> BeatTracker::feed(std::span<const std::int16_t> samples) {
  return feed_samples(*state_, samples,
                      [](std::int16_t sample) { return static_cast<smpl_t>(static_cast<float>(sample) / 32768.0f); });
}

std::int64_t BeatTracker::sample_rate() const noexcept { return state_->sample_rate; }

double BeatTracker::tempo_bpm() const noexcept {
  if (state_->analysed == 0) {
    return 0.0;
  }
  const double bpm = aubio_tempo_get_bpm(state_->tempo.get());
  return std::isfinite(bpm) && bpm > 0.0 ? bpm : 0.0;
}

double BeatTracker::last_beat_seconds() const noexcept { return state_->last_beat; }

double BeatTracker::confidence() const noexcept {
  if (state_->analysed == 0) {
    return 0.0;
  }
  const double confidence = aubio_tempo_get_confidence(state_->tempo.get());
  return std::isfinite(confidence) && confidence > 0.0 ? confidence : 0.0;
}

double BeatTracker::seconds_fed() const noexcept {
  return static_cast<double>(state_->analysed + state_->filled) / static_cast<double>(state_->sample_rate);
}

}  // namespace pipmoves::play

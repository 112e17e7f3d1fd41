#pragma once

#include <chrono>

#include <ableton/Link.hpp>

#include "beat_source.hpp"

namespace pipmoves::play::stream {

// The beats of an Ableton Link session. The show starts on the bar of the
// session under way when the stream starts, so a pattern's pip 0 falls on a
// downbeat of the session.
class LinkTempo final : public BeatSource {
 public:
  // Beats in a bar: the session quantum the show's bars align to.
  static constexpr double kQuantum = 4.0;

  // start is the moment of the stream's first frame; link must outlive the
  // source.
  LinkTempo(ableton::Link& link, std::chrono::steady_clock::time_point start);
  double position_at(double seconds) override;

 private:
  ableton::Link& link_;
  std::chrono::steady_clock::time_point start_;
  double start_beat_;
};

}  // namespace pipmoves::play::stream

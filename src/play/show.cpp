#include "pipmoves/play/show.hpp"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "pipmoves/play/pip_step.hpp"

namespace pipmoves::play {

Show::Show(std::vector<Cue> cues, Spread spread, Easing easing)
    : cues_(std::move(cues)), spread_(spread), easing_(easing) {
  if (cues_.empty()) {
    throw std::invalid_argument("A show needs at least one cue");
  }
  for (std::size_t i = 0; i < cues_.size(); ++i) {
    const Cue& cue = cues_[i];
    if (cue.start_pip < 0 || (i > 0 && cue.start_pip <= cues_[i - 1].start_pip)) {
      throw std::invalid_argument("Cues must start at increasing positions from 0 on");
    }
    if (i > 0 && cue.start_pip - cues_[i - 1].start_pip < cues_[i - 1].fade_pips) {
      throw std::invalid_argument("A cue's fade must end by the next cue");
    }
    if (cue.fade_pips < 0) {
      throw std::invalid_argument("Fade length must not be negative");
    }
  }
}

std::size_t Show::cue_at(std::int64_t position) const noexcept {
  const auto after = std::upper_bound(cues_.begin(), cues_.end(), position,
                                      [](std::int64_t p, const Cue& cue) { return p < cue.start_pip; });
  return after == cues_.begin() ? 0 : static_cast<std::size_t>(after - cues_.begin()) - 1;
}

void Show::frame(std::int64_t position, std::span<Offset3> out) const {
  const std::size_t index = cue_at(position);
  const Cue& cue = cues_[index];
  const std::int32_t pip = pip_of_position(position);
  if (index > 0 && position - cue.start_pip < cue.fade_pips) {
    const CrossFade fade(cues_[index - 1].pattern, cue.pattern, pip_of_position(cue.start_pip), cue.fade_pips, easing_);
    play::spread(fade, pip, spread_, out);
  } else {
    play::spread(cue.pattern, pip, spread_, out);
  }
}

}  // namespace pipmoves::play

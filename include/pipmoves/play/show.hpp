#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "pipmoves/offset3.hpp"
#include "pipmoves/play/crossfade.hpp"
#include "pipmoves/play/pattern_ref.hpp"
#include "pipmoves/play/spread.hpp"

namespace pipmoves::play {

// One pattern of a show from a position on, faded in from the cue before it.
struct Cue {
  std::int64_t start_pip = 0;
  PatternRef pattern;
  std::int32_t fade_pips = 0;
};

// A running order of cues played on a row of fixtures. Positions count pips
// from the show's start without wrapping; each cue plays from its start to the
// next cue's, the first also before its start. A cue's fade cross-fades from
// the cue before it over the fade's first pips, so a change never jumps.
class Show {
 public:
  // Throws std::invalid_argument:
  // - "A show needs at least one cue";
  // - "Cues must start at increasing positions from 0 on";
  // - "Fade length must not be negative";
  // - "A cue's fade must end by the next cue".
  Show(std::vector<Cue> cues, Spread spread = {}, Easing easing = Easing::smoothstep);

  const std::vector<Cue>& cues() const noexcept { return cues_; }
  const Spread& spread() const noexcept { return spread_; }
  Easing easing() const noexcept { return easing_; }

  // The cue playing at a position: the last to start at or before it.
  std::size_t cue_at(std::int64_t position) const noexcept;

  // One row per fixture at a position, out.size() fixtures. Throws as
  // spread() does for too many rows.
  void frame(std::int64_t position, std::span<Offset3> out) const;

 private:
  std::vector<Cue> cues_;
  Spread spread_;
  Easing easing_;
};

}  // namespace pipmoves::play

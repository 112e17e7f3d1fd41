#pragma once

// How a drum event moves an axis: an asymmetric raised cosine that rises over
// the attack half-width before the event and falls over the release after it.

#include <array>
#include <cmath>

#include "shaping.hpp"
#include "score.hpp"

namespace pipmoves::authoring::grooves {

struct HalfWidths {
  double attack;   // pips before the event
  double release;  // pips after it
};

inline constexpr HalfWidths in_beats(double attack, double release) {
  return {attack * kBeat, release * kBeat};
}

// Per event class, in the order of EventClass. perc5 is the finer grain of the
// dancefloor grooves.
inline constexpr std::array<HalfWidths, kEventClasses> kClassShape = {
    in_beats(0.1, 0.46),    // kick
    in_beats(0.1, 0.36),    // clap
    in_beats(0.09, 0.32),   // snare
    in_beats(0.09, 0.28),   // perc1
    in_beats(0.08, 0.2),    // perc2
    in_beats(0.075, 0.14),  // perc3
    in_beats(0.07, 0.17),   // perc4
    in_beats(0.07, 0.12),   // perc5
};

// The two bump sizes of the dancefloor moves.
inline constexpr HalfWidths kSmallBump = in_beats(0.07, 0.16);
inline constexpr HalfWidths kLargeBump = in_beats(0.1, 0.32);

// Weight at signed distance d (pips after the event; negative before it).
inline double event_shape(double d, HalfWidths w) {
  if (d > -w.attack && d <= 0.0) {
    return (1.0 + std::cos(kPi * d / w.attack)) / 2.0;
  }
  if (d >= 0.0 && d < w.release) {
    return (1.0 + std::cos(kPi * d / w.release)) / 2.0;
  }
  return 0.0;
}

// Weight of an event at pip i of a loop, the distance taken around the loop.
inline double event_weight(const Event& e, double i, HalfWidths w, int period) {
  return event_shape(loop_distance(i, e.t, period), w);
}

inline double class_weight(const Event& e, double i, int period) {
  return event_weight(e, i, kClassShape[static_cast<std::size_t>(class_index(e.cls))], period);
}

}  // namespace pipmoves::authoring::grooves

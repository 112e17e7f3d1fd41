#pragma once

// Moves: ways of turning a groove's drum score into motion on three axes.
// Each gives a groove's raw table before its family is fitted to its range.

#include <functional>
#include <string_view>
#include <vector>

#include "family_scale.hpp"
#include "score.hpp"

namespace pipmoves::authoring::grooves {

struct Score {
  int period;
  std::vector<Event> events;
};

Score score_of(const Groove& groove);

// The four club moves. Bounce and step keep the kicks, claps and snares
// exactly and fit only the percussion; orbit and glide are fitted whole.
SplitTable club_bounce(const Score& score);
SplitTable club_step(const Score& score);
Table club_orbit(const Score& score);
Table club_glide(const Score& score);

// The same four moves as the dancefloor grooves play them: their own
// amplitudes, the finer perc5 grain, and an orbit whose speed follows the
// events.
Table groove_bounce(const Score& score);
Table groove_step(const Score& score);
Table groove_orbit(const Score& score);
Table groove_glide(const Score& score);

// The twelve dancefloor moves, in pack order.
Table surge(const Score& score);
Table recoil(const Score& score);
Table flutter(const Score& score);
Table dive(const Score& score);
Table pendulum(const Score& score);
Table figure8(const Score& score);
Table box(const Score& score);
Table corkscrew(const Score& score);
Table spiral(const Score& score);
Table slalom(const Score& score);
Table spring(const Score& score);
Table ricochet(const Score& score);

// Shared by the moves: the kinds of event they read.
bool is_kick(const Event& e);
bool is_backbeat(const Event& e);  // snares and claps
bool is_main(const Event& e);      // kicks, snares and claps
bool is_upper(const Event& e);     // hats, shakers and ticks
bool is_low(const Event& e);       // bass, sub and crash onsets
bool is_percussion(const Event& e);
bool is_colour(const Event& e);    // toms, hand drums, rims, claves, bells, bass

// A signal of one value per pip of a loop, lagged through two one-pole stages
// of time constant `lag` pips and run around the loop until what it carries
// in from before the loop has faded: it follows the signal causally, rises
// and falls without corners, and closes at the seam.
std::vector<double> lagged_around_loop(const std::vector<double>& signal, double lag);

// Activity as a body with weight feels it: each event's share of its
// velocity under its class's shape, lagged behind the events (16 pips a
// stage) and eased into [0, 1) by a tanh knee. It rises after an event and
// sinks back without stepping, and never plateaus the way a limit would.
std::vector<double> felt_activity(const Score& score, const std::function<double(const Event&)>& share);

// A path through one value per onset: from each onset it travels smoothly
// from the previous onset's value to its own, arriving at the next onset.
// Onsets less than a sixteenth apart count once, the last of them giving the
// value, so every glide lasts at least a sixteenth.
struct Onset {
  double t;
  double value;
};
double onset_glide(const std::vector<Onset>& onsets, double i, int period);

// Where pip i lies between onsets: the index of the last onset at or before
// it (around the loop) and the fraction of the way to the next one.
struct OnsetProgress {
  std::size_t index;
  double fraction;
};
OnsetProgress onset_progress(const std::vector<Onset>& onsets, double i, int period);

}  // namespace pipmoves::authoring::grooves

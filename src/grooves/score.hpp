#pragma once

// Drum scores of the club and dancefloor grooves. A score is a list of events
// (time in pips, class, velocity, side); it is written as lanes of steps, one
// character a step, and read into events once.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "pipmoves/pip.hpp"

namespace pipmoves::authoring::grooves {

// The classes an event shape and a move's amplitudes are chosen by. Which
// instruments share a class:
//   perc1  toms, congas and other hand drums
//   perc2  rims, claves, cowbells, bells, woodblocks
//   perc3  closed and open hats, rides, shakers
//   perc4  bass, sub and 808 onsets, crashes: the low-end and wash cues
//   perc5  ticks and fine shaker grains (the dancefloor grooves only)
enum class EventClass { kick, clap, snare, perc1, perc2, perc3, perc4, perc5 };
inline constexpr int kEventClasses = 8;

inline constexpr int class_index(EventClass c) { return static_cast<int>(c); }

struct Event {
  double t;  // pips from the start of the loop, fractions allowed
  EventClass cls;
  double velocity;  // 1 a full hit
  int side;         // +1 right, -1 left, 0 centre
};

// Instruments of the score notation, each with its class.
struct Instrument {
  std::string_view name;
  EventClass cls;
};

inline constexpr Instrument kick{"kick", EventClass::kick};
inline constexpr Instrument clap{"clap", EventClass::clap};
inline constexpr Instrument snare{"snare", EventClass::snare};
inline constexpr Instrument tom{"tom", EventClass::perc1};
inline constexpr Instrument conga{"conga", EventClass::perc1};
inline constexpr Instrument rim{"rim", EventClass::perc2};
inline constexpr Instrument clave{"clave", EventClass::perc2};
inline constexpr Instrument bell{"bell", EventClass::perc2};
inline constexpr Instrument hat{"hat", EventClass::perc3};
inline constexpr Instrument open_hat{"open_hat", EventClass::perc3};
inline constexpr Instrument ride{"ride", EventClass::perc3};
inline constexpr Instrument shaker{"shaker", EventClass::perc3};
inline constexpr Instrument bass{"bass", EventClass::perc4};
inline constexpr Instrument sub{"sub", EventClass::perc4};
inline constexpr Instrument crash{"crash", EventClass::perc4};
inline constexpr Instrument tick{"tick", EventClass::perc5};

// Every instrument of the notation, in the order above.
inline constexpr std::array<Instrument, 16> kInstruments = {kick, clap,     snare, tom,    conga, rim,  clave, bell,
                                                            hat,  open_hat, ride,  shaker, bass,  sub,  crash, tick};

// Step notation, one character a step ('|' and ' ' only help reading):
//   R L C  a full hit (velocity 1) leaning right, left or centred
//   r l c  a softer hit (velocity 0.85)
//   > < o  a ghost (velocity 0.4)
//   .      rest
// A lane shorter than the loop repeats; its length must divide the loop.
inline constexpr double kSoftVelocity = 0.85;
inline constexpr double kGhostVelocity = 0.4;
inline constexpr double kSixteenth = PIPS_PER_BEAT / 4.0;
inline constexpr double kSixteenthTriplet = PIPS_PER_BEAT / 6.0;
inline constexpr double kThirtySecond = PIPS_PER_BEAT / 8.0;

struct Lane {
  Instrument instrument;
  std::string_view steps;
  double step = kSixteenth;  // pips per step
  double swing = 0.0;        // pips every odd step is played late
  double offset = 0.0;       // pips the whole lane is played late
};

struct Groove {
  std::string_view name;
  int period;
  std::string_view heading;
  std::string_view note;  // empty when the groove has none
  std::vector<Lane> lanes;
};

// The events of a groove's lanes, sorted by time. Throws std::invalid_argument
// naming the groove when a lane does not fit its loop or holds an unknown step.
std::vector<Event> score_events(const Groove& groove);

// The grooves in pack order: the 36 club grooves, and the 32 further grooves
// of the dancefloor pack.
const std::vector<Groove>& club_grooves();
const std::vector<Groove>& dancefloor_grooves();

}  // namespace pipmoves::authoring::grooves

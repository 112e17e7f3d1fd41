#pragma once

// What a stored move may do and still be followed by a moving head or an
// animation rig. Times are in pips: at 120 bpm one pip lasts about 7.8 ms, so
// a DMX fixture refreshed at 44 Hz sees a new frame every three pips or so.

#include <cstddef>
#include <span>
#include <string_view>

namespace pipmoves::motion {

// An axis whose whole travel is below this (in offset units, of the span 2
// from -1 to 1) is still for the figures: shares of so small a travel say
// nothing a viewer could see.
inline constexpr double kStillAxis = 0.02;

// Largest step between neighbouring pips, as a share of the axis' travel. The
// fastest designed motion is a drum hit: the shortest attack of the groove
// moves (4.48 pips, the upper percussion) covers at most pi / 8.96 = 35 % of
// its travel in one pip, and a fixture follows it as a flick. Anything faster
// moves further in one pip than any hit and reads as a teleport.
inline constexpr double kLargestStep = 0.36;

// A velocity break is a change of speed at one pip of at least
// kBreakFloor of the travel (half a percent per pip: about one coarse 8-bit
// DMX step of the axis' travel, below which a fixture cannot show it) and at
// least kBreakContrast times the change at any pip within two on either
// side. Smooth curves, hits and eased legs change speed over several pips, so
// their neighbours change about as much; a corner (a motion that starts at
// full speed) changes it all at once. A corner falling midway between two
// pips splits over both and is not counted.
inline constexpr double kBreakFloor = 0.005;
inline constexpr double kBreakContrast = 3.0;
// Breaks allowed in one period: none. A corner is a jerk the fixture's motor
// either shows or smooths into a lag behind the beat.
inline constexpr int kBreaksAllowed = 0;

// Speed through zero: the step after a zero crossing over the step before it,
// against the trend of the steps around it, typical over the crossings of an
// axis in every row of a group (their median). An axis passes zero at speed,
// so a change of speed there is seen; beyond 10 % at crossing after crossing
// it reads as a hitch at the centre. Crossings slower than kCrossingFloor of the travel per pip are
// skipped: the axis is then turning, not passing.
inline constexpr double kZeroCrossingChange = 1.10;
inline constexpr double kCrossingFloor = 0.002;
// Only a steady passage counts: three steps on each side within this ratio of
// one another. Inside a hit speed changes from pip to pip by design.
inline constexpr double kSteadyPassage = 1.1;
// A speed several times higher after the crossing than before is a hit that
// starts as the axis drifts through zero; the step and break figures judge it.
inline constexpr double kHitOnset = 3.0;
// A median over fewer steady crossings than this is not typical: one hit
// landing on one of them would be the figure. An axis whose group crosses
// zero steadily fewer times is not read (a ring that decays as it passes zero
// is never steady there).
inline constexpr std::size_t kTypicalCrossings = 3;

// Seam step against the largest step inside the period: a loop must close
// without a jump it does not also make within the period.
inline constexpr double kSeamRatio = 1.0;

// Two tables of one period closer than this at every pip and axis (0.25 % of
// the span, under one degree of a 540-degree pan) are the same move twice.
inline constexpr double kNearDuplicate = 0.005;

// Rows whose shape a rule fixes exactly, including its corners: the motion
// criteria are not applied to them. Only rows that fail a criterion because of
// the rule are listed.
struct RuleShaped {
  std::string_view name;
  std::string_view why;
};

bool rule_shaped(std::string_view name);
std::span<const RuleShaped> rule_shaped_rows();

}  // namespace pipmoves::motion

#pragma once

// The few entities of the Open Fixture Library format that the mapping reads:
// angles in degrees, DMX values given as numbers or percentages, and how fast
// a pan/tilt speed or move time makes a head move.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pipmoves::play::rig {

// "540deg" or "-12.5deg" as degrees; nothing for any other text (a percentage,
// a keyword).
std::optional<double> degrees_of(std::string_view text);

// A channel's defaultValue (a whole number or "50%") as a DMX value of the
// given number of bytes, percentages rounded halves up. Throws
// std::invalid_argument for anything else or a value above the top.
std::uint32_t dmx_value_of(const nlohmann::ordered_json& value, int bytes);

// How fast a capability end moves the head, comparable across one channel:
// a zero move time tops everything, then speeds by their share of full speed
// ("fast" is 100 %, "slow" 1 %, "stop" 0, and no share tops 100 %), then move
// times, the shorter the faster.
struct Fastness {
  int tier = 0;
  double score = 0.0;

  friend bool operator<(const Fastness& a, const Fastness& b) {
    return a.tier != b.tier ? a.tier < b.tier : a.score < b.score;
  }
};

// A PanTiltSpeed capability's speed (for speed) or move time (otherwise).
// Throws std::invalid_argument for units that cannot be ranked (Hz, bpm,
// time given as a percentage or as "short"/"long").
Fastness fastness_of_speed(std::string_view text);
Fastness fastness_of_duration(std::string_view text);

}  // namespace pipmoves::play::rig

#pragma once

// Finding the club and dancefloor rows of the pack table, and reading the
// drum scores they were made from.

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "../../src/grooves/score.hpp"
#include "pipmoves/pack_table.hpp"

namespace pipmoves::testing {

inline std::optional<std::size_t> row_number(std::string_view name) {
  const auto table = pack_table();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].name == name) {
      return i;
    }
  }
  return std::nullopt;
}

inline const PackEntry& row_named(std::string_view name) {
  const std::optional<std::size_t> at = row_number(name);
  if (!at) {
    throw std::invalid_argument("no row " + std::string(name));
  }
  return pack_table()[*at];
}

inline double axis_of(const Offset3& o, int axis) { return axis == 0 ? o.x : axis == 1 ? o.y : o.z; }

// Whether a row peaks at every full or soft event of a class in the groove's
// score: on y upwards, on x towards the event's side. Events of other classes
// overlap and may shift the crest by a pip or two, so the crest must lie
// within kCrestDrift pips of the event, inside a window wider than the event's
// attack, and the event's own pip must come within a tenth of it.
inline constexpr int kCrestDrift = 2;
inline constexpr int kCrestWindow = 8;

inline ::testing::AssertionResult PeaksAtEvents(const authoring::grooves::Groove& groove, std::string_view move,
                                                authoring::grooves::EventClass cls, int axis) {
  using authoring::grooves::Event;
  const std::string name = "beat_" + std::string(groove.name) + "_" + std::string(move);
  const PackEntry& row = row_named(name);
  int checked = 0;
  for (const Event& e : authoring::grooves::score_events(groove)) {
    const double lean = axis == 1 ? 1.0 : e.side;
    if (e.cls != cls || e.velocity < authoring::grooves::kSoftVelocity || lean == 0.0) {
      continue;
    }
    const int t = static_cast<int>(std::lround(e.t));
    const auto at = [&](int pip) { return lean * axis_of(row.sampler(pip), axis); };
    int crest = t;
    for (int pip = t - kCrestWindow; pip <= t + kCrestWindow; ++pip) {
      if (at(pip) > at(crest)) {
        crest = pip;
      }
    }
    if (std::abs(crest - t) > kCrestDrift || !(at(t) > 0.0) || !(at(t) >= 0.9 * at(crest))) {
      return ::testing::AssertionFailure() << name << ": event at pip " << e.t << " (side " << e.side
                                           << ") is no peak: " << at(t) << " there, " << at(crest) << " at pip "
                                           << crest;
    }
    ++checked;
  }
  if (checked == 0 && cls == authoring::grooves::EventClass::kick) {
    return ::testing::AssertionFailure() << name << ": no kick to check";
  }
  return ::testing::AssertionSuccess() << checked << " events";
}

}  // namespace pipmoves::testing

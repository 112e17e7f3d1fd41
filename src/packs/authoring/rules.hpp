#pragma once

// Rule builders shared by the packs: a table from a closed curve of the
// phase, from keyframes, from pulse trains, or fitted to a stated range.

#include <string_view>
#include <utility>
#include <vector>

#include "family_fit.hpp"
#include "pack.hpp"

namespace pipmoves::authoring {

// A closed curve of the phase θ = 2π i / p.
template <typename F>
Rule curve(F f) {
  return [f](const RowContext& c) { return tabulate(c.period, [&](int i) { return f(phase(i, c.period)); }); };
}

// Keyframe curves per axis; an empty list keeps that axis at zero.
inline Rule keyframes(std::vector<Keyframe> x, std::vector<Keyframe> y = {}, std::vector<Keyframe> z = {}) {
  return [x, y, z](const RowContext& c) {
    const auto axis = [](const std::vector<Keyframe>& keys, int i) { return keys.empty() ? 0.0 : keyframe_curve(keys, i); };
    return tabulate(c.period, [&](int i) { return Offset3{axis(x, i), axis(y, i), axis(z, i)}; });
  };
}

inline Rule pulses(std::vector<Pulse> train) {
  return [train](const RowContext& c) { return pulse_table(train, c.period); };
}

// Onset j of k spread over n steps lies on step ceil(j n / k).
inline std::vector<double> euclid_onsets(int k, int n, double span) {
  std::vector<double> onsets;
  for (int j = 0; j < k; ++j) {
    onsets.push_back(((j * n + k - 1) / k) * span / n);
  }
  return onsets;
}

// +1, -1, +1, ... for the j-th event.
inline double alternating(int j) { return j % 2 == 0 ? 1.0 : -1.0; }

// Right-hand strokes lean positive on x, left-hand strokes negative. Spaces
// in a sticking only group it for reading.
inline std::vector<double> hand_signs(std::string_view sticking) {
  std::vector<double> signs;
  for (char hand : sticking) {
    if (hand == 'R' || hand == 'L') {
      signs.push_back(hand == 'R' ? 1.0 : -1.0);
    }
  }
  return signs;
}

// The rule's table scaled alone onto the ranges, such as "x -0.8 to 0.8".
inline Rule fit(Rule rule, std::string_view ranges) {
  return [rule, targets = fit_targets(ranges)](const RowContext& c) { return fitted(rule(c), targets); };
}

// A row scaled onto its own stated ranges, which are then checked on it.
inline Row fitted_to_ranges(Row row, std::string ranges) {
  row.rule = fit(std::move(row.rule), ranges);
  return with_ranges(std::move(row), std::move(ranges));
}

inline Rule normalised(Rule rule, double peak) {
  return [rule, peak](const RowContext& c) { return peak_normalised(rule(c), peak); };
}

inline constexpr int X = 0;
inline constexpr int Y = 1;
inline constexpr int Z = 2;

}  // namespace pipmoves::authoring

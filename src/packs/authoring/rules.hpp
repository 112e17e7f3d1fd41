#pragma once

// Rule builders shared by the packs: a table from a closed curve of the
// phase, from keyframes, from pulse trains, or fitted to a stated range.

#include <initializer_list>
#include <string_view>
#include <utility>
#include <vector>

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

// Applies fitted() to each axis named with its stated low and high.
struct AxisFit {
  int axis;
  double low;
  double high;
};

inline Rule fit(Rule rule, std::initializer_list<AxisFit> fits) {
  std::vector<AxisFit> all(fits);
  return [rule, all](const RowContext& c) {
    Table table = rule(c);
    for (const AxisFit& f : all) {
      table = fitted(std::move(table), f.axis, f.low, f.high);
    }
    return table;
  };
}

inline Rule normalised(Rule rule, double peak) {
  return [rule, peak](const RowContext& c) { return peak_normalised(rule(c), peak); };
}

inline constexpr int X = 0;
inline constexpr int Y = 1;
inline constexpr int Z = 2;

}  // namespace pipmoves::authoring

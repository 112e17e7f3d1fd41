#pragma once

// Shaping primitives for authoring stored patterns. A rule computes a raw
// table of one Offset3 per pip; the generator rounds and checks it.

#include <algorithm>
#include <cmath>
#include <numbers>
#include <span>
#include <vector>

#include "pipmoves/offset3.hpp"
#include "pipmoves/pip.hpp"

namespace pipmoves::authoring {

using Table = std::vector<Offset3>;

inline constexpr double kPi = std::numbers::pi;

// Pips in a beat and in a four-beat bar.
inline constexpr double kBeat = PIPS_PER_BEAT;
inline constexpr double kBar = 4 * kBeat;

// One full turn over the period.
inline double phase(double i, int period) { return 2.0 * kPi * i / period; }

inline double smoothstep(double u) { return u * u * (3.0 - 2.0 * u); }

inline double smootherstep(double u) { return u * u * u * (10.0 - 15.0 * u + 6.0 * u * u); }

// Fills one table entry per pip from f(i).
template <typename F>
Table tabulate(int period, F&& f) {
  Table table(static_cast<std::size_t>(period));
  for (int i = 0; i < period; ++i) {
    table[static_cast<std::size_t>(i)] = f(i);
  }
  return table;
}

// Signed distance from t to i taken around the loop, in [-period/2, period/2).
inline double loop_distance(double i, double t, int period) {
  const double p = period;
  double d = std::fmod(i - t, p);
  if (d < -p / 2) {
    d += p;
  }
  if (d >= p / 2) {
    d -= p;
  }
  return d;
}

// Raised-cosine weight of a pulse at t with half-width h, seen from pip i.
inline double pulse_weight(double i, double t, double h, int period) {
  const double d = loop_distance(i, t, period);
  return std::fabs(d) < h ? (1.0 + std::cos(kPi * d / h)) / 2.0 : 0.0;
}

struct Pulse {
  double t;          // event time in pips, fractions allowed
  double half_width; // in pips
  Offset3 amplitude;
};

// Overlapping pulses add.
inline Offset3 pulse_train(std::span<const Pulse> pulses, double i, int period) {
  Offset3 sum;
  for (const Pulse& pulse : pulses) {
    const double w = pulse_weight(i, pulse.t, pulse.half_width, period);
    sum.x += pulse.amplitude.x * w;
    sum.y += pulse.amplitude.y * w;
    sum.z += pulse.amplitude.z * w;
  }
  return sum;
}

inline Table pulse_table(std::span<const Pulse> pulses, int period) {
  return tabulate(period, [&](int i) { return pulse_train(pulses, i, period); });
}

struct Keyframe {
  double pip;
  double value;
};

// Smootherstep between consecutive keyframes; the last keyframe sits at the
// period and repeats the first, so the curve closes. Equal neighbours hold.
inline double keyframe_curve(std::span<const Keyframe> keys, double i) {
  for (std::size_t k = 1; k < keys.size(); ++k) {
    if (i <= keys[k].pip) {
      const Keyframe& a = keys[k - 1];
      const Keyframe& b = keys[k];
      return a.value + (b.value - a.value) * smootherstep((i - a.pip) / (b.pip - a.pip));
    }
  }
  return keys.back().value;
}

inline double& component(Offset3& o, int axis) { return axis == 0 ? o.x : axis == 1 ? o.y : o.z; }
inline double component(const Offset3& o, int axis) { return axis == 0 ? o.x : axis == 1 ? o.y : o.z; }

inline double peak_magnitude(const Table& table) {
  double peak = 0.0;
  for (const Offset3& o : table) {
    peak = std::max({peak, std::fabs(o.x), std::fabs(o.y), std::fabs(o.z)});
  }
  return peak;
}

// Scales the whole table so its largest magnitude on any axis is exactly peak.
inline Table peak_normalised(Table table, double peak) {
  const double scale = peak / peak_magnitude(table);
  for (Offset3& o : table) {
    o.x *= scale;
    o.y *= scale;
    o.z *= scale;
  }
  return table;
}

}  // namespace pipmoves::authoring

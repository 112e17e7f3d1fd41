#pragma once

// How a family's gains scale one row: the split of a raw table into a part
// kept exactly and a part scaled, and the map each axis of the scaled part
// goes through, f(v) = v G(v), with a gain G that changes smoothly from one
// side's to the other's. The gains are solved at build time by the fit
// engine; a show only applies them.

#include <array>
#include <cmath>
#include <limits>
#include <optional>

#include "shaping.hpp"

namespace pipmoves::authoring {

struct SplitTable {
  Table kept;    // a rule's exact contribution, never scaled
  Table scaled;  // scaled by the family's gains
};

struct AxisTarget {
  double low;
  double high;
};

// Per axis: the extremes to reach, or nothing for an axis left as it is.
using FitTargets = std::array<std::optional<AxisTarget>, 3>;

// The map of one axis: f(raw.high) = positive * raw.high and f(raw.low) =
// negative * raw.low, where raw holds the scaled part's extremes over the
// family; with one side empty, f is that side's gain alone. Between them the
// gain changes linearly in v, or over the width around zero where a linear
// change would make f fold back.
struct AxisScale {
  double negative = 1.0;
  double positive = 1.0;
  AxisTarget raw{0.0, 0.0};
  double width = std::numeric_limits<double>::infinity();
  // With the ratio rule, the targets the raw extremes become exactly.
  std::optional<AxisTarget> targets;
};
using FamilyScale = std::array<AxisScale, 3>;

Table apply_scale(const SplitTable& row, const FamilyScale& scale);

// The map itself, inline because the fit engine runs it millions of times
// while it searches for gains. Zero stays zero, and the speed through zero is
// G(0) from both sides, where separate gains would change speed there.
namespace scale_map {

inline bool two_sided(const AxisScale& a) { return a.raw.high > 0.0 && a.raw.low < 0.0; }

// Where v lies on the way from the raw low extreme (0) to the high one (1).
inline double blend(double v, const AxisScale& a) {
  if (std::isinf(a.width)) {
    return (v - a.raw.low) / (a.raw.high - a.raw.low);
  }
  const double low = std::tanh(a.raw.low / a.width);
  const double high = std::tanh(a.raw.high / a.width);
  return (std::tanh(v / a.width) - low) / (high - low);
}

inline double mapped(double v, double share, const AxisScale& a) {
  if (!two_sided(a)) {
    return v * (a.raw.high > 0.0 ? a.positive : a.negative);
  }
  return v * (a.negative + (a.positive - a.negative) * share);
}

inline double scaled_value(double kept, double scaled, double share, const AxisScale& a) {
  if (a.targets) {
    // The ratio rule, on an axis without a kept part: the raw extremes land
    // on the targets exactly.
    if (scaled == a.raw.high && scaled > 0.0) {
      return a.targets->high;
    }
    if (scaled == a.raw.low && scaled < 0.0) {
      return a.targets->low;
    }
    return mapped(scaled, share, a);
  }
  return kept + mapped(scaled, share, a);
}

inline double scaled_value(double kept, double scaled, const AxisScale& a) {
  return scaled_value(kept, scaled, two_sided(a) ? blend(scaled, a) : 0.0, a);
}

}  // namespace scale_map
}  // namespace pipmoves::authoring

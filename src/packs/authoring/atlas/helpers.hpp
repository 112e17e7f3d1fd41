#pragma once

// Shaping helpers of the atlas pack beyond the shared primitives.

#include <algorithm>
#include <cmath>
#include <vector>

#include "../rules.hpp"

namespace pipmoves::authoring::atlas {

// Maps one axis affinely so its smallest value lands on low and its largest
// on high: the shape is kept exactly, without a kink at zero.
inline Table spanned(Table table, int axis, double low, double high) {
  const auto [lowest, highest] = std::minmax_element(
      table.begin(), table.end(), [axis](const Offset3& a, const Offset3& b) { return component(a, axis) < component(b, axis); });
  const double from = component(*lowest, axis);
  const double gain = (high - low) / (component(*highest, axis) - from);
  for (Offset3& o : table) {
    component(o, axis) = low + (component(o, axis) - from) * gain;
  }
  return table;
}

struct AxisSpan {
  int axis;
  double low;
  double high;
};

// Applies spanned() to each axis named with its low and high.
inline Rule spanning(Rule rule, std::vector<AxisSpan> spans) {
  return [rule, spans](const RowContext& c) {
    Table table = rule(c);
    for (const AxisSpan& s : spans) {
      table = spanned(std::move(table), s.axis, s.low, s.high);
    }
    return table;
  };
}

// A smooth periodic bump centred on `centre`, 1 there and falling towards 0
// elsewhere; larger sharpness makes it narrower.
inline double bump(double theta, double centre, double sharpness) {
  return std::exp(sharpness * (std::cos(theta - centre) - 1.0));
}

// A closed Catmull-Rom curve through `points` control values spread evenly
// over the period: it passes through every point and turns smoothly.
template <typename Point>
double closed_spline(const Point& point, int points, double i, int period) {
  const double position = i * points / period;
  const int k = static_cast<int>(std::floor(position));
  const double u = position - k;
  const auto p = [&](int j) { return point(((j % points) + points) % points); };
  const double p0 = p(k - 1), p1 = p(k), p2 = p(k + 1), p3 = p(k + 2);
  return 0.5 * ((2.0 * p1) + (-p0 + p2) * u + (2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3) * u * u +
                (-p0 + 3.0 * p1 - 3.0 * p2 + p3) * u * u * u);
}

}  // namespace pipmoves::authoring::atlas

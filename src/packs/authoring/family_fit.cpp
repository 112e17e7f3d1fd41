#include "family_fit.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>

#include "common/stated_ranges.hpp"

namespace pipmoves::authoring {
namespace {

constexpr double kLargestGain = 1e6;
constexpr int kBisections = 200;
constexpr int kRounds = 40;
// How many times the width over which a map's gain turns may halve.
constexpr int kNarrowings = 12;
// How close a searched family's extremes must come to the stated ones before
// the twelve-place rounding.
constexpr double kReach = 1e-10;

using scale_map::blend;
using scale_map::mapped;
using scale_map::scaled_value;
using scale_map::two_sided;

struct Point {
  double kept;
  double scaled;
  double share = 0.0;  // blend(scaled) for the map's current width
};

void set_width(std::vector<Point>& points, AxisScale& a, double width) {
  a.width = width;
  for (Point& p : points) {
    p.share = two_sided(a) ? blend(p.scaled, a) : 0.0;
  }
}

std::vector<Point> axis_points(const std::vector<SplitTable>& rows, int axis) {
  std::vector<Point> points;
  for (const SplitTable& row : rows) {
    for (std::size_t i = 0; i < row.kept.size(); ++i) {
      points.push_back({component(row.kept[i], axis), component(row.scaled[i], axis)});
    }
  }
  return points;
}

AxisTarget extremes(const std::vector<Point>& points, const AxisScale& a) {
  AxisTarget e{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
  for (const Point& p : points) {
    const double v = scaled_value(p.kept, p.scaled, p.share, a);
    e.low = std::min(e.low, v);
    e.high = std::max(e.high, v);
  }
  return e;
}

// The largest gain in [0, kLargestGain] for which within(gain) holds, given
// that it holds at 0 and fails beyond some gain.
template <typename Within>
double largest_gain(Within within) {
  if (within(kLargestGain)) {
    return kLargestGain;
  }
  double lo = 0.0;
  double hi = kLargestGain;
  for (int k = 0; k < kBisections && hi - lo > 0.0; ++k) {
    const double mid = lo + (hi - lo) / 2.0;
    if (mid == lo || mid == hi) {
      break;
    }
    (within(mid) ? lo : hi) = mid;
  }
  return lo;
}

std::string show(double v) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.6f", v);
  return buffer;
}

std::string axis_name(int axis) { return std::string(1, static_cast<char>('x' + axis)); }

// Whether the map keeps the order of values over the raw span, checked on a
// fine grid. An axis with nothing scaled has no order to keep.
bool monotonic(const AxisScale& a) {
  if (a.raw.low == a.raw.high) {
    return true;
  }
  constexpr int kSteps = 4096;
  double previous = -std::numeric_limits<double>::infinity();
  for (int j = 0; j <= kSteps; ++j) {
    const double v = a.raw.low + (a.raw.high - a.raw.low) * j / kSteps;
    const double f = mapped(v, two_sided(a) ? blend(v, a) : 0.0, a);
    if (!(f > previous)) {
      return false;
    }
    previous = f;
  }
  return true;
}

// The widths over which the gain may turn, from the widest (a straight line
// in v) down to a small share of the span.
std::vector<double> widths(const AxisTarget& raw) {
  std::vector<double> out{std::numeric_limits<double>::infinity()};
  double w = raw.high - raw.low;
  for (int k = 0; k <= kNarrowings; ++k, w /= 2.0) {
    out.push_back(w);
  }
  return out;
}

[[noreturn]] void folds(const std::string& family, const AxisScale& a, int axis) {
  throw std::runtime_error(family + ": axis " + axis_name(axis) + " needs gains " + show(a.negative) + " and " +
                           show(a.positive) + " on its two sides, too far apart for a map that keeps the order "
                           "of values from " + show(a.raw.low) + " to " + show(a.raw.high));
}

AxisTarget raw_extremes(const std::vector<Point>& points) {
  AxisTarget reached{0.0, 0.0};
  for (const Point& p : points) {
    reached.low = std::min(reached.low, p.scaled);
    reached.high = std::max(reached.high, p.scaled);
  }
  return reached;
}

// Each side's gain is target over extreme; zero stays zero.
AxisScale ratio_scale(const std::string& family, const std::vector<Point>& points, const AxisTarget& target,
                      int axis) {
  const AxisTarget reached = raw_extremes(points);
  if ((reached.high == 0.0 && target.high > 0.0) || (reached.low == 0.0 && target.low < 0.0)) {
    throw std::runtime_error(family + ": axis " + axis_name(axis) + " spans " + show(reached.low) + " to " +
                             show(reached.high) + " and cannot reach " + show(target.low) + " to " +
                             show(target.high));
  }
  AxisScale a;
  a.positive = reached.high > 0.0 ? target.high / reached.high : 1.0;
  a.negative = reached.low < 0.0 ? target.low / reached.low : 1.0;
  a.raw = reached;
  a.targets = target;
  for (const double width : widths(a.raw)) {
    a.width = width;
    if (monotonic(a)) {
      return a;
    }
  }
  folds(family, a, axis);
}

// Each side's gain is the largest that keeps kept + f(scaled) within the
// target; each side's gain also moves the other side a little, so rounds
// repeat until neither changes.
AxisScale searched_scale(const std::string& family, std::vector<Point> points, const AxisTarget& target, int axis) {
  AxisScale g;
  g.raw = raw_extremes(points);
  const bool has_positive = std::any_of(points.begin(), points.end(), [](const Point& p) { return p.scaled > 0.0; });
  const bool has_negative = std::any_of(points.begin(), points.end(), [](const Point& p) { return p.scaled < 0.0; });
  AxisScale none;
  none.raw = g.raw;
  none.positive = 0.0;
  none.negative = 0.0;
  const AxisTarget kept = extremes(points, none);
  if (kept.high > target.high + kReach || kept.low < target.low - kReach) {
    throw std::runtime_error(family + ": the exact part alone spans " + show(kept.low) + " to " + show(kept.high) +
                             " on axis " + axis_name(axis));
  }
  for (const double width : widths(g.raw)) {
    set_width(points, g, width);
    for (int round = 0; round < kRounds; ++round) {
      const AxisScale before = g;
      if (has_positive) {
        g.positive = largest_gain([&](double gain) {
          AxisScale trial = g;
          trial.positive = gain;
          return extremes(points, trial).high <= target.high;
        });
      }
      if (has_negative) {
        g.negative = largest_gain([&](double gain) {
          AxisScale trial = g;
          trial.negative = gain;
          return extremes(points, trial).low >= target.low;
        });
      }
      if (g.positive == before.positive && g.negative == before.negative) {
        break;
      }
    }
    if (!monotonic(g)) {
      continue;
    }
    const AxisTarget reached = extremes(points, g);
    if (std::fabs(reached.high - target.high) > kReach || std::fabs(reached.low - target.low) > kReach) {
      throw std::runtime_error(family + ": axis " + axis_name(axis) + " reaches " + show(reached.low) + " to " +
                               show(reached.high) + ", not " + show(target.low) + " to " + show(target.high));
    }
    return g;
  }
  folds(family, g, axis);
}

}  // namespace

FitTargets fit_targets(std::string_view ranges) {
  const packs::StatedRanges stated = packs::parse_stated_ranges(ranges);
  FitTargets targets;
  for (std::size_t axis = 0; axis < 3; ++axis) {
    if (!stated[axis]) {
      continue;
    }
    if (stated[axis]->within) {
      throw std::invalid_argument("a 'within' bound is no target to fit: '" + std::string(ranges) + "'");
    }
    targets[axis] = AxisTarget{stated[axis]->low.value, stated[axis]->high.value};
  }
  return targets;
}

FamilyScale solve_family_scale(const std::string& family, const std::vector<SplitTable>& rows,
                               const FitTargets& targets, GainRule rule) {
  FamilyScale scale;
  for (int axis = 0; axis < 3; ++axis) {
    const auto& target = targets[static_cast<std::size_t>(axis)];
    if (!target) {
      continue;
    }
    const std::vector<Point> points = axis_points(rows, axis);
    const bool kept = std::any_of(points.begin(), points.end(), [](const Point& p) { return p.kept != 0.0; });
    scale[static_cast<std::size_t>(axis)] = rule == GainRule::ratio && !kept
                                                ? ratio_scale(family, points, *target, axis)
                                                : searched_scale(family, points, *target, axis);
  }
  return scale;
}

std::string describe_extremes(const std::vector<SplitTable>& rows, const std::vector<std::string>& names,
                              const FamilyScale& scale) {
  std::string out;
  for (int axis = 0; axis < 3; ++axis) {
    double low = 0.0;
    double high = 0.0;
    std::string at_low;
    std::string at_high;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      for (std::size_t i = 0; i < rows[r].kept.size(); ++i) {
        const double v = scaled_value(component(rows[r].kept[i], axis), component(rows[r].scaled[i], axis),
                                      scale[static_cast<std::size_t>(axis)]);
        if (v < low) {
          low = v;
          at_low = names[r] + "@" + std::to_string(i);
        }
        if (v > high) {
          high = v;
          at_high = names[r] + "@" + std::to_string(i);
        }
      }
    }
    out += axis_name(axis) + " " + show(low) + " (" + at_low + ") to " + show(high) + " (" + at_high + "); ";
  }
  return out;
}

Table fitted(Table table, const FitTargets& targets) {
  const std::vector<SplitTable> rows{{Table(table.size()), std::move(table)}};
  return apply_scale(rows[0], solve_family_scale("a table alone", rows, targets));
}

FittedFamily::FittedFamily(std::string label, FitTargets targets, GainRule rule, std::vector<std::string> names,
                           std::vector<Member> members)
    : label_(std::move(label)), targets_(targets), rule_(rule), names_(std::move(names)), members_(std::move(members)) {}

Table FittedFamily::member(std::size_t index, const Sources& sources) {
  if (fitted_.empty()) {
    std::vector<SplitTable> rows;
    rows.reserve(members_.size());
    for (const Member& make : members_) {
      rows.push_back(make(sources));
    }
    FamilyScale scale;
    try {
      scale = solve_family_scale(label_, rows, targets_, rule_);
    } catch (const std::runtime_error& error) {
      FamilyScale kept_alone;
      for (AxisScale& a : kept_alone) {
        a.positive = 0.0;
        a.negative = 0.0;
      }
      throw std::runtime_error(std::string(error.what()) + "; unfitted: " +
                               describe_extremes(rows, names_, FamilyScale{}) +
                               "kept alone: " + describe_extremes(rows, names_, kept_alone));
    }
    for (const SplitTable& row : rows) {
      fitted_.push_back(apply_scale(row, scale));
    }
  }
  return fitted_.at(index);
}

}  // namespace pipmoves::authoring

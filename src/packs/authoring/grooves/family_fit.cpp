#include "family_fit.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>

namespace pipmoves::authoring::grooves {
namespace {

constexpr double kLargestGain = 1e6;
constexpr int kBisections = 200;
constexpr int kRounds = 12;
// How close the family's extremes must come to the stated ones before the
// twelve-place rounding.
constexpr double kReach = 1e-10;

double scaled_value(double kept, double scaled, const SideGains& g) {
  return kept + (scaled > 0.0 ? g.positive : g.negative) * scaled;
}

struct Extremes {
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();
};

struct Point {
  double kept;
  double scaled;
};

std::vector<Point> axis_points(const std::vector<SplitTable>& rows, int axis) {
  std::vector<Point> points;
  for (const SplitTable& row : rows) {
    for (std::size_t i = 0; i < row.kept.size(); ++i) {
      points.push_back({component(row.kept[i], axis), component(row.scaled[i], axis)});
    }
  }
  return points;
}

Extremes extremes(const std::vector<Point>& points, const SideGains& g) {
  Extremes e;
  for (const Point& p : points) {
    const double v = scaled_value(p.kept, p.scaled, g);
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

}  // namespace

FamilyGains solve_family_gains(const std::string& family, const std::vector<SplitTable>& rows,
                               const FamilyTargets& targets) {
  FamilyGains gains;
  for (int axis = 0; axis < 3; ++axis) {
    const auto& target = targets[static_cast<std::size_t>(axis)];
    if (!target) {
      continue;
    }
    SideGains& g = gains[static_cast<std::size_t>(axis)];
    const std::vector<Point> points = axis_points(rows, axis);
    const bool has_positive = std::any_of(points.begin(), points.end(), [](const Point& p) { return p.scaled > 0.0; });
    const bool has_negative = std::any_of(points.begin(), points.end(), [](const Point& p) { return p.scaled < 0.0; });
    const Extremes kept = extremes(points, SideGains{0.0, 0.0});
    if (kept.high > target->high + kReach || kept.low < target->low - kReach) {
      throw std::runtime_error(family + ": the exact part alone spans " + show(kept.low) + " to " + show(kept.high) +
                               " on axis " + std::to_string(axis));
    }
    // Each side's gain mostly sets its own extreme; a few rounds settle the
    // rest.
    for (int round = 0; round < kRounds; ++round) {
      const SideGains before = g;
      if (has_positive) {
        g.positive = largest_gain([&](double gain) {
          return extremes(points, SideGains{g.negative, gain}).high <= target->high;
        });
      }
      if (has_negative) {
        g.negative = largest_gain([&](double gain) {
          return extremes(points, SideGains{gain, g.positive}).low >= target->low;
        });
      }
      if (g.positive == before.positive && g.negative == before.negative) {
        break;
      }
    }
    const Extremes reached = extremes(points, g);
    if (std::fabs(reached.high - target->high) > kReach || std::fabs(reached.low - target->low) > kReach) {
      throw std::runtime_error(family + ": axis " + std::to_string(axis) + " reaches " + show(reached.low) + " to " +
                               show(reached.high) + ", not " + show(target->low) + " to " + show(target->high));
    }
  }
  return gains;
}

Table apply_gains(const SplitTable& row, const FamilyGains& gains) {
  Table out(row.kept.size());
  for (std::size_t i = 0; i < out.size(); ++i) {
    for (int axis = 0; axis < 3; ++axis) {
      component(out[i], axis) = scaled_value(component(row.kept[i], axis), component(row.scaled[i], axis),
                                             gains[static_cast<std::size_t>(axis)]);
    }
  }
  return out;
}

FittedFamily::FittedFamily(std::string label, FamilyTargets targets, std::vector<std::string> names,
                           std::vector<std::function<SplitTable()>> members)
    : label_(std::move(label)), targets_(targets), names_(std::move(names)), members_(std::move(members)) {}

std::string describe_extremes(const std::vector<SplitTable>& rows, const std::vector<std::string>& names,
                              const FamilyGains& gains) {
  std::string out;
  for (int axis = 0; axis < 3; ++axis) {
    double low = 0.0;
    double high = 0.0;
    std::string at_low;
    std::string at_high;
    for (std::size_t r = 0; r < rows.size(); ++r) {
      for (std::size_t i = 0; i < rows[r].kept.size(); ++i) {
        const double v = scaled_value(component(rows[r].kept[i], axis), component(rows[r].scaled[i], axis),
                                      gains[static_cast<std::size_t>(axis)]);
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
    out += std::string(1, static_cast<char>('x' + axis)) + " " + show(low) + " (" + at_low + ") to " + show(high) +
           " (" + at_high + "); ";
  }
  return out;
}

Table FittedFamily::member(std::size_t index) {
  if (fitted_.empty()) {
    std::vector<SplitTable> rows;
    rows.reserve(members_.size());
    for (const auto& make : members_) {
      rows.push_back(make());
    }
    FamilyGains gains;
    try {
      gains = solve_family_gains(label_, rows, targets_);
    } catch (const std::runtime_error& error) {
      throw std::runtime_error(std::string(error.what()) + "; unfitted: " +
                               describe_extremes(rows, names_, FamilyGains{}) + "kept alone: " +
                               describe_extremes(rows, names_, FamilyGains{{{0, 0}, {0, 0}, {0, 0}}}));
    }
    for (const SplitTable& row : rows) {
      fitted_.push_back(apply_gains(row, gains));
    }
  }
  return fitted_.at(index);
}

}  // namespace pipmoves::authoring::grooves

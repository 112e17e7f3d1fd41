#include "metrics.hpp"

#include <algorithm>
#include <map>
#include <optional>
#include <cmath>
#include <utility>
#include <vector>
#include <numeric>

#include "pack_layout.hpp"
#include "thresholds.hpp"

namespace pipmoves::motion {
namespace {

double component(const Offset3& o, int axis) { return axis == 0 ? o.x : axis == 1 ? o.y : o.z; }

// One axis of a table, read around the loop.
class Axis {
 public:
  Axis(const std::vector<Offset3>& table, int axis) : n_(static_cast<int>(table.size())) {
    values_.reserve(table.size());
    for (const Offset3& o : table) {
      values_.push_back(component(o, axis));
    }
    const auto [low, high] = std::minmax_element(values_.begin(), values_.end());
    travel_ = *high - *low;
  }
  int size() const { return n_; }
  double travel() const { return travel_; }
  double at(int i) const { return values_[static_cast<std::size_t>(((i % n_) + n_) % n_)]; }
  // The step from pip i to pip i + 1.
  double step(int i) const { return at(i + 1) - at(i); }
  // The change of speed at pip i.
  double bend(int i) const { return step(i) - step(i - 1); }

 private:
  int n_;
  std::vector<double> values_;
  double travel_ = 0.0;
};

void largest_step(const Axis& a, int axis, RowFigures& f) {
  for (int i = 0; i < a.size(); ++i) {
    const double share = std::fabs(a.step(i)) / a.travel();
    if (share > f.largest_step) {
      f.largest_step = share;
      f.step_at = {axis, i};
    }
  }
}

// A corner at pip i: its change of speed is large, and the changes within
// two pips on either side are small. The shortest attack a hit has (4.48
// pips) gains speed for two pips and loses it for the next two, so its
// neighbours change speed about as much; a motion that starts at full speed
// changes it at one pip alone.
bool breaks_at(const Axis& a, int i) {
  const double bend = std::fabs(a.bend(i));
  double around = 0.0;
  for (const int k : {-2, -1, 1, 2}) {
    around = std::max(around, std::fabs(a.bend(i + k)));
  }
  return bend >= kBreakFloor * a.travel() && bend >= kBreakContrast * around;
}

// Neighbouring pips that break together are one corner falling between them.
void velocity_breaks(const Axis& a, int axis, RowFigures& f) {
  int start = 0;
  while (start < a.size() && breaks_at(a, start)) {
    ++start;  // begin outside a corner, so none is counted twice around the seam
  }
  bool inside = false;
  for (int k = 0; k < a.size(); ++k) {
    const int i = start + k;
    const bool here = breaks_at(a, i);
    if (here && !inside) {
      if (f.breaks == 0) {
        f.break_at = {axis, i % a.size()};
      }
      ++f.breaks;
    }
    inside = here;
  }
}

// The speed ratio across a crossing over the trend of the steps around it:
// before holds the three steps leading to the crossing (nearest first), after
// the three leaving it.
double crossing_change(const double (&before)[3], const double (&after)[3]) {
  const double across = after[0] / before[0];
  const double trend = std::sqrt((before[0] / before[2]) * (after[2] / after[0]));
  const double change = across / trend;
  return std::max(change, 1.0 / change);
}

// Whether three steps on one side of a crossing keep about one speed: the
// axis passes zero in a glide, not in the rise or fall of a hit, where speed
// changes from pip to pip anyway.
bool steady(const double (&steps)[3]) {
  const double ratio = steps[0] / steps[2];
  return ratio <= kSteadyPassage && ratio >= 1.0 / kSteadyPassage;
}

// The changes of speed over an axis's steady crossings: a gain that differs
// from one side of zero to the other shows at every crossing, while a hit
// that happens to start at one is the drum's, judged by the step and break
// figures.
void zero_crossings(const Axis& a, int axis, RowFigures& f) {
  const double floor = kCrossingFloor * a.travel();
  for (int i = 0; i < a.size(); ++i) {
    // Passing from pip i to pip i + 1 through zero, or through an exact zero
    // at pip i + 1; after leaves the zero crossing step out.
    int first_after = 0;
    if (a.at(i) * a.at(i + 1) < 0.0) {
      first_after = i + 1;
    } else if (a.at(i + 1) == 0.0 && a.at(i) * a.at(i + 2) < 0.0) {
      first_after = i + 1;
    } else {
      continue;
    }
    double before[3];
    double after[3];
    for (int k = 0; k < 3; ++k) {
      before[k] = a.step(i - 1 - k);
      after[k] = a.step(first_after + k);
    }
    if (a.at(i + 1) == 0.0) {
      for (int k = 0; k < 3; ++k) {
        before[k] = a.step(i - k);
      }
    }
    const double direction = a.at(i) < 0.0 ? 1.0 : -1.0;
    bool passing = true;
    for (int k = 0; k < 3; ++k) {
      passing = passing && before[k] * direction > 0.0 && after[k] * direction > 0.0;
    }
    if (!passing || std::fabs(before[0]) < floor || std::fabs(after[0]) < floor || !steady(before) ||
        !steady(after)) {
      continue;
    }
    const double change = crossing_change(before, after);
    if (change <= kHitOnset) {
      f.crossings[static_cast<std::size_t>(axis)].push_back({change, (i + 1) % a.size()});
    }
  }
}

double median_change(std::vector<double> changes) {
  const auto middle = changes.begin() + static_cast<std::ptrdiff_t>(changes.size() / 2);
  std::nth_element(changes.begin(), middle, changes.end());
  return *middle;
}

std::vector<double> changes_of(const std::vector<RowFigures::Crossing>& crossings) {
  std::vector<double> changes;
  for (const RowFigures::Crossing& c : crossings) {
    changes.push_back(c.change);
  }
  return changes;
}

// The zero figure from each axis's typical change (nothing for an axis
// without one), marking the row's own largest crossing on the worst axis.
void judge_zero(RowFigures& f, const std::array<std::optional<double>, 3>& typical) {
  f.zero_change = 1.0;
  f.zero_at = {};
  for (int axis = 0; axis < 3; ++axis) {
    const auto& t = typical[static_cast<std::size_t>(axis)];
    if (!t || *t <= f.zero_change) {
      continue;
    }
    f.zero_change = *t;
    const auto& own = f.crossings[static_cast<std::size_t>(axis)];
    const auto largest = std::max_element(own.begin(), own.end(), [](const auto& a, const auto& b) {
      return a.change < b.change;
    });
    f.zero_at = {axis, largest->pip};
  }
}

// The median over enough crossings to be typical, or nothing.
std::optional<double> typical_change(const std::vector<double>& changes) {
  if (changes.size() < kTypicalCrossings) {
    return std::nullopt;
  }
  return median_change(changes);
}

// A table measured alone is a group of its own.
std::array<std::optional<double>, 3> own_typical(const RowFigures& f) {
  std::array<std::optional<double>, 3> typical;
  for (std::size_t axis = 0; axis < 3; ++axis) {
    typical[axis] = typical_change(changes_of(f.crossings[axis]));
  }
  return typical;
}

void seam(const Axis& a, int axis, RowFigures& f) {
  double inner = 0.0;
  for (int i = 0; i + 1 < a.size(); ++i) {
    inner = std::max(inner, std::fabs(a.step(i)));
  }
  const double ratio = std::fabs(a.step(a.size() - 1)) / inner;
  if (ratio > f.seam) {
    f.seam = ratio;
    f.seam_at = {axis, a.size() - 1};
  }
}

// Whether two tables of one period stay within the tolerance; the largest
// difference goes to largest when they do.
bool within(const std::vector<Offset3>& a, const std::vector<Offset3>& b, double tolerance, double& largest) {
  double worst = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    for (int axis = 0; axis < 3; ++axis) {
      worst = std::max(worst, std::fabs(component(a[i], axis) - component(b[i], axis)));
      if (worst > tolerance) {
        return false;
      }
    }
  }
  largest = worst;
  return true;
}

}  // namespace

std::vector<Offset3> stored_table(const PackEntry& row) {
  std::vector<Offset3> table;
  table.reserve(row.period_pips);
  for (int i = 0; i < row.period_pips; ++i) {
    table.push_back(row.sampler(i));
  }
  return table;
}

std::string motion_group(std::string_view pack, std::string_view family, std::string_view name) {
  const std::string groove_family = std::string(pack) + " groove ";
  if (family.starts_with(groove_family)) {
    const std::string prefix = "beat_" + std::string(family.substr(groove_family.size())) + "_";
    if (name.starts_with(prefix)) {
      return std::string(pack) + " move " + std::string(name.substr(prefix.size()));
    }
  }
  return std::string(family);
}

RowFigures measure(const std::vector<Offset3>& table) {
  RowFigures f;
  for (int axis = 0; axis < 3; ++axis) {
    const Axis a(table, axis);
    if (a.travel() < kStillAxis) {
      continue;
    }
    largest_step(a, axis, f);
    velocity_breaks(a, axis, f);
    zero_crossings(a, axis, f);
    seam(a, axis, f);
  }
  judge_zero(f, own_typical(f));
  return f;
}

std::vector<RowFigures> measure_all() {
  const auto table = pack_table();
  std::vector<RowFigures> all;
  all.reserve(table.size());
  for (const pack_layout::Family& family : pack_layout::kFamilies) {
    for (std::size_t r = family.first_row; r < family.first_row + family.rows; ++r) {
      RowFigures f = measure(stored_table(table[r]));
      f.row = r;
      f.name = table[r].name;
      f.group = motion_group(family.pack, family.label, f.name);
      all.push_back(std::move(f));
    }
  }
  read_zero_by_group(all);
  return all;
}

void read_zero_by_group(std::vector<RowFigures>& rows) {
  std::map<std::string, std::array<std::vector<double>, 3>> pooled;
  for (const RowFigures& f : rows) {
    for (std::size_t axis = 0; axis < 3; ++axis) {
      const std::vector<double> changes = changes_of(f.crossings[axis]);
      pooled[f.group][axis].insert(pooled[f.group][axis].end(), changes.begin(), changes.end());
    }
  }
  for (RowFigures& f : rows) {
    std::array<std::optional<double>, 3> typical;
    for (std::size_t axis = 0; axis < 3; ++axis) {
      if (!f.crossings[axis].empty()) {
        typical[axis] = typical_change(pooled[f.group][axis]);
      }
    }
    judge_zero(f, typical);
  }
}

double figure(const RowFigures& f, Criterion c) {
  switch (c) {
    case Criterion::largest_step:
      return f.largest_step;
    case Criterion::velocity_breaks:
      return f.breaks;
    case Criterion::zero_crossing:
      return f.zero_change;
    case Criterion::seam:
      return f.seam;
  }
  return 0.0;
}

const Where& where(const RowFigures& f, Criterion c) {
  switch (c) {
    case Criterion::largest_step:
      return f.step_at;
    case Criterion::velocity_breaks:
      return f.break_at;
    case Criterion::zero_crossing:
      return f.zero_at;
    case Criterion::seam:
      break;
  }
  return f.seam_at;
}

bool exceeds(const RowFigures& f, Criterion c) {
  switch (c) {
    case Criterion::largest_step:
      return f.largest_step > kLargestStep;
    case Criterion::velocity_breaks:
      return f.breaks > kBreaksAllowed;
    case Criterion::zero_crossing:
      return f.zero_change > kZeroCrossingChange;
    case Criterion::seam:
      return f.seam > kSeamRatio;
  }
  return false;
}

std::string_view criterion_name(Criterion c) {
  switch (c) {
    case Criterion::largest_step:
      return "largest step";
    case Criterion::velocity_breaks:
      return "velocity breaks";
    case Criterion::zero_crossing:
      return "speed through zero";
    case Criterion::seam:
      break;
  }
  return "seam step";
}

std::vector<DuplicateGroup> duplicate_tables(std::span<const PackEntry> rows, double tolerance) {
  std::vector<std::vector<Offset3>> tables;
  tables.reserve(rows.size());
  for (const PackEntry& row : rows) {
    tables.push_back(stored_table(row));
  }
  std::vector<std::size_t> leader(rows.size());
  std::iota(leader.begin(), leader.end(), std::size_t{0});
  const auto find = [&](std::size_t r) {
    while (leader[r] != r) {
      r = leader[r] = leader[leader[r]];
    }
    return r;
  };
  std::vector<double> largest(rows.size(), 0.0);
  for (std::size_t a = 0; a < rows.size(); ++a) {
    for (std::size_t b = a + 1; b < rows.size(); ++b) {
      double difference = 0.0;
      if (rows[a].period_pips != rows[b].period_pips || !within(tables[a], tables[b], tolerance, difference)) {
        continue;
      }
      const std::size_t la = find(a);
      const std::size_t lb = find(b);
      leader[lb] = la;
      largest[la] = std::max({largest[la], largest[lb], difference});
    }
  }
  std::vector<DuplicateGroup> groups;
  std::vector<std::size_t> group_of(rows.size(), rows.size());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const std::size_t l = find(r);
    if (group_of[l] == rows.size()) {
      group_of[l] = groups.size();
      groups.push_back({{}, largest[l]});
    }
    groups[group_of[l]].rows.push_back(r);
  }
  std::erase_if(groups, [](const DuplicateGroup& g) { return g.rows.size() < 2; });
  return groups;
}

}  // namespace pipmoves::motion

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iomanip>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "metrics.hpp"
#include "thresholds.hpp"

namespace {

using pipmoves::Offset3;
using namespace pipmoves::motion;

constexpr std::size_t kShown = 10;

const std::vector<RowFigures>& figures() {
  static const std::vector<RowFigures> all = measure_all();
  return all;
}

std::string place(const Where& w) {
  return w.axis < 0 ? "-" : std::string(1, static_cast<char>('x' + w.axis)) + "@" + std::to_string(w.pip);
}

// The rows past a criterion's threshold that no rule shapes, worst first,
// named with their figure: "have" against the threshold's "want".
std::string past(Criterion c, std::size_t& count) {
  std::vector<const RowFigures*> rows;
  for (const RowFigures& f : figures()) {
    if (exceeds(f, c) && !rule_shaped(f.name)) {
      rows.push_back(&f);
    }
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [&](const RowFigures* a, const RowFigures* b) { return figure(*a, c) > figure(*b, c); });
  count = rows.size();
  std::string out;
  for (std::size_t k = 0; k < rows.size() && k < kShown; ++k) {
    char line[160];
    std::snprintf(line, sizeof line, "\n  %s: have %.4g at %s", std::string(rows[k]->name).c_str(),
                  figure(*rows[k], c), place(where(*rows[k], c)).c_str());
    out += line;
  }
  return out;
}

TEST(Motion, EveryRowIsMeasured) {
  EXPECT_EQ(figures().size(), pipmoves::pack_table().size());
}

// Every row but the exempt ones within a criterion's threshold.
void expect_none_past(Criterion c, const std::string& want) {
  std::size_t count = 0;
  const std::string worst = past(c, count);
  EXPECT_EQ(count, 0u) << "want " << want << "; " << count << " rows are past it, worst:" << worst;
}

std::string figure_text(double value) {
  std::ostringstream text;
  text << std::setprecision(3) << value;
  return text.str();
}

TEST(Motion, NoRowStepsFurtherInOnePipThanADrumHit) {
  expect_none_past(Criterion::largest_step,
                   "every step within " + figure_text(100 * kLargestStep) + " % of the axis' travel");
}

TEST(Motion, NoRowChangesSpeedAbruptly) {
  expect_none_past(Criterion::velocity_breaks,
                   "at most " + std::to_string(kBreaksAllowed) + " velocity breaks a period (count, first at)");
}

TEST(Motion, SpeedHoldsThroughZero) {
  expect_none_past(Criterion::zero_crossing,
                   "speed through zero to change by at most x" + figure_text(kZeroCrossingChange));
}

TEST(Motion, LoopsCloseWithoutAStepLargerThanTheirOwn) {
  expect_none_past(Criterion::seam, "the seam step at most " + figure_text(kSeamRatio) + " times the largest inner step");
}

TEST(Motion, NoTwoRowsShareATable) {
  const auto table = pipmoves::pack_table();
  const std::vector<DuplicateGroup> groups = duplicate_tables(table, kNearDuplicate);
  std::size_t redundant = 0;
  std::string named;
  for (const DuplicateGroup& g : groups) {
    redundant += g.rows.size() - 1;
    if (redundant - (g.rows.size() - 1) < kShown) {
      named += "\n ";
      for (const std::size_t r : g.rows) {
        named += " " + std::string(table[r].name);
      }
    }
  }
  EXPECT_EQ(redundant, 0u) << "want no two tables within " << std::setprecision(3) << kNearDuplicate
                           << " of each other; have " << groups.size() << " groups, " << redundant << " redundant rows:" << named;
}

// An exemption names a stored row that a criterion would otherwise flag.
TEST(Motion, EveryRuleExemptionIsNeeded) {
  for (const RuleShaped& exempt : rule_shaped_rows()) {
    const auto it = std::find_if(figures().begin(), figures().end(),
                                 [&](const RowFigures& f) { return f.name == exempt.name; });
    ASSERT_NE(it, figures().end()) << "no stored row " << exempt.name;
    EXPECT_TRUE(std::any_of(std::begin(kCriteria), std::end(kCriteria), [&](Criterion c) { return exceeds(*it, c); }))
        << exempt.name << " passes every criterion; its exemption (" << exempt.why << ") is not needed";
  }
}

// The figures themselves, on tables whose motion is known.

// Three cycles of a shape, 512 pips each: enough zero crossings for a
// typical figure.
constexpr int kCycle = 512;
constexpr int kCycles = 3;

std::vector<Offset3> tabulated(double (*x)(double), double shift = 0.0) {
  std::vector<Offset3> t;
  for (int i = 0; i < kCycles * kCycle; ++i) {
    t.push_back({x(std::fmod(2.0 * std::acos(-1.0) * (i + shift) / kCycle, 2.0 * std::acos(-1.0))), 0.0, 0.0});
  }
  return t;
}

double sine(double theta) { return 0.8 * std::sin(theta); }
// Half again as fast on the positive side as on the negative.
double uneven_sine(double theta) { return (std::sin(theta) > 0 ? 1.2 : 0.8) * std::sin(theta); }
// A corner at every zero: the speed jumps from nothing to full.
double rectified(double theta) { return 0.8 * std::fabs(std::sin(2.0 * theta)) - 0.4; }
// Holds at -0.5, then jumps to 0.5 within one pip at half period: a step
// the size of its travel, not a corner.
double gate(double theta) { return theta < std::acos(-1.0) ? -0.5 : 0.5; }

struct Known {
  const char* shape;
  double (*x)(double);
  double step_low, step_high;
  int breaks;
  double zero_low, zero_high;
};

TEST(MotionFigures, ReadKnownShapes) {
  const Known known[] = {
      {"sine", sine, 0.0, 0.01, 0, 1.0, 1.001},
      {"uneven sine", uneven_sine, 0.0, 0.01, 0, 1.45, 1.55},
      {"rectified sine", rectified, 0.0, 0.05, 4 * kCycles, 1.0, 1.01},
      {"gate", gate, 1.0, 1.0, 0, 1.0, 1.0},
  };
  for (const Known& k : known) {
    const RowFigures f = measure(tabulated(k.x));
    EXPECT_GE(f.largest_step, k.step_low) << k.shape;
    EXPECT_LE(f.largest_step, k.step_high) << k.shape;
    EXPECT_EQ(f.breaks, k.breaks) << k.shape << " breaks first at " << place(f.break_at);
    EXPECT_GE(f.zero_change, k.zero_low) << k.shape;
    EXPECT_LE(f.zero_change, k.zero_high) << k.shape;
  }
}

RowFigures member(const char* group, double (*x)(double), double shift = 0.0) {
  RowFigures f = measure(tabulated(x, shift));
  f.group = group;
  return f;
}

// A sine that a hit speeds up just after one of its zero crossings.
double hit_at_a_crossing(double theta) {
  const double d = theta - std::acos(-1.0);
  return sine(theta) - (d > 0.0 && d < 0.2 ? 0.03 * std::sin(d / 0.2 * std::acos(-1.0)) : 0.0);
}

TEST(MotionFigures, ReadSpeedThroughZeroOverTheGroup) {
  std::vector<RowFigures> rows = {member("kink", uneven_sine), member("kink", uneven_sine, 40.0),
                                  member("hit", sine), member("hit", sine, 40.0), member("hit", hit_at_a_crossing)};
  // Each row above crosses zero steadily six times; one cycle alone crosses
  // twice, too few to be read.
  std::vector<Offset3> cycle = tabulated(uneven_sine);
  cycle.resize(kCycle);
  RowFigures alone = measure(cycle);
  alone.group = "alone";
  rows.push_back(alone);
  read_zero_by_group(rows);
  EXPECT_GT(rows[0].zero_change, 1.45) << "a gain that changes at zero shows in every row";
  EXPECT_GT(rows[1].zero_change, 1.45);
  for (std::size_t r = 2; r < 5; ++r) {
    EXPECT_LT(rows[r].zero_change, 1.01) << "row " << r << ": a hit at one crossing is not the group's figure";
  }
  EXPECT_EQ(rows[5].zero_change, 1.0);
}

Offset3 wave(int pip) noexcept { return {0.5 * std::sin(pip / 10.0), 0.0, 0.0}; }
Offset3 same_wave(int pip) noexcept { return wave(pip); }
Offset3 nudged_wave(int pip) noexcept { return {wave(pip).x + 0.001, 0.0, 0.0}; }
Offset3 other_wave(int pip) noexcept { return {0.5 * std::cos(pip / 10.0), 0.0, 0.0}; }

pipmoves::PackEntry entry(const char* name, pipmoves::PatternSampler sampler) {
  pipmoves::PackEntry e;
  e.name = name;
  e.period_pips = 256;
  e.dimensions = 1;
  e.sampler = sampler;
  return e;
}

TEST(MotionFigures, GroupIdenticalAndNearTablesButNotDistinctOnes) {
  const pipmoves::PackEntry rows[] = {entry("wave", wave), entry("other", other_wave), entry("same", same_wave),
                                      entry("nudged", nudged_wave)};
  const std::vector<DuplicateGroup> exact = duplicate_tables(rows, 0.0);
  ASSERT_EQ(exact.size(), 1u);
  EXPECT_EQ(exact[0].rows, (std::vector<std::size_t>{0, 2}));
  const std::vector<DuplicateGroup> near = duplicate_tables(rows, kNearDuplicate);
  ASSERT_EQ(near.size(), 1u);
  EXPECT_EQ(near[0].rows, (std::vector<std::size_t>{0, 2, 3}));
  EXPECT_NEAR(near[0].largest_difference, 0.001, 1e-12);
}

}  // namespace

// The motion report: per family the figures a motion designer looks at, the
// worst rows of each, the rows past a threshold and the tables stored twice.
// Rows named on the command line are shown in full.

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "metrics.hpp"
#include "thresholds.hpp"

namespace {

using namespace pipmoves::motion;

constexpr int kWorstShown = 12;

std::string place(const Where& w) {
  if (w.axis < 0) {
    return "-";
  }
  return std::string(1, static_cast<char>('x' + w.axis)) + "@" + std::to_string(w.pip);
}

void print_row(const RowFigures& f) {
  std::printf("  %-34s step %5.1f%% %-8s breaks %3d %-8s zero x%5.2f %-8s seam %4.2f%s\n", std::string(f.name).c_str(),
              100.0 * f.largest_step, place(f.step_at).c_str(), f.breaks, place(f.break_at).c_str(), f.zero_change,
              place(f.zero_at).c_str(), f.seam, rule_shaped(f.name) ? "  (rule)" : "");
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0.0 : v[v.size() / 2];
}

void print_groups(const std::vector<RowFigures>& all) {
  std::vector<std::string> order;
  std::map<std::string, std::vector<const RowFigures*>> groups;
  for (const RowFigures& f : all) {
    if (!groups.contains(f.group)) {
      order.push_back(f.group);
    }
    groups[f.group].push_back(&f);
  }
  std::printf("Per family (groove rows per move): rows; largest step %% of travel median/max; velocity breaks\n"
              "median/max; worst speed change through zero; worst seam over largest step; flagged rows\n");
  for (const std::string& name : order) {
    const auto& rows = groups[name];
    std::vector<double> steps;
    std::vector<double> breaks;
    double zero = 1.0;
    double seam = 0.0;
    int flagged = 0;
    for (const RowFigures* f : rows) {
      steps.push_back(100.0 * f->largest_step);
      breaks.push_back(f->breaks);
      zero = std::max(zero, f->zero_change);
      seam = std::max(seam, f->seam);
      const bool any = std::any_of(std::begin(kCriteria), std::end(kCriteria),
                                   [&](Criterion c) { return exceeds(*f, c); });
      flagged += any && !rule_shaped(f->name) ? 1 : 0;
    }
    std::printf("  %-30s %4zu  step %5.1f %5.1f  breaks %3.0f %3.0f  zero x%5.2f  seam %4.2f  flagged %3d\n",
                name.c_str(), rows.size(), median(steps), *std::max_element(steps.begin(), steps.end()),
                median(breaks), *std::max_element(breaks.begin(), breaks.end()), zero, seam, flagged);
  }
}

void print_worst(const std::vector<RowFigures>& all) {
  for (const Criterion c : kCriteria) {
    std::vector<const RowFigures*> ranked;
    for (const RowFigures& f : all) {
      ranked.push_back(&f);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [&](const RowFigures* a, const RowFigures* b) { return figure(*a, c) > figure(*b, c); });
    std::printf("\nWorst rows by %s:\n", std::string(criterion_name(c)).c_str());
    for (int k = 0; k < kWorstShown && k < static_cast<int>(ranked.size()); ++k) {
      print_row(*ranked[static_cast<std::size_t>(k)]);
    }
  }
}

void print_flagged(const std::vector<RowFigures>& all) {
  std::printf("\nFlagged rows (step > %.0f%%, breaks > %d, speed through zero > x%.2f, seam > %.1f):\n",
              100.0 * kLargestStep, kBreaksAllowed, kZeroCrossingChange, kSeamRatio);
  int count = 0;
  for (const RowFigures& f : all) {
    std::string which;
    for (const Criterion c : kCriteria) {
      if (exceeds(f, c)) {
        which += std::string(which.empty() ? "" : ", ") + std::string(criterion_name(c));
      }
    }
    if (which.empty() || rule_shaped(f.name)) {
      continue;
    }
    ++count;
    std::printf("  %-34s %s\n", std::string(f.name).c_str(), which.c_str());
  }
  std::printf("  %d rows flagged\n", count);
}

void print_duplicates(const std::vector<RowFigures>& all) {
  const auto table = pipmoves::pack_table();
  const std::vector<DuplicateGroup> groups = duplicate_tables(table, kNearDuplicate);
  std::printf("\nTables stored more than once (within %.3f at every pip):\n", kNearDuplicate);
  std::size_t redundant = 0;
  std::size_t exact = 0;
  std::map<std::string, int> by_group;
  for (const DuplicateGroup& g : groups) {
    redundant += g.rows.size() - 1;
    exact += g.largest_difference == 0.0 ? 1 : 0;
    std::printf("  %s:", g.largest_difference == 0.0 ? "exact" : "near ");
    for (const std::size_t r : g.rows) {
      std::printf(" %s", std::string(table[r].name).c_str());
    }
    if (g.largest_difference > 0.0) {
      std::printf("  (differ by up to %.6f)", g.largest_difference);
    }
    std::printf("\n");
    for (std::size_t k = 1; k < g.rows.size(); ++k) {
      ++by_group[all[g.rows[k]].group];
    }
  }
  std::printf("  %zu groups (%zu exact), %zu redundant rows; by family:", groups.size(), exact, redundant);
  for (const auto& [group, n] : by_group) {
    std::printf(" %s %d;", group.c_str(), n);
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<RowFigures> all = measure_all();
  if (argc > 1) {
    for (int k = 1; k < argc; ++k) {
      const std::string_view wanted = argv[k];
      const auto it = std::find_if(all.begin(), all.end(), [&](const RowFigures& f) { return f.name == wanted; });
      if (it == all.end()) {
        std::fprintf(stderr, "motion report: no stored row %s\n", argv[k]);
        return 2;
      }
      print_row(*it);
    }
    return 0;
  }
  print_groups(all);
  print_worst(all);
  print_flagged(all);
  print_duplicates(all);
  return 0;
}

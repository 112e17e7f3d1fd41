#pragma once

// Motion figures of the stored rows: how they move over one period, seam
// included, as a fixture or a rig would follow them. The motion report prints
// them and the pack tests hold them to the thresholds.

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pipmoves/pack_table.hpp"

namespace pipmoves::motion {

// Where a figure was found: the axis (0 x, 1 y, 2 z) and the pip; -1 when the
// row has no such place.
struct Where {
  int axis = -1;
  int pip = -1;
};

struct RowFigures {
  std::size_t row = 0;
  std::string_view name;
  std::string group;  // the family, or for a groove row its pack and move
  // Largest step between neighbouring pips as a share of the axis' travel.
  double largest_step = 0.0;
  Where step_at;
  // Abrupt changes of speed in one period, all axes together; and the first.
  int breaks = 0;
  Where break_at;
  // The typical change of speed through zero crossings beyond the trend of
  // the steps around them (the median over the steady crossings of the row's
  // group on that axis, see measure_all), for the axis where it is largest
  // among those the row crosses, and the row's own crossing that shows the
  // most.
  double zero_change = 1.0;
  Where zero_at;
  // The steady crossings of each axis: the change of speed and the pip after.
  struct Crossing {
    double change;
    int pip;
  };
  std::array<std::vector<Crossing>, 3> crossings;
  // The seam step over the largest step inside the period, worst axis.
  double seam = 0.0;
  Where seam_at;
};

enum class Criterion { largest_step, velocity_breaks, zero_crossing, seam };

// The row's table, one sample per pip of its period.
std::vector<Offset3> stored_table(const PackEntry& row);

// A groove row's group is its pack and move ("dancefloor move spring"), since
// a move is authored once for every groove; every other row's is its family.
std::string motion_group(std::string_view pack, std::string_view family, std::string_view name);

RowFigures measure(const std::vector<Offset3>& table);

// Every stored row, in pack-table order. Speed through zero is read over the
// row's group: a gain that differs from one side of zero to the other belongs
// to the map that scales the whole group and shows at every crossing of every
// row, while a row crosses zero steadily only a few times, and a hat or a kick
// landing on one of them would make it that row's figure.
std::vector<RowFigures> measure_all();
// Reads speed through zero over each group's pooled crossings, as measure_all
// does for the stored rows.
void read_zero_by_group(std::vector<RowFigures>& rows);

// Whether the row's figure passes the criterion's threshold.
bool exceeds(const RowFigures& figures, Criterion criterion);
// The figure a criterion reads, for ranking rows.
double figure(const RowFigures& figures, Criterion criterion);
const Where& where(const RowFigures& figures, Criterion criterion);
std::string_view criterion_name(Criterion criterion);
inline constexpr Criterion kCriteria[] = {Criterion::largest_step, Criterion::velocity_breaks,
                                          Criterion::zero_crossing, Criterion::seam};

// Rows of one period whose tables differ by at most the tolerance at every pip
// and axis, and the largest difference within the group.
struct DuplicateGroup {
  std::vector<std::size_t> rows;
  double largest_difference = 0.0;
};
std::vector<DuplicateGroup> duplicate_tables(std::span<const PackEntry> rows, double tolerance);

}  // namespace pipmoves::motion

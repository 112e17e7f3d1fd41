#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "pipmoves/offset3.hpp"
#include "common/stated_ranges.hpp"
#include "common/twelve_places.hpp"

namespace pipmoves::packgen {

// A row as it will be stored: its table already rounded.
struct StoredRow {
  std::string name;
  std::string description;
  int period = 0;
  int dimensions = 0;
  std::vector<Offset3> table;
};

using packs::round_to_twelve_places;

// Each returns one message per broken rule, naming the row; none when all hold.
std::vector<std::string> check_row(const StoredRow& row);
std::vector<std::string> check_family(std::string_view label, const packs::StatedRanges& ranges,
                                      const std::vector<const StoredRow*>& rows);
// Names must be unique across the stored rows and the procedural patterns.
std::vector<std::string> check_unique_names(const std::vector<const StoredRow*>& rows,
                                            const std::vector<std::string_view>& procedural_names);

// Rows picked by name among one pack's rows, such as one move played on every
// groove: each name must be there, and together the rows meet the ranges.
std::vector<std::string> check_selection(std::string_view label, std::string_view ranges,
                                         const std::vector<std::string>& names, const std::vector<StoredRow>& pack_rows);

}  // namespace pipmoves::packgen

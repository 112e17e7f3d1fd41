#pragma once

// How a pack is authored: families of rows, each row with its name,
// description, period, dimensions and the rule that fills its table, and each
// family with the value ranges its rows must show.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "grooves/shaping.hpp"

namespace pipmoves::authoring {

// Inputs a rule may read besides its period: data files shipped with the
// sources, such as the waveform cycles.
struct Sources {
  std::filesystem::path data_dir;
  // One signed integer a line, in file order.
  std::vector<int> integers(const std::string& relative_path) const;
};

struct RowContext {
  int period;
  const Sources& sources;
};

using Rule = std::function<Table(const RowContext&)>;

// Ranges as printed, e.g. "x -0.8 to 0.8; y -0.3 to 0", "x, y -0.82 to 0.82"
// or "x, y within -0.82 to 0.82". An axis that is not named stays zero. Exact
// ranges must be reached, to the printed precision, over the rows they are
// stated for; "within" ranges only bound them.

struct Row {
  std::string name;
  int period;
  int dimensions;
  std::string description;
  Rule rule;
  std::string ranges{};  // the row's own, checked on it alone; none if empty
};

// Rows that belong together, such as one shape varied, in table order. The
// ranges, unless empty, hold over all the rows at once.
struct Family {
  std::string label;
  std::string ranges;
  std::vector<Row> rows;
};

// Ranges stated over rows that lie apart in table order, such as one move
// played on every groove of a pack; the rows are named.
struct Selection {
  std::string label;
  std::string ranges;
  std::vector<std::string> names;
};

struct Pack {
  std::string name;  // the namespace is pipmoves_<name>
  std::vector<Family> families;
  std::vector<Selection> selections{};
};

// A row with ranges of its own.
inline Row with_ranges(Row row, std::string ranges) {
  row.ranges = std::move(ranges);
  return row;
}

// Each pack is authored in the folder of its namespace.
namespace first_packs {
Pack initial_pack();
Pack expansion_pack();
}  // namespace first_packs
namespace atlas {
Pack atlas_pack();
}
namespace continuum {
Pack continuum_pack();
}
namespace grooves {
Pack club_pack();
Pack dancefloor_pack();
}  // namespace grooves

// Every pack in pack-table order.
std::vector<Pack> all_packs();

}  // namespace pipmoves::authoring

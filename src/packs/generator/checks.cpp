#include "checks.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <stdexcept>

#include "dimensions_rule.hpp"
#include "identifier_rule.hpp"

namespace pipmoves::packgen {
namespace {

constexpr std::size_t kLongestName = 32;
constexpr std::size_t kLongestDescription = 235;
constexpr int kShortestPeriod = 160;
constexpr int kLongestPeriod = 1024;
constexpr int kPeriodGrain = 32;  // half a beat
constexpr const char* kAxisNames[] = {"x", "y", "z"};

double component(const Offset3& o, int axis) { return axis == 0 ? o.x : axis == 1 ? o.y : o.z; }

std::string row_fault(const std::string& name, const std::string& rule) { return "row '" + name + "': " + rule; }

std::string show(double v) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.17g", v);
  return buffer;
}

// The identifier rule of user patterns, and no longer than any stored name.
bool valid_name(std::string_view name) { return name.size() <= kLongestName && detail::is_identifier(name); }

// Printable ASCII plus the two dashes, U+2013 and U+2014, as UTF-8.
bool valid_description_text(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7F) {
      continue;
    }
    if (c == 0xE2 && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0x80) {
      const auto last = static_cast<unsigned char>(text[i + 2]);
      if (last == 0x93 || last == 0x94) {
        i += 2;
        continue;
      }
    }
    return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> check_row(const StoredRow& row) {
  std::vector<std::string> faults;
  const auto fault = [&](const std::string& rule) { faults.push_back(row_fault(row.name, rule)); };

  if (!valid_name(row.name)) {
    fault("name must be 1 to 32 bytes of a-z, 0-9 and _, starting with a letter");
  }
  const std::string& d = row.description;
  if (d.empty() || d.size() > kLongestDescription) {
    fault("description must be 1 to 235 bytes, not " + std::to_string(d.size()));
  }
  if (!valid_description_text(d)) {
    fault("description may hold only printable ASCII and the en and em dashes");
  }
  if (!d.empty() && (d.front() == ' ' || (d.size() >= 2 && d.ends_with("  ")))) {
    fault("description may not start with a space nor end in more than one");
  }
  if (row.period < kShortestPeriod || row.period > kLongestPeriod || row.period % kPeriodGrain != 0) {
    fault("period must be a multiple of 32 from 160 to 1024, not " + std::to_string(row.period));
  }
  if (row.table.size() != static_cast<std::size_t>(row.period)) {
    fault("table holds " + std::to_string(row.table.size()) + " samples for a period of " + std::to_string(row.period));
    return faults;
  }
  for (std::size_t i = 0; i < row.table.size(); ++i) {
    for (int axis = 0; axis < 3; ++axis) {
      const double v = component(row.table[i], axis);
      const std::string where = std::string(kAxisNames[axis]) + " at pip " + std::to_string(i);
      if (!std::isfinite(v)) {
        fault(where + " is not finite");
      } else if (v < -1.0 || v > 1.0) {
        fault(where + " = " + show(v) + " lies outside [-1, 1]");
      } else if (v == 0.0 && std::signbit(v)) {
        fault(where + " is a negative zero");
      } else if (std::bit_cast<std::uint64_t>(round_to_twelve_places(v)) != std::bit_cast<std::uint64_t>(v)) {
        fault(where + " = " + show(v) + " has more than twelve decimals");
      }
    }
  }
  if (!faults.empty()) {
    return faults;
  }
  const int shown = detail::dimensions_of(row.table);
  if (shown != row.dimensions) {
    fault("dimensions is " + std::to_string(row.dimensions) + " but the table moves " + std::to_string(shown));
  }
  for (int axis = 0; axis < 3; ++axis) {
    double largest_step = 0.0;
    for (std::size_t i = 1; i < row.table.size(); ++i) {
      largest_step = std::max(largest_step, std::fabs(component(row.table[i], axis) - component(row.table[i - 1], axis)));
    }
    const double seam = std::fabs(component(row.table.front(), axis) - component(row.table.back(), axis));
    if (seam > largest_step) {
      fault(std::string("seam step on ") + kAxisNames[axis] + " is " + show(seam) +
            ", larger than the largest step inside the loop, " + show(largest_step));
    }
  }
  return faults;
}

std::vector<std::string> check_family(std::string_view label, const packs::StatedRanges& ranges,
                                      const std::vector<const StoredRow*>& rows) {
  std::vector<std::string> faults;
  const std::string family = "family '" + std::string(label) + "': ";
  for (int axis = 0; axis < 3; ++axis) {
    double lowest = 0.0;
    double highest = 0.0;
    bool first = true;
    const StoredRow* lowest_row = nullptr;
    const StoredRow* highest_row = nullptr;
    for (const StoredRow* row : rows) {
      for (const Offset3& o : row->table) {
        const double v = component(o, axis);
        if (first || v < lowest) {
          lowest = v;
          lowest_row = row;
        }
        if (first || v > highest) {
          highest = v;
          highest_row = row;
        }
        first = false;
      }
    }
    if (first) {
      continue;
    }
    const std::string axis_name = kAxisNames[axis];
    const auto& stated = ranges[static_cast<std::size_t>(axis)];
    if (!stated) {
      if (lowest != 0.0 || highest != 0.0) {
        const StoredRow* moving = lowest != 0.0 ? lowest_row : highest_row;
        faults.push_back(family + "row '" + moving->name + "' moves " + axis_name + ", which the family keeps at zero");
      }
      continue;
    }
    const std::string span = " (" + axis_name + " stated " + stated->low.text + " to " + stated->high.text + ")";
    if (stated->within) {
      if (lowest < stated->low.value) {
        faults.push_back(family + "row '" + lowest_row->name + "' reaches " + axis_name + " = " + show(lowest) + span);
      }
      if (highest > stated->high.value) {
        faults.push_back(family + "row '" + highest_row->name + "' reaches " + axis_name + " = " + show(highest) + span);
      }
      continue;
    }
    if (!packs::shows_as(lowest, stated->low)) {
      faults.push_back(family + "smallest " + axis_name + " is " + show(lowest) + " in row '" + lowest_row->name + "'" + span);
    }
    if (!packs::shows_as(highest, stated->high)) {
      faults.push_back(family + "largest " + axis_name + " is " + show(highest) + " in row '" + highest_row->name + "'" + span);
    }
  }
  return faults;
}

std::vector<std::string> check_unique_names(const std::vector<const StoredRow*>& rows,
                                            const std::vector<std::string_view>& procedural_names) {
  std::vector<std::string> faults;
  std::map<std::string_view, int> seen;
  for (std::string_view name : procedural_names) {
    seen[name] = 1;
  }
  for (const StoredRow* row : rows) {
    if (++seen[row->name] == 2) {
      faults.push_back(row_fault(row->name, "name is not unique among the default patterns"));
    }
  }
  return faults;
}

std::vector<std::string> check_selection(std::string_view label, std::string_view ranges,
                                         const std::vector<std::string>& names, const std::vector<StoredRow>& pack_rows) {
  std::vector<std::string> faults;
  std::map<std::string_view, const StoredRow*> by_name;
  for (const StoredRow& row : pack_rows) {
    by_name[row.name] = &row;
  }
  std::vector<const StoredRow*> rows;
  for (const std::string& name : names) {
    const auto found = by_name.find(name);
    if (found == by_name.end()) {
      faults.push_back("selection '" + std::string(label) + "' names row '" + name + "', which its pack does not hold");
    } else {
      rows.push_back(found->second);
    }
  }
  try {
    for (std::string& fault : check_family(label, packs::parse_stated_ranges(ranges), rows)) {
      faults.push_back(std::move(fault));
    }
  } catch (const std::invalid_argument& error) {
    faults.push_back("selection '" + std::string(label) + "': " + error.what());
  }
  return faults;
}

}  // namespace pipmoves::packgen

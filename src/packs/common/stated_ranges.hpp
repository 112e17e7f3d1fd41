#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace pipmoves::packs {

// One printed bound, e.g. "-0.798418": its value and how many decimals it shows.
struct PrintedValue {
  double value = 0.0;
  int decimals = 0;
  std::string text;
};

struct AxisRange {
  PrintedValue low;
  PrintedValue high;
  bool within = false;  // only a bound, not necessarily reached
};

// Per axis x, y, z: the stated range, or nothing for an axis that stays zero.
using StatedRanges = std::array<std::optional<AxisRange>, 3>;

// Parses "x -0.8 to 0.8; y -0.3 to 0", "x, y -0.82 to 0.82" or
// "x, y within -0.82 to 0.82". Throws std::invalid_argument naming the fault.
StatedRanges parse_stated_ranges(std::string_view text);

// Whether an observed extreme shows as the printed value: rounded to the
// printed decimals, or exactly for a printed whole number.
bool shows_as(double observed, const PrintedValue& printed);

}  // namespace pipmoves::packs

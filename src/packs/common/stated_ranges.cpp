#include "stated_ranges.hpp"

#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include "split.hpp"

namespace pipmoves::packs {
namespace {

PrintedValue parse_value(std::string_view text, std::string_view clause) {
  const std::string owned(text);
  char* end = nullptr;
  const double value = std::strtod(owned.c_str(), &end);
  if (owned.empty() || end != owned.c_str() + owned.size()) {
    throw std::invalid_argument("bad number '" + owned + "' in stated range '" + std::string(clause) + "'");
  }
  const std::size_t point = owned.find('.');
  const int decimals = point == std::string::npos ? 0 : static_cast<int>(owned.size() - point - 1);
  return {value, decimals, owned};
}

int axis_index(std::string_view name, std::string_view clause) {
  if (name == "x") return 0;
  if (name == "y") return 1;
  if (name == "z") return 2;
  throw std::invalid_argument("unknown axis '" + std::string(name) + "' in stated range '" + std::string(clause) + "'");
}

}  // namespace

StatedRanges parse_stated_ranges(std::string_view text) {
  StatedRanges ranges;
  for (std::string_view clause : split(text, "; ")) {
    // The axes come first, separated by ", "; then "within"?, low, "to", high.
    const std::vector<std::string_view> words = split(clause, " ");
    std::size_t w = 0;
    std::vector<int> axes;
    while (w < words.size()) {
      std::string_view word = words[w];
      const bool more = !word.empty() && word.back() == ',';
      if (more) {
        word.remove_suffix(1);
      }
      axes.push_back(axis_index(word, clause));
      ++w;
      if (!more) {
        break;
      }
    }
    AxisRange range;
    if (w < words.size() && words[w] == "within") {
      range.within = true;
      ++w;
    }
    if (words.size() != w + 3 || words[w + 1] != "to") {
      throw std::invalid_argument("stated range '" + std::string(clause) + "' is not 'AXES [within] LOW to HIGH'");
    }
    range.low = parse_value(words[w], clause);
    range.high = parse_value(words[w + 2], clause);
    if (range.low.value > range.high.value) {
      throw std::invalid_argument("stated range '" + std::string(clause) + "' runs backwards");
    }
    for (int axis : axes) {
      if (ranges[static_cast<std::size_t>(axis)]) {
        throw std::invalid_argument("axis stated twice in '" + std::string(text) + "'");
      }
      ranges[static_cast<std::size_t>(axis)] = range;
    }
  }
  return ranges;
}

bool shows_as(double observed, const PrintedValue& printed) {
  // Twelve stored decimals leave room for nothing finer than this.
  constexpr double kStoredResolution = 5e-13;
  if (printed.decimals == 0) {
    return std::fabs(observed - printed.value) <= kStoredResolution;
  }
  const double half_unit = 0.5 * std::pow(10.0, -printed.decimals);
  return std::fabs(observed - printed.value) <= half_unit + kStoredResolution;
}

}  // namespace pipmoves::packs

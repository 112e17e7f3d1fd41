#include <cstring>
#include <stdexcept>
#include <string>

#include "pipmoves/catalogue.hpp"
#include "pipmoves/pack_table.hpp"
#include "pipmoves/rudiments.hpp"
#include "pipmoves/shapes.hpp"

namespace pipmoves {
namespace {

bool is(std::string_view name, std::string_view candidate) noexcept {
  return std::memcmp(name.data(), candidate.data(), candidate.size()) == 0;
}

// The procedural names, compared only with those of the same length.
using Pattern = Offset3 (*)(int) noexcept;

Pattern procedural(std::string_view name) noexcept {
  switch (name.size()) {
    case 4:
      if (is(name, "sway")) return sway;
      if (is(name, "flam")) return flam;
      if (is(name, "drag")) return drag;
      return nullptr;
    case 5: return is(name, "helix") ? helix : nullptr;
    case 6:
      if (is(name, "bounce")) return bounce;
      if (is(name, "circle")) return circle;
      return nullptr;
    case 8: return is(name, "box_step") ? box_step : nullptr;
    case 10: return is(name, "step_touch") ? step_touch : nullptr;
    case 12: return is(name, "figure_eight") ? figure_eight : nullptr;
    case 15: return is(name, "clay_background") ? clay_background : nullptr;
    case 16: return is(name, "five_stroke_roll") ? five_stroke_roll : nullptr;
    case 17: return is(name, "single_paradiddle") ? single_paradiddle : nullptr;
    case 18:
      if (is(name, "single_stroke_roll")) return single_stroke_roll;
      if (is(name, "double_stroke_roll")) return double_stroke_roll;
      return nullptr;
    case 20: return is(name, "multiple_bounce_roll") ? multiple_bounce_roll : nullptr;
    default: return nullptr;
  }
}

// Lower bound over the name index: the first row whose name is not less than
// `name`, by halving over the flat array of name keys. Stored names hold no
// NUL byte, so equal keys and equal lengths mean equal names.
const PackEntry* find_pack_row(std::string_view name) noexcept {
  if (name.size() > detail::kLongestPackName) {
    return nullptr;
  }
  const std::span<const detail::NameKey> keys = detail::pack_name_keys();
  const detail::NameKey key = detail::name_key(name);
  std::size_t first = 0;
  std::size_t count = keys.size();
  while (count > 0) {
    const std::size_t half = count / 2;
    if (keys[first + half] < key) {
      first += half + 1;
      count -= half + 1;
    } else {
      count = half;
    }
  }
  if (first == keys.size() || keys[first] != key) {
    return nullptr;
  }
  const PackEntry& row = pack_table()[pack_name_index()[first]];
  return row.name.size() == name.size() ? &row : nullptr;
}

}  // namespace

Offset3 sample(std::string_view name, int pip) {
  if (const Pattern pattern = procedural(name)) {
    return pattern(pip);
  }
  if (const PackEntry* row = find_pack_row(name)) {
    return row->sampler(pip);
  }
  throw std::invalid_argument("Unknown pipmove: " + std::string(name));
}

}  // namespace pipmoves

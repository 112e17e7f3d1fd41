#include "ofl_entities.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace pipmoves::play::rig {
namespace {

// A decimal number followed by exactly the unit, as the format writes its
// entities ("-12.5deg", "50%").
std::optional<double> number_with_unit(std::string_view text, std::string_view unit) {
  if (text.size() <= unit.size() || !text.ends_with(unit)) {
    return std::nullopt;
  }
  const std::string_view digits = text.substr(0, text.size() - unit.size());
  double value = 0.0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                            std::chars_format::fixed);
  if (error != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

constexpr Fastness kInstant{2, 0.0};

// Full speed is the most a head moves, however the definition writes it ("200%").
Fastness speed_share(double percent) { return {1, std::min(std::abs(percent), 100.0)}; }

}  // namespace

std::optional<double> degrees_of(std::string_view text) { return number_with_unit(text, "deg"); }

std::uint32_t dmx_value_of(const nlohmann::ordered_json& value, int bytes) {
  const std::uint32_t top = (std::uint32_t{1} << (8 * bytes)) - 1;
  if (value.is_number_unsigned() && value.get<std::uint64_t>() <= top) {
    return static_cast<std::uint32_t>(value.get<std::uint64_t>());
  }
  if (value.is_string()) {
    const std::optional<double> percent = number_with_unit(value.get<std::string>(), "%");
    if (percent && *percent >= 0.0 && *percent <= 100.0) {
      return static_cast<std::uint32_t>(std::floor(*percent / 100.0 * top + 0.5));
    }
  }
  throw std::invalid_argument("the DMX value " + value.dump() + " is not a whole number from 0 to " +
                              std::to_string(top) + " or a percentage");
}

Fastness fastness_of_speed(std::string_view text) {
  if (text == "fast" || text == "fast reverse") {
    return speed_share(100.0);
  }
  if (text == "slow" || text == "slow reverse") {
    return speed_share(1.0);
  }
  if (text == "stop") {
    return speed_share(0.0);
  }
  if (const std::optional<double> percent = number_with_unit(text, "%")) {
    return speed_share(*percent);
  }
  throw std::invalid_argument("the speed \"" + std::string(text) + "\" cannot be ranked against the others");
}

Fastness fastness_of_duration(std::string_view text) {
  if (text == "instant") {
    return kInstant;
  }
  std::optional<double> seconds = number_with_unit(text, "s");
  if (!seconds) {
    if (const std::optional<double> ms = number_with_unit(text, "ms")) {
      seconds = *ms / 1000.0;
    }
  }
  if (!seconds || *seconds < 0.0) {
    throw std::invalid_argument("the move time \"" + std::string(text) + "\" cannot be ranked against the others");
  }
  return *seconds == 0.0 ? kInstant : Fastness{0, -*seconds};
}

}  // namespace pipmoves::play::rig

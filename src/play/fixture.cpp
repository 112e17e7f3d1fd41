#include "pipmoves/play/fixture.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace pipmoves::play {
namespace {

constexpr double kDmxTop = 65535.0;

double home_within(std::optional<double> home, double range) {
  const double value = home.value_or(range / 2.0);
  if (!(value >= 0.0 && value <= range)) {
    throw std::invalid_argument("Home must be finite and within the fixture's range");
  }
  return value;
}

void check_finite(const Offset3& position) {
  if (!std::isfinite(position.x) || !std::isfinite(position.y)) {
    throw std::invalid_argument("Positions must be finite");
  }
}

// Nearest 16-bit value of an angle already clamped to [0, range]; halves go up.
std::uint16_t dmx_value(double degrees, double range) {
  return static_cast<std::uint16_t>(std::min(std::floor(degrees / range * kDmxTop + 0.5), kDmxTop));
}

void check_rows(std::size_t positions, std::size_t out) {
  if (positions != out) {
    throw std::invalid_argument("Output rows must match the positions");
  }
}

}  // namespace

FixtureMap::FixtureMap(const FixtureProfile& profile) : profile_(profile) {
  const auto valid_range = [](double range) { return std::isfinite(range) && range > 0.0; };
  if (!valid_range(profile.pan_range_degrees) || !valid_range(profile.tilt_range_degrees)) {
    throw std::invalid_argument("Pan and tilt ranges must be finite and positive");
  }
  home_pan_ = home_within(profile.home_pan_degrees, profile.pan_range_degrees);
  home_tilt_ = home_within(profile.home_tilt_degrees, profile.tilt_range_degrees);
  if (!(profile.size >= 0.0 && profile.size <= 1.0)) {
    throw std::invalid_argument("Size must be finite and within [0, 1]");
  }
  pan_reach_ = (profile.invert_pan ? -0.5 : 0.5) * profile.size * profile.pan_range_degrees;
  tilt_reach_ = (profile.invert_tilt ? -0.5 : 0.5) * profile.size * profile.tilt_range_degrees;
}

PanTilt FixtureMap::angles(const Offset3& position) const {
  check_finite(position);
  return {std::clamp(home_pan_ + position.x * pan_reach_, 0.0, profile_.pan_range_degrees),
          std::clamp(home_tilt_ + position.y * tilt_reach_, 0.0, profile_.tilt_range_degrees)};
}

DmxPanTilt FixtureMap::dmx(const Offset3& position) const {
  const PanTilt a = angles(position);
  const std::uint16_t pan = dmx_value(a.pan, profile_.pan_range_degrees);
  const std::uint16_t tilt = dmx_value(a.tilt, profile_.tilt_range_degrees);
  return {static_cast<std::uint8_t>(pan >> 8), static_cast<std::uint8_t>(pan & 0xFF),
          static_cast<std::uint8_t>(tilt >> 8), static_cast<std::uint8_t>(tilt & 0xFF)};
}

void FixtureMap::angles(std::span<const Offset3> positions, std::span<PanTilt> out) const {
  check_rows(positions.size(), out.size());
  for (std::size_t i = 0; i < positions.size(); ++i) {
    out[i] = angles(positions[i]);
  }
}

void FixtureMap::dmx(std::span<const Offset3> positions, std::span<DmxPanTilt> out) const {
  check_rows(positions.size(), out.size());
  for (std::size_t i = 0; i < positions.size(); ++i) {
    out[i] = dmx(positions[i]);
  }
}

}  // namespace pipmoves::play

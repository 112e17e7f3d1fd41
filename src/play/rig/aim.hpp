#pragma once

// Where a calibrated head aims for a position, and the DMX value of an angle:
// the one mapping that a patch's stateless angles and its player share.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <span>
#include <stdexcept>

#include "pipmoves/offset3.hpp"
#include "pipmoves/play/fixture.hpp"
#include "pipmoves/play/patch.hpp"

namespace pipmoves::play::rig {

// A calibration's mapping with its signs worked out once.
struct Aimer {
  explicit Aimer(const Calibration& c)
      : home_pan(c.home_pan), home_tilt(c.home_tilt), reach_pan(c.invert_pan ? -c.reach_pan : c.reach_pan),
        reach_tilt((c.invert_tilt != (c.mounting == Mounting::hung)) ? -c.reach_tilt : c.reach_tilt),
        swap(c.swap_pan_tilt), pan_limits(c.pan_limits), tilt_limits(c.tilt_limits) {}

  // The aim before slew and limits.
  PanTilt aim(const Offset3& position) const noexcept {
    const double a = swap ? position.y : position.x;
    const double b = swap ? position.x : position.y;
    return {home_pan + reach_pan * a, home_tilt + reach_tilt * b};
  }

  PanTilt within_limits(PanTilt angles) const noexcept {
    return {std::clamp(angles.pan, pan_limits.min, pan_limits.max),
            std::clamp(angles.tilt, tilt_limits.min, tilt_limits.max)};
  }

  double home_pan;
  double home_tilt;
  double reach_pan;   // signed by the inversion
  double reach_tilt;  // signed by the inversion and the mounting
  bool swap;
  DegreeLimits pan_limits;
  DegreeLimits tilt_limits;
};

// round(degrees / range * top), halves up, clamped to [0, top], where top is
// the largest value of `bytes` bytes.
inline std::uint32_t dmx_of(double degrees, double range, int bytes) noexcept {
  const double top = static_cast<double>((std::uint32_t{1} << (8 * bytes)) - 1);
  return static_cast<std::uint32_t>(std::clamp(std::floor(degrees / range * top + 0.5), 0.0, top));
}

inline void check_positions(std::span<const Offset3> positions, std::size_t fixtures) {
  if (positions.size() != fixtures) {
    throw std::invalid_argument("Positions must be one per fixture: the patch has " + std::to_string(fixtures));
  }
  for (const Offset3& p : positions) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
      throw std::invalid_argument("Positions must be finite");
    }
  }
}

}  // namespace pipmoves::play::rig

#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "pipmoves/offset3.hpp"

namespace pipmoves::play {

// A moving head's travel, in degrees from one end of each axis.
struct PanTilt {
  double pan = 0.0;
  double tilt = 0.0;
};

// 16-bit DMX values as the four channels a fixture reads them in: pan coarse,
// pan fine, tilt coarse, tilt fine.
struct DmxPanTilt {
  std::uint8_t pan_coarse = 0;
  std::uint8_t pan_fine = 0;
  std::uint8_t tilt_coarse = 0;
  std::uint8_t tilt_fine = 0;

  std::uint16_t pan() const noexcept { return static_cast<std::uint16_t>(pan_coarse << 8 | pan_fine); }
  std::uint16_t tilt() const noexcept { return static_cast<std::uint16_t>(tilt_coarse << 8 | tilt_fine); }
};

struct FixtureProfile {
  double pan_range_degrees = 540.0;
  double tilt_range_degrees = 270.0;
  // Where offset (0, 0) points; the middle of each range by default.
  std::optional<double> home_pan_degrees = std::nullopt;
  std::optional<double> home_tilt_degrees = std::nullopt;
  // The share of each range the pattern may use: x and y of +-1 reach
  // +-size * range / 2 from home.
  double size = 1.0;
  bool invert_pan = false;
  bool invert_tilt = false;
};

// Maps a position's x to pan and its y to tilt for one kind of fixture, and
// on to 16-bit DMX. Angles beyond either end are clamped to it, never
// wrapped; DMX rounds to the nearest value, halves upwards.
class FixtureMap {
 public:
  // Throws std::invalid_argument:
  // - "Pan and tilt ranges must be finite and positive";
  // - "Home must be finite and within the fixture's range";
  // - "Size must be finite and within [0, 1]".
  explicit FixtureMap(const FixtureProfile& profile);

  const FixtureProfile& profile() const noexcept { return profile_; }

  // Throw std::invalid_argument "Positions must be finite" for an x or y that
  // is not; z plays no part.
  PanTilt angles(const Offset3& position) const;
  DmxPanTilt dmx(const Offset3& position) const;

  // Row by row; out must be as long as positions. Throw as above, or
  // std::invalid_argument "Output rows must match the positions" first.
  void angles(std::span<const Offset3> positions, std::span<PanTilt> out) const;
  void dmx(std::span<const Offset3> positions, std::span<DmxPanTilt> out) const;

 private:
  FixtureProfile profile_;
  double home_pan_;
  double home_tilt_;
  double pan_reach_;   // degrees per unit of x, signed by the inversion
  double tilt_reach_;  // degrees per unit of y
};

}  // namespace pipmoves::play

// Atlas noise family: closed paths through control points taken from SHA-256
// digests. Control point k of a row comes from the digest of the row's name,
// a colon and k in decimal, so every table is a pure function of its row.

#include <array>
#include <cmath>
#include <cstdint>
#include <string>

#include "atlas_families.hpp"
#include "atlas_shaping.hpp"
#include "common/sha256.hpp"

namespace pipmoves::authoring::atlas {
namespace {

constexpr int kLoop = 1024;  // sixteen beats
constexpr double kPeak = 0.82;
constexpr double kDepthLow = -0.5159;
constexpr double kDepthHigh = 0.4637;

// Three numbers in [0, 1) from one control point's digest: the top 53 bits of
// its first, second and third eight bytes, read big-endian.
std::array<double, 3> digest_units(const std::string& row, int index) {
  const packs::Sha256Digest digest = packs::sha256(row + ":" + std::to_string(index));
  std::array<double, 3> units{};
  for (std::size_t lane = 0; lane < 3; ++lane) {
    std::uint64_t bits = 0;
    for (std::size_t b = 0; b < 8; ++b) {
      bits = bits << 8 | digest[8 * lane + b];
    }
    units[lane] = static_cast<double>(bits >> 11) / 9007199254740992.0;  // 2^53
  }
  return units;
}

enum class Kind { drift, orbit, ripple, depth };

// How far an orbit point may stray from its even angle, as a share of the
// angle between neighbours, and the band its radius stays in.
constexpr double kOrbitJitter = 0.4;
constexpr double kOrbitInner = 0.55;
// Ripple points sweep round a wide horizontal ellipse while their height
// alternates above and below the middle by a drawn amount.
constexpr double kRippleWidthMin = 0.75;
constexpr double kRippleHeightMin = 0.35;

// Control point k of a row of the given kind, before it is fitted to range.
Offset3 control_point(Kind kind, const std::string& row, int points, int k) {
  const auto [u, v, w] = digest_units(row, k);
  const double even_angle = 2.0 * kPi * k / points;
  switch (kind) {
    case Kind::drift:
      return {2.0 * u - 1.0, 2.0 * v - 1.0, 0.0};
    case Kind::orbit:
    case Kind::depth: {
      const double angle = even_angle + (2.0 * u - 1.0) * kOrbitJitter * kPi / points;
      const double radius = kOrbitInner + (1.0 - kOrbitInner) * v;
      return {radius * std::cos(angle), radius * std::sin(angle), kind == Kind::depth ? 2.0 * w - 1.0 : 0.0};
    }
    case Kind::ripple: {
      const double side = k % 2 == 0 ? 1.0 : -1.0;
      return {std::cos(even_angle) * (kRippleWidthMin + (1.0 - kRippleWidthMin) * u),
              side * (kRippleHeightMin + (1.0 - kRippleHeightMin) * v), 0.0};
    }
  }
  return {};
}

Rule noise_path(Kind kind, std::string row, int points) {
  return [kind, row, points](const RowContext& c) {
    std::vector<Offset3> controls;
    for (int k = 0; k < points; ++k) {
      controls.push_back(control_point(kind, row, points, k));
    }
    const auto lane = [&](int axis, int i) {
      return closed_spline([&](int k) { return component(controls[static_cast<std::size_t>(k)], axis); }, points, i,
                           c.period);
    };
    Table table = tabulate(c.period, [&](int i) { return Offset3{lane(0, i), lane(1, i), lane(2, i)}; });
    table = spanned(std::move(table), 0, -kPeak, kPeak);
    table = spanned(std::move(table), 1, -kPeak, kPeak);
    if (kind == Kind::depth) {
      table = spanned(std::move(table), 2, kDepthLow, kDepthHigh);
    }
    return table;
  };
}

struct NoiseKind {
  Kind kind;
  const char* word;
  std::array<int, 4> points;  // the number in the name: control points per loop
};

const std::array<NoiseKind, 4> kKinds{{
    {Kind::drift, "drift", {5, 7, 9, 11}},
    {Kind::orbit, "orbit", {6, 8, 10, 12}},
    {Kind::ripple, "ripple", {5, 7, 9, 11}},
    {Kind::depth, "depth", {6, 8, 10, 12}},
}};

}  // namespace

Family noise_family() {
  Family family{"noise", "x, y -0.82 to 0.82; z -0.5159 to 0.4637", {}};
  for (const NoiseKind& kind : kKinds) {
    for (const int points : kind.points) {
      const std::string name = "noise_" + std::string(kind.word) + "_" + std::to_string(points);
      family.rows.push_back({name, kLoop, kind.kind == Kind::depth ? 3 : 2,
                             "Indexed SHA-256 control points in a closed " + std::string(kind.word) +
                                 " path. No mutable random state.",
                             noise_path(kind.kind, name, points)});
    }
  }
  return family;
}

}  // namespace pipmoves::authoring::atlas

// Closed curves of the phase: ribbons, shaped contours, harmonic silhouettes,
// surface paths and braids.

#include <array>
#include <cmath>
#include <string>

#include "family.hpp"
#include "families.hpp"

namespace pipmoves::authoring::continuum {
namespace {

using std::cos;
using std::sin;

// sign(v) |v|^n: squarer edges below 1, pinched ones above.
double signed_power(double v, double n) { return std::copysign(std::pow(std::fabs(v), n), v); }

// ---- ribbon -----------------------------------------------------------------

// The number pairs that name the ribbons and the surface paths.
struct Pair {
  int first;
  int second;
};
constexpr std::array<Pair, 8> kPairs{{{1, 2}, {1, 3}, {1, 4}, {1, 5}, {2, 3}, {2, 5}, {3, 4}, {3, 5}}};

std::string pair_name(Pair pair) { return std::to_string(pair.first) + "_" + std::to_string(pair.second); }

// A ribbon swells and narrows `first` times per lap and weaves across its
// spine kWeavesPerTurn times `second`.
constexpr int kWeavesPerTurn = 3;
constexpr double kRibbonAspect = 0.93;  // height of the elliptical spine over its width
constexpr double kSpineBow = 0.08;      // the spine sags on one side
constexpr double kSwellPhase = 0.4;     // radians; where along the lap the ribbon is widest

struct RibbonWidth {
  const char* name;
  double width;  // half-width of the weave, as a share of the spine radius
  double swell;  // how much the width varies around the lap
  double tilt;   // angle of the ribbon out of the plane, radians
};
constexpr std::array<RibbonWidth, 2> kRibbonWidths{{{"slim", 0.07, 0.45, 0.55}, {"deep", 0.13, 0.6, 0.95}}};

Rule ribbon(Pair pair, RibbonWidth width) {
  return curve([pair, width](double t) {
    const double weave = sin(kWeavesPerTurn * pair.second * t);
    const double half_width = width.width * (1.0 + width.swell * cos(pair.first * t + kSwellPhase));
    const double radius = 1.0 + kSpineBow * sin(t) + half_width * weave * cos(width.tilt);
    return Offset3{radius * cos(t), kRibbonAspect * radius * sin(t), half_width * weave * sin(width.tilt)};
  });
}

// ---- contour_shaped ---------------------------------------------------------

struct Contour {
  double exponent;     // signed power of the oval's edges
  int ripples;         // local ripples per lap
  double ripple;       // their radial depth
  double bow;          // bend of the whole oval
  double bow_tilt;     // turns the bend off the axes, radians
  double depth;        // z swing of the rows that move in depth
};
constexpr double kContourHeight = 0.72;  // of the oval, against its width
constexpr std::array<Contour, 16> kContours{{
    {0.55, 5, 0.035, 0.12, 0.3, 0},  {0.7, 7, 0.03, -0.1, 0.9, 0},   {0.85, 3, 0.05, 0.16, -0.4, 0},
    {1.25, 6, 0.025, 0.08, 1.4, 0},  {0.6, 9, 0.02, -0.14, -1.1, 0}, {1.4, 4, 0.04, 0.11, 0.6, 0},
    {0.75, 11, 0.018, 0.18, 2.2, 0}, {1.1, 8, 0.03, -0.09, -2.5, 0}, {0.65, 4, 0.045, 0.1, 0.2, 0.12},
    {0.9, 6, 0.03, -0.15, 1.0, 0.16}, {1.3, 5, 0.035, 0.14, -0.7, 0.1}, {0.58, 7, 0.025, -0.08, 2.6, 0.14},
    {1.05, 10, 0.02, 0.17, -1.6, 0.09}, {0.8, 3, 0.055, -0.12, 0.5, 0.18}, {1.45, 9, 0.022, 0.1, 1.9, 0.11},
    {0.7, 12, 0.015, -0.16, -0.2, 0.15},
}};
constexpr double kContourStart = 0.35;  // radians, keeps the seam off a corner
// Depth leans with the bend and rides the ripples, unevenly above and below.
constexpr double kDepthLean = 0.35, kDepthRipple = 0.4;

Rule contour(Contour c) {
  return curve([c](double t) {
    const double a = t + kContourStart;
    const double radius = 1.0 + c.ripple * sin(c.ripples * a);
    const double x = signed_power(cos(a), c.exponent) * radius;
    const double bend = c.bow * cos(2.0 * a + c.bow_tilt);
    const double y = kContourHeight * signed_power(sin(a), c.exponent) * radius + bend;
    const double z = c.depth * (cos(2.0 * a + c.bow_tilt) - kDepthLean + kDepthRipple * sin(c.ripples * a));
    return Offset3{x, y, z};
  });
}

// ---- silhouette_harmonic ----------------------------------------------------

struct Silhouette {
  int second;            // harmonic numbers of the two upper components
  int third;
  double a2, a3;         // their amplitudes against the fundamental's 1
  double phase2, phase3; // radians
  double cross;          // extra phase of the y components, radians
  double depth;          // the linked depth term
};
// Upper harmonics stay small enough (h a summed below one) that the outline
// never folds into a loop.
constexpr double kSilhouetteHeight = 0.86;
constexpr double kDepthEcho = 0.3;  // share of the depth term that follows the third component
constexpr std::array<Silhouette, 16> kSilhouettes{{
    {2, 3, 0.32, 0.12, 0.4, 1.1, 0.6, 0.08},   {2, 5, 0.26, 0.09, -0.8, 0.3, 1.2, 0.1},
    {3, 4, 0.22, 0.1, 1.5, -0.6, 0.4, 0.06},   {3, 5, 0.24, 0.07, 0.2, 2.0, -0.9, 0.09},
    {2, 4, 0.36, 0.14, -1.2, 0.9, 0.8, 0.07},  {4, 5, 0.12, 0.06, 0.7, -1.4, 1.6, 0.1},
    {2, 7, 0.24, 0.04, 2.1, 0.5, -0.5, 0.08},  {3, 7, 0.2, 0.05, -0.3, 1.8, 1.0, 0.05},
    {4, 7, 0.13, 0.05, 1.0, -0.2, -1.3, 0.09},  {2, 6, 0.28, 0.04, -2.0, 1.3, 0.3, 0.11},
    {3, 8, 0.18, 0.04, 0.9, -1.0, 1.9, 0.07},  {5, 7, 0.1, 0.05, -0.6, 0.7, -0.2, 0.1},
    {2, 9, 0.28, 0.04, 1.7, -1.7, 0.9, 0.06},   {4, 9, 0.12, 0.04, -1.5, 2.4, 1.4, 0.08},
    {5, 8, 0.1, 0.045, 0.3, -2.2, -1.1, 0.09},  {3, 10, 0.18, 0.035, 2.6, 0.1, 0.7, 0.07},
}};

Rule silhouette(Silhouette s) {
  return curve([s](double t) {
    const double x = cos(t) + s.a2 * cos(s.second * t + s.phase2) + s.a3 * cos(s.third * t + s.phase3);
    const double y = kSilhouetteHeight * (sin(t) + s.a2 * sin(s.second * t + s.phase2 + s.cross) -
                                          s.a3 * sin(s.third * t + s.phase3 - s.cross));
    // Depth follows the second component a quarter turn behind, and a little
    // of the third.
    const double z = s.depth * (sin(s.second * t + s.phase2 - 0.5 * kPi) + kDepthEcho * cos(s.third * t));
    return Offset3{x, y, z};
  });
}

// ---- surface ----------------------------------------------------------------

struct SurfaceSize {
  const char* name;
  double latitude;  // largest latitude reached, radians
};
constexpr std::array<SurfaceSize, 2> kSurfaceSizes{{{"low", 0.38}, {"wide", 0.95}}};
constexpr double kSurfaceSwell = 0.12;  // radial variation of the surface
constexpr double kSwellTurn = 0.7;      // radians
constexpr double kLatitudeLean = 0.3;   // how far the latitude's phase follows the longitude

// `turns` laps of longitude while the latitude swings `swings` times; the
// latitude also leans with the longitude, which couples the two.
Rule surface(Pair pair, SurfaceSize size) {
  const int turns = pair.first;
  const int swings = pair.second;
  return curve([turns, swings, size](double t) {
    const double longitude = turns * t;
    const double latitude = size.latitude * sin(swings * t + kLatitudeLean * sin(longitude));
    const double radius = 1.0 + kSurfaceSwell * cos((turns + swings) * t + kSwellTurn);
    return Offset3{radius * cos(latitude) * cos(longitude), radius * cos(latitude) * sin(longitude),
                   radius * sin(latitude)};
  });
}

// ---- braid ------------------------------------------------------------------

struct BraidPair {
  int laps;   // of the centreline
  int turns;  // of the cross-section around it
};
constexpr std::array<BraidPair, 16> kBraids{{{1, 2}, {1, 3}, {1, 4}, {1, 5}, {2, 3}, {2, 5}, {3, 4}, {3, 5},
                                             {1, 6}, {2, 7}, {3, 7}, {4, 5}, {4, 7}, {5, 6}, {5, 7}, {5, 8}}};
constexpr double kBraidRadius = 0.62;     // of the centreline
constexpr double kBraidOffset = 0.05;     // the centreline sits off the origin
constexpr double kBraidSectionWide = 0.3, kBraidSectionTall = 0.22;
constexpr double kBraidRipple = 0.06;     // the second depth ripple
constexpr double kBraidAspect = 0.95;     // of the centreline

Rule braid(BraidPair pair) {
  return curve([pair](double t) {
    const double along = pair.laps * t;
    const double around = pair.turns * t;
    // The elliptical cross-section rolls once per loop.
    const double u0 = kBraidSectionWide * cos(around), v0 = kBraidSectionTall * sin(around);
    const double u = u0 * cos(t) - v0 * sin(t);
    const double v = u0 * sin(t) + v0 * cos(t);
    return Offset3{(kBraidRadius + u) * cos(along) + kBraidOffset, kBraidAspect * (kBraidRadius + u) * sin(along),
                   v + kBraidRipple * sin(2.0 * around + along)};
  });
}

}  // namespace

Family ribbon_family() {
  std::vector<Draft> drafts;
  for (const RibbonWidth& width : kRibbonWidths) {
    for (const Pair& pair : kPairs) {
      drafts.push_back({"ribbon_" + pair_name(pair) + "_" + width.name, 1024, 3, ribbon(pair, width)});
    }
  }
  return fitted_family("ribbon", "A curved elliptical spine with variable radial width and linked depth deflection.",
                       "x -0.82 to 0.82; y -0.7636 to 0.7636; z -0.2576 to 0.2576", std::move(drafts));
}

Family contour_shaped_family() {
  std::vector<Draft> drafts;
  for (std::size_t k = 0; k < kContours.size(); ++k) {
    const Contour& c = kContours[k];
    drafts.push_back({"contour_shaped_" + two_digits(static_cast<int>(k) + 1), 1024, c.depth == 0 ? 2 : 3, contour(c)});
  }
  return fitted_family("contour_shaped", "Signed-power oval edges with local ripples and an asymmetric bow.",
                       "x -0.82 to 0.82; y -0.593 to 0.6027; z -0.148 to 0.094", std::move(drafts));
}

Family silhouette_harmonic_family() {
  std::vector<Draft> drafts;
  for (std::size_t k = 0; k < kSilhouettes.size(); ++k) {
    drafts.push_back(
        {"silhouette_harmonic_" + two_digits(static_cast<int>(k) + 1), 1024, 3, silhouette(kSilhouettes[k])});
  }
  return fitted_family("silhouette_harmonic",
                       "Three unequal harmonic components, with cross-axis phases and a small linked depth term.",
                       "x -0.82 to 0.82; y -0.6982 to 0.6868; z -0.079 to 0.0805", std::move(drafts));
}

Family surface_family() {
  std::vector<Draft> drafts;
  for (const SurfaceSize& size : kSurfaceSizes) {
    for (const Pair& pair : kPairs) {
      drafts.push_back({"surface_" + pair_name(pair) + "_" + size.name, 1024, 3, surface(pair, size)});
    }
  }
  return fitted_family(
      "surface",
      "A varying-radius surface path with coupled longitude and latitude; all three coordinates are retained.",
      "x -0.7207 to 0.82; y -0.7854 to 0.7854; z -0.7757 to 0.7757", std::move(drafts));
}

Family braid_family() {
  std::vector<Draft> drafts;
  for (const BraidPair& pair : kBraids) {
    drafts.push_back({"braid_" + std::to_string(pair.laps) + "_" + std::to_string(pair.turns), 1024, 3, braid(pair)});
  }
  return fitted_family("braid", "An offset tube centreline and a rolling cross-section with a second depth ripple.",
                       "x -0.82 to 0.82; y -0.8132 to 0.8132; z -0.4127 to 0.4221", std::move(drafts));
}

}  // namespace pipmoves::authoring::continuum

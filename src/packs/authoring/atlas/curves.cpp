// Atlas curve families: closed paths in the plane (harmonic orbits, weaves,
// roses, scallops, spirographs) and in space (torus knots, coordinate weaves).

#include <array>
#include <cmath>
#include <cstdio>
#include <string>

#include "families.hpp"
#include "helpers.hpp"

namespace pipmoves::authoring::atlas {
namespace {

using std::cos;
using std::sin;

constexpr int kPhrase = 512;  // eight beats
constexpr int kLoop = 1024;   // sixteen beats
constexpr double kPeak = 0.82;

std::string pair_name(const char* prefix, int a, int b) {
  return prefix + std::to_string(a) + "_" + std::to_string(b);
}

// ---- orbit_harmonic ---------------------------------------------------------

constexpr std::array<double, 16> kRippleSizes{0.18, 0.22, 0.25, 0.28, 0.25, 0.2,  0.15, 0.13,
                                              0.34, 0.31, 0.29, 0.26, 0.23, 0.2,  0.17, 0.14};

Rule harmonic_orbit(int j) {
  const int k = (j - 1) % 8 + 2;
  const double r = kRippleSizes[static_cast<std::size_t>(j - 1)];
  const double phi = j <= 8 ? 0.0 : 0.5 + 0.3 * (j - 9);
  return normalised(curve([=](double t) {
                      return Offset3{cos(t) + r * cos(k * t + phi), 0.72 * sin(t) - r * sin((k + 1) * t - phi), 0.0};
                    }),
                    kPeak);
}

// ---- weave ------------------------------------------------------------------

struct Pair {
  int a;
  int b;
};

constexpr std::array<Pair, 16> kWeaves{{{1, 3}, {1, 4}, {1, 5}, {2, 5}, {2, 7}, {3, 4}, {3, 5}, {3, 7},
                                        {3, 8}, {4, 5}, {4, 7}, {4, 9}, {5, 6}, {5, 7}, {5, 8}, {5, 9}}};

Rule weave(int a, int b) {
  return normalised(curve([=](double t) { return Offset3{sin(a * t + 0.37), 0.8125 * sin(b * t), 0.0}; }), kPeak);
}

// ---- polar_rose -------------------------------------------------------------

constexpr std::array<int, 8> kPetalParameters{3, 6, 7, 8, 9, 10, 11, 12};

// Odd k runs half a turn with k lobes; even k a full turn with k/2.
Rule rose(int k) {
  const bool odd = k % 2 == 1;
  const double n = odd ? k : k / 2;
  return curve([=](double t) {
    const double psi = odd ? t / 2 : t;
    const double r = kPeak * cos(n * psi);
    return Offset3{r * cos(psi), r * sin(psi), 0.0};
  });
}

// ---- polar_scallop ----------------------------------------------------------

// Radius between kScallopInner and 1: scallops meet in soft inward cusps and
// the path never nears the centre.
constexpr double kScallopInner = 0.55;
constexpr double kCuspSoftness = 0.12;
// One lobe's angle is pushed round by up to this share of its half-width,
// which leans its crest towards one of its cusps.
constexpr double kBendShare = 0.6;
// The push fades to e^-2 at the lobe's cusps.
constexpr double kBendFade = 2.0;

Rule scallop(int lobes) {
  const double half_lobe = kPi / lobes;
  const double sharpness = kBendFade / (1.0 - cos(half_lobe));
  const double bend = kBendShare * half_lobe;
  return normalised(curve([=](double t) {
                      const double bent = t + bend * bump(t, half_lobe, sharpness);
                      const double s = sin(lobes * bent / 2);
                      const double rise = std::sqrt(s * s + kCuspSoftness * kCuspSoftness) - kCuspSoftness;
                      const double r = kScallopInner + (1.0 - kScallopInner) * rise;
                      return Offset3{r * cos(t), r * sin(t), 0.0};
                    }),
                    kPeak);
}

// ---- spiro ------------------------------------------------------------------

struct Spiro {
  int big;    // R, the fixed circle
  int small;  // r, the rolling circle
  double pen; // q: the pen sits at q r from the rolling centre
};

constexpr std::array<Spiro, 8> kSpiros{{{3, 1, 0.45},
                                        {4, 1, 0.6},
                                        {5, 2, 0.75},
                                        {5, 1, 0.55},
                                        {7, 2, 0.65},
                                        {7, 3, 0.7},
                                        {8, 3, 0.6},
                                        {9, 4, 0.8}}};

Rule spiro_inside(const Spiro& s) {
  const double big = s.big, small = s.small, d = s.pen * s.small;
  return normalised(curve([=](double t) {
                      return Offset3{(big - small) * cos(small * t) + d * cos((big - small) * t),
                                     (big - small) * sin(small * t) - d * sin((big - small) * t), 0.0};
                    }),
                    kPeak);
}

Rule spiro_outside(const Spiro& s) {
  const double big = s.big, small = s.small, d = s.pen * s.small;
  return normalised(curve([=](double t) {
                      return Offset3{(big + small) * cos(small * t) - d * cos((big + small) * t),
                                     (big + small) * sin(small * t) - d * sin((big + small) * t), 0.0};
                    }),
                    kPeak);
}

// ---- space_torus ------------------------------------------------------------

constexpr std::array<Pair, 8> kTorusKnots{{{2, 5}, {2, 7}, {3, 4}, {3, 5}, {3, 7}, {4, 5}, {4, 7}, {5, 6}}};

Rule torus_knot(int p, int q) {
  return normalised(curve([=](double t) {
                      const double ring = 0.58 + 0.2 * cos(q * t);
                      return Offset3{ring * cos(p * t), ring * sin(p * t), 0.42 * sin(q * t)};
                    }),
                    kPeak);
}

// ---- space_weave ------------------------------------------------------------

struct Triple {
  int a;
  int b;
  int c;
};

constexpr std::array<Triple, 8> kSpaceWeaves{
    {{1, 2, 3}, {1, 3, 4}, {2, 3, 4}, {2, 3, 7}, {2, 5, 7}, {3, 4, 5}, {3, 5, 7}, {4, 5, 7}}};

Rule space_weave(const Triple& f) {
  return normalised(curve([=](double t) {
                      return Offset3{sin(f.a * t), 0.8 * sin(f.b * t + 0.4), 0.7 * cos(f.c * t + 0.7)};
                    }),
                    kPeak);
}

}  // namespace

Family orbit_harmonic_family() {
  Family family{"orbit_harmonic", "x -0.82 to 0.82; y -0.6552 to 0.6525", {}};
  for (int j = 1; j <= 16; ++j) {
    char name[32];
    std::snprintf(name, sizeof name, "orbit_harmonic_%02d", j);
    family.rows.push_back(
        {name, kPhrase, 2, "An ellipse combined with unequal horizontal and vertical harmonic ripples.", harmonic_orbit(j)});
  }
  return family;
}

Family weave_family() {
  Family family{"weave", "x -0.82 to 0.82; y -0.6663 to 0.6663", {}};
  for (const Pair& w : kWeaves) {
    family.rows.push_back({pair_name("weave_", w.a, w.b), kLoop, 2,
                           std::to_string(w.a) + " horizontal and " + std::to_string(w.b) +
                               " vertical cycles; a phase-offset, closed 16-beat traversal.",
                           weave(w.a, w.b)});
  }
  return family;
}

Family polar_rose_family() {
  Family family{"polar_rose", "x, y within -0.82 to 0.82", {}};
  for (const int k : kPetalParameters) {
    family.rows.push_back({"polar_rose_" + std::to_string(k), kLoop, 2,
                           "A complete signed-radius rose traversal; odd-petal roses use a half-turn parameter.",
                           rose(k)});
  }
  return family;
}

Family polar_scallop_family() {
  Family family{"polar_scallop", "x, y within -0.82 to 0.82", {}};
  for (int lobes = 2; lobes <= 9; ++lobes) {
    family.rows.push_back({"polar_scallop_" + std::to_string(lobes), kLoop, 2,
                           "A positive-radius scalloped loop; no centre crossings, with an asymmetrically bent lobe.",
                           scallop(lobes)});
  }
  return family;
}

Family spiro_inside_family() {
  Family family{"spiro_inside", "x, y within -0.82 to 0.82", {}};
  for (const Spiro& s : kSpiros) {
    family.rows.push_back({pair_name("spiro_inside_", s.big, s.small), kLoop, 2,
                           "A closed inside-rolling circle trace, with pen radius smaller than the rolling radius.",
                           spiro_inside(s)});
  }
  return family;
}

Family spiro_outside_family() {
  Family family{"spiro_outside", "x, y within -0.82 to 0.82", {}};
  for (const Spiro& s : kSpiros) {
    family.rows.push_back({pair_name("spiro_outside_", s.big, s.small), kLoop, 2,
                           "A closed outside-rolling circle trace, with pen radius smaller than the rolling radius.",
                           spiro_outside(s)});
  }
  return family;
}

Family space_torus_family() {
  Family family{"space_torus", "x, y -0.82 to 0.82; z -0.4415 to 0.4415", {}};
  for (const Pair& k : kTorusKnots) {
    family.rows.push_back({pair_name("space_torus_", k.a, k.b), kLoop, 3,
                           "A genuine XYZ closed torus-knot trajectory. The demo uses an oblique projection.",
                           torus_knot(k.a, k.b)});
  }
  return family;
}

Family space_weave_family() {
  Family family{"space_weave", "x -0.82 to 0.82; y -0.656 to 0.656; z -0.574 to 0.574", {}};
  for (const Triple& f : kSpaceWeaves) {
    family.rows.push_back({"space_weave_" + std::to_string(f.a) + "_" + std::to_string(f.b) + "_" + std::to_string(f.c),
                           kLoop, 3, "Three coprime-frequency coordinate lanes with distinct phase offsets.",
                           space_weave(f)});
  }
  return family;
}

}  // namespace pipmoves::authoring::atlas

// Splines: periodic cubic curves through hand-placed controls, each segment
// with its own duration.

#include <cmath>
#include <vector>

#include "family.hpp"
#include "families.hpp"

namespace pipmoves::authoring::continuum {
namespace {

struct Control {
  Offset3 at;
  double beats;  // time spent on the segment from here to the next control
};

struct SplineShape {
  const char* name;
  std::vector<Control> controls;
};

// The first eight stay in the plane; the last eight lean into depth.
const std::vector<SplineShape> kSplineShapes{
    {"kite", {{{0.0, 1.0, 0}, 1.25}, {{0.55, 0.15, 0}, 0.75}, {{0.0, -1.0, 0}, 1.25}, {{-0.45, 0.2, 0}, 0.75}}},
    {"hourglass",
     {{{-0.7, 0.85, 0}, 1.5}, {{0.7, 0.9, 0}, 1.0}, {{0.1, 0.0, 0}, 1.0},
      {{0.75, -0.85, 0}, 1.5}, {{-0.65, -0.9, 0}, 1.0}, {{-0.05, 0.05, 0}, 1.0}}},
    {"hook",
     {{{0.2, 0.95, 0}, 1.5}, {{0.4, 0.1, 0}, 1.0}, {{0.3, -0.6, 0}, 1.0}, {{-0.1, -0.9, 0}, 1.0},
      {{-0.6, -0.55, 0}, 1.0}, {{-0.45, -0.15, 0}, 0.5}, {{-0.1, -0.45, 0}, 1.0}, {{0.05, 0.3, 0}, 1.0}}},
    {"crown",
     {{{-0.8, -0.6, 0}, 2.0}, {{0.8, -0.6, 0}, 1.25}, {{0.75, 0.7, 0}, 0.75}, {{0.4, 0.1, 0}, 0.75},
      {{0.0, 0.85, 0}, 0.75}, {{-0.4, 0.1, 0}, 0.75}, {{-0.75, 0.7, 0}, 1.75}}},
    {"bow",
     {{{-0.85, -0.45, 0}, 1.5}, {{-0.3, 0.6, 0}, 1.5}, {{0.4, 0.75, 0}, 1.5}, {{0.85, -0.4, 0}, 1.75},
      {{0.05, -0.25, 0}, 1.75}}},
    {"crooked_cross",
     {{{0.15, 0.9, 0}, 1.0}, {{0.05, 0.05, 0}, 0.75}, {{0.85, -0.1, 0}, 1.25}, {{0.0, -0.05, 0}, 0.75},
      {{-0.1, -0.85, 0}, 1.25}, {{-0.05, 0.05, 0}, 0.75}, {{-0.8, 0.25, 0}, 1.25}, {{-0.05, 0.1, 0}, 1.0}}},
    {"asymmetric_star",
     {{{0.0, 0.95, 0}, 0.5},     {{0.22, 0.3, 0}, 1.0},   {{0.78, 0.25, 0}, 0.5},  {{0.3, -0.12, 0}, 1.0},
      {{0.5, -0.75, 0}, 0.5},    {{0.0, -0.35, 0}, 1.0},  {{-0.6, -0.8, 0}, 0.5},  {{-0.33, -0.1, 0}, 1.0},
      {{-0.9, 0.3, 0}, 0.5},     {{-0.25, 0.33, 0}, 1.5}}},
    {"scoop",
     {{{-0.8, 0.6, 0}, 1.5}, {{-0.3, -0.7, 0}, 1.0}, {{0.4, -0.8, 0}, 1.0}, {{0.8, 0.3, 0}, 0.75},
      {{0.3, 0.1, 0}, 1.75}, {{-0.2, 0.05, 0}, 2.0}}},
    {"rising_kite",
     {{{0.0, 1.0, 0.8}, 1.25}, {{0.55, 0.15, 0.1}, 0.75}, {{0.0, -1.0, -0.6}, 1.25}, {{-0.45, 0.2, 0.2}, 0.75}}},
    {"twisted_bow",
     {{{-0.85, -0.45, 0.7}, 1.5}, {{-0.3, 0.6, 0.25}, 1.5}, {{0.4, 0.75, -0.3}, 1.5}, {{0.85, -0.4, -0.65}, 1.75},
      {{0.05, -0.25, 0.1}, 1.75}}},
    {"cup",
     {{{-0.8, 0.7, 0.3}, 1.5}, {{-0.5, -0.6, -0.2}, 1.25}, {{0.5, -0.65, -0.3}, 1.5}, {{0.8, 0.7, 0.35}, 2.0},
      {{0.0, 0.55, -0.5}, 1.75}}},
    {"bridge",
     {{{-0.85, -0.6, 0.0}, 1.0}, {{-0.6, 0.3, 0.4}, 1.0}, {{0.0, 0.75, 0.7}, 1.0}, {{0.6, 0.3, 0.4}, 1.0},
      {{0.85, -0.6, 0.0}, 2.0}, {{0.0, -0.4, -0.6}, 2.0}}},
    {"double_bay",
     {{{-0.85, 0.5, 0.2}, 1.25}, {{-0.45, -0.6, -0.4}, 1.0}, {{0.0, 0.2, 0.1}, 1.0}, {{0.45, -0.7, 0.5}, 1.25},
      {{0.85, 0.5, -0.1}, 1.5}, {{0.0, 0.8, -0.3}, 2.0}}},
    {"slanted_loop",
     {{{0.8, 0.6, 0.6}, 2.0}, {{-0.2, 0.7, 0.2}, 1.5}, {{-0.8, -0.5, -0.6}, 2.0}, {{0.2, -0.7, -0.2}, 1.0},
      {{0.55, -0.05, 0.3}, 1.5}}},
    {"fork",
     {{{0.0, -0.9, 0.0}, 1.5}, {{0.0, -0.1, 0.2}, 1.0}, {{-0.6, 0.85, 0.5}, 1.0}, {{-0.1, 0.2, 0.1}, 1.0},
      {{0.6, 0.8, -0.45}, 1.0}, {{0.1, -0.05, 0.15}, 2.5}}},
    {"folded_crown",
     {{{-0.8, -0.6, 0.0}, 2.0}, {{0.8, -0.6, 0.0}, 1.25}, {{0.75, 0.7, 0.6}, 0.75}, {{0.4, 0.1, -0.5}, 0.75},
      {{0.0, 0.85, 0.65}, 0.75}, {{-0.4, 0.1, -0.5}, 0.75}, {{-0.75, 0.7, 0.6}, 1.75}}},
};

// Hermite segments whose tangents are the neighbours' difference over their
// time apart, so the curve stays smooth across unequal segments.
Rule spline(const SplineShape& shape) {
  return [controls = shape.controls](const RowContext& c) {
    const int n = static_cast<int>(controls.size());
    double total = 0.0;
    for (const Control& k : controls) total += k.beats;
    std::vector<double> starts(static_cast<std::size_t>(n) + 1, 0.0);
    for (int k = 0; k < n; ++k) starts[k + 1] = starts[k] + controls[k].beats * c.period / total;
    const auto at = [&](int k) { return controls[static_cast<std::size_t>((k + n) % n)].at; };
    const auto span = [&](int k) { return controls[static_cast<std::size_t>((k + n) % n)].beats * c.period / total; };
    const auto tangent = [&](int k) { return (1.0 / (span(k - 1) + span(k))) * (at(k + 1) - at(k - 1)); };
    return tabulate(c.period, [&](int i) {
      int k = 0;
      while (k + 1 < n && i >= starts[k + 1]) ++k;
      const double dt = span(k);
      const double u = (i - starts[k]) / dt;
      const double u2 = u * u, u3 = u2 * u;
      return (2 * u3 - 3 * u2 + 1) * at(k) + (u3 - 2 * u2 + u) * dt * tangent(k) + (-2 * u3 + 3 * u2) * at(k + 1) +
             (u3 - u2) * dt * tangent(k + 1);
    });
  };
}

}  // namespace

Family spline_family() {
  std::vector<Draft> drafts;
  for (std::size_t k = 0; k < kSplineShapes.size(); ++k) {
    drafts.push_back({std::string("spline_") + kSplineShapes[k].name, 512, k < 8 ? 2 : 3, spline(kSplineShapes[k])});
  }
  return fitted_family("spline", "Periodic cubic tangents connect asymmetrical controls with unequal segment times.",
                       "x, y -0.82 to 0.82; z -0.6337 to 0.728", std::move(drafts));
}

}  // namespace pipmoves::authoring::continuum

#pragma once

// Building blocks of the continuum pack. Its families state ranges over all
// sixteen rows together, so each row is authored as a raw draft and the family
// is scaled as a whole onto its ranges.

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "../family_fit.hpp"
#include "../rules.hpp"

namespace pipmoves::authoring::continuum {

struct Draft {
  std::string name;
  int period;
  int dimensions;
  Rule raw;
};

// A family of drafts sharing one description, scaled together onto its
// stated ranges, which the generator checks as printed.
inline Family fitted_family(std::string label, const std::string& description, std::string ranges,
                            std::vector<Draft> drafts) {
  std::vector<std::string> names;
  std::vector<FittedFamily::Member> members;
  for (const Draft& draft : drafts) {
    names.push_back(draft.name);
    members.push_back([draft](const Sources& sources) {
      Table raw = draft.raw(RowContext{draft.period, sources});
      return SplitTable{Table(raw.size()), std::move(raw)};
    });
  }
  auto fit = std::make_shared<FittedFamily>(label, fit_targets(ranges), GainRule::ratio, std::move(names),
                                            std::move(members));
  Family family{std::move(label), std::move(ranges), {}};
  for (std::size_t k = 0; k < drafts.size(); ++k) {
    const Draft& draft = drafts[k];
    family.rows.push_back(Row{draft.name, draft.period, draft.dimensions, description,
                              [fit, k](const RowContext& c) { return fit->member(k, c.sources); }});
  }
  return family;
}

// "01" to "16".
inline std::string two_digits(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

inline Offset3 operator+(Offset3 a, Offset3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Offset3 operator-(Offset3 a, Offset3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Offset3 operator*(double s, Offset3 a) { return {s * a.x, s * a.y, s * a.z}; }

// A closed path of eased legs from a start point, resting at every leg's end;
// a leg to where it already is holds. Each leg may bulge by `arc` at its
// middle, so a leg is a straight line or a bow between its ends.
struct Leg {
  Offset3 to;
  double pips;
  Offset3 arc = {};
};

inline Offset3 leg_path(std::span<const Leg> legs, Offset3 start, double i) {
  Offset3 from = start;
  double begin = 0.0;
  for (const Leg& leg : legs) {
    if (i < begin + leg.pips) {
      const double s = smootherstep((i - begin) / leg.pips);
      return from + s * (leg.to - from) + std::sin(kPi * s) * leg.arc;
    }
    begin += leg.pips;
    from = leg.to;
  }
  return from;
}

// Stretches the legs' durations so that together they fill the period.
inline std::vector<Leg> filling(std::vector<Leg> legs, int period) {
  double total = 0.0;
  for (const Leg& leg : legs) total += leg.pips;
  for (Leg& leg : legs) leg.pips *= period / total;
  return legs;
}

}  // namespace pipmoves::authoring::continuum

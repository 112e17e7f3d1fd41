#pragma once

// Building blocks of the continuum pack. Its families state ranges over all
// sixteen rows together, so each row is authored as a raw draft and the family
// is scaled as a whole onto its ranges: one gain per axis side, shared by the
// rows, keeps the relative sizes of the rows and every zero at zero.

#include <array>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "../rules.hpp"

namespace pipmoves::authoring::continuum {

struct Draft {
  std::string name;
  int period;
  int dimensions;
  Rule raw;
};

namespace detail {

class SharedFit {
 public:
  SharedFit(std::vector<Draft> drafts, std::vector<AxisFit> fits) : drafts_(std::move(drafts)), fits_(std::move(fits)) {}

  Table table(std::size_t row, const Sources& sources) {
    if (!tables_) {
      tables_ = fit_all(sources);
    }
    return (*tables_)[row];
  }

  const std::vector<Draft>& drafts() const { return drafts_; }

 private:
  std::vector<Table> fit_all(const Sources& sources) const {
    std::vector<Table> tables;
    for (const Draft& draft : drafts_) {
      tables.push_back(draft.raw(RowContext{draft.period, sources}));
    }
    for (const AxisFit& fit : fits_) {
      double lowest = 0.0;
      double highest = 0.0;
      for (const Table& table : tables) {
        for (const Offset3& o : table) {
          lowest = std::min(lowest, component(o, fit.axis));
          highest = std::max(highest, component(o, fit.axis));
        }
      }
      for (Table& table : tables) {
        for (Offset3& o : table) {
          double& v = component(o, fit.axis);
          if (v > 0.0) {
            v = v == highest ? fit.high : v * (fit.high / highest);
          } else if (v < 0.0) {
            v = v == lowest ? fit.low : v * (fit.low / lowest);
          }
        }
      }
    }
    return tables;
  }

  std::vector<Draft> drafts_;
  std::vector<AxisFit> fits_;
  std::optional<std::vector<Table>> tables_;
};

}  // namespace detail

// A family of drafts sharing one description, scaled together onto `fits`;
// `ranges` is the same statement as printed, which the generator checks.
inline Family fitted_family(std::string label, const std::string& description, std::string ranges,
                            std::vector<AxisFit> fits, std::vector<Draft> drafts) {
  auto shared = std::make_shared<detail::SharedFit>(std::move(drafts), std::move(fits));
  Family family{std::move(label), std::move(ranges), {}};
  for (std::size_t k = 0; k < shared->drafts().size(); ++k) {
    const Draft& draft = shared->drafts()[k];
    family.rows.push_back(Row{draft.name, draft.period, draft.dimensions, description,
                              [shared, k](const RowContext& c) { return shared->table(k, c.sources); }});
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

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

#include "rules.hpp"

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

// Eases from a to b as u runs from 0 to 1, resting at both ends.
inline Offset3 ease(Offset3 a, Offset3 b, double u) { return a + smootherstep(u) * (b - a); }

// A closed path of stations, each reached with an eased move and then held;
// pip 0 starts the move from the last station to the first. Durations are in
// pips and add up to the period.
struct Station {
  Offset3 at;
  double move;  // pips spent travelling here from the previous station
  double hold;  // pips spent resting here
};

inline Offset3 station_path(std::span<const Station> stations, double i) {
  double start = 0.0;
  for (std::size_t k = 0; k < stations.size(); ++k) {
    const Station& s = stations[k];
    const Offset3 from = stations[(k + stations.size() - 1) % stations.size()].at;
    if (i < start + s.move) {
      return ease(from, s.at, (i - start) / s.move);
    }
    start += s.move;
    if (i < start + s.hold) {
      return s.at;
    }
    start += s.hold;
  }
  return stations.back().at;
}

}  // namespace pipmoves::authoring::continuum

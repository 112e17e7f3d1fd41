#pragma once

// The conversions of spread's arguments, shared by its binding and by the
// front that takes its calls with keywords.

#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "bound_classes.hpp"
#include "out_buffer.hpp"
#include "pipmoves/play/spread.hpp"
#include "support/arguments.hpp"
#include "support/name_errors.hpp"

namespace pipmoves::play::python {

using StageX = std::optional<pipmoves::python::Items<double>>;

inline Spread spread_of(std::optional<std::int32_t> phase_step, bool from_centre, std::string_view alternate,
                        StageX stage_x) {
  const Alternation alternation =
      pipmoves::python::naming_in_errors(alternate, [&] { return alternation_named(alternate); });
  return Spread{phase_step, from_centre, alternation,
                stage_x ? std::move(stage_x->values) : std::vector<double>{}};
}

// A spread into a new Frames block, or into the caller's `out`, which it returns.
template <typename Pattern>
pybind11::object spread_into(const Pattern& pattern, std::int32_t pip, std::int64_t fixtures, const Spread& how,
                             const pybind11::object& out) {
  if (out.is_none()) {
    return pybind11::cast(spread(pattern, pip, fixtures, how));
  }
  OutBuffer buffer(out, 'd', sizeof(double), "out", "float64 rows of three");
  if (buffer.ndim() != 2 || buffer.shape(1) != 3 || static_cast<std::int64_t>(buffer.shape(0)) != fixtures) {
    throw pybind11::value_error("out must be shaped (fixtures, 3)");
  }
  spread(pattern, pip, how, buffer.as<Offset3>());
  return out;
}

// Puts a front before the module's spread binding that takes calls with
// keywords itself (see spread_front.cpp).
void take_spread_keywords(pybind11::module_& m);

}  // namespace pipmoves::play::python

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "out_buffer.hpp"
#include "pipmoves/play/render.hpp"
#include "pipmoves/play/spread.hpp"
#include "register.hpp"
#include "source.hpp"

namespace py = pybind11;

namespace pipmoves::play::python {
namespace {

using StageX = std::optional<std::vector<double>>;

Spread spread_of(std::optional<std::int32_t> phase_step, bool from_centre, std::string_view alternate,
                 StageX stage_x) {
  return Spread{phase_step, from_centre, alternation_named(alternate), std::move(stage_x).value_or(std::vector<double>{})};
}

// A spread into a new Frames block, or into the caller's `out`, which it returns.
template <typename Pattern>
py::object spread_into(const Pattern& pattern, std::int32_t pip, std::int64_t fixtures, const Spread& how,
                       const py::object& out) {
  if (out.is_none()) {
    return py::cast(spread(pattern, pip, fixtures, how));
  }
  OutBuffer buffer(out, 'd', sizeof(double), "out", "float64 rows of three");
  if (buffer.ndim() != 2 || buffer.shape(1) != 3 || static_cast<std::int64_t>(buffer.shape(0)) != fixtures) {
    throw py::value_error("out must be shaped (fixtures, 3)");
  }
  spread(pattern, pip, how, buffer.as<Offset3>());
  return out;
}

}  // namespace

void register_render(py::module_& m) {
  py::tuple names(alternation_names().size());
  for (std::size_t i = 0; i < alternation_names().size(); ++i) {
    names[i] = py::str(alternation_names()[i].data(), alternation_names()[i].size());
  }
  m.attr("ALTERNATIONS") = names;

  m.def(
      "render",
      [](const Source& pattern, std::int32_t first_pip, std::int64_t count, std::int32_t step) {
        return render(*Resolved(pattern), first_pip, count, step);
      },
      py::arg("pattern"), py::arg("first_pip"), py::arg("count"), py::arg("step") = 1);
  m.def(
      "render",
      [](const CrossFade& pattern, std::int32_t first_pip, std::int64_t count, std::int32_t step) {
        return render(pattern, first_pip, count, step);
      },
      py::arg("pattern"), py::arg("first_pip"), py::arg("count"), py::arg("step") = 1);

  m.def(
      "spread",
      [](const Source& pattern, std::int32_t pip, std::int64_t fixtures, std::optional<std::int32_t> phase_step,
         bool from_centre, std::string_view alternate, StageX stage_x, const py::object& out) {
        return spread_into(*Resolved(pattern), pip, fixtures,
                           spread_of(phase_step, from_centre, alternate, std::move(stage_x)), out);
      },
      py::arg("pattern"), py::arg("pip"), py::arg("fixtures"), py::kw_only(), py::arg("phase_step") = py::none(),
      py::arg("from_centre") = false, py::arg("alternate") = "none", py::arg("stage_x") = py::none(),
      py::arg("out") = py::none());
  m.def(
      "spread",
      [](const CrossFade& pattern, std::int32_t pip, std::int64_t fixtures, std::optional<std::int32_t> phase_step,
         bool from_centre, std::string_view alternate, StageX stage_x, const py::object& out) {
        return spread_into(pattern, pip, fixtures, spread_of(phase_step, from_centre, alternate, std::move(stage_x)),
                           out);
      },
      py::arg("pattern"), py::arg("pip"), py::arg("fixtures"), py::kw_only(), py::arg("phase_step") = py::none(),
      py::arg("from_centre") = false, py::arg("alternate") = "none", py::arg("stage_x") = py::none(),
      py::arg("out") = py::none());
}

}  // namespace pipmoves::play::python

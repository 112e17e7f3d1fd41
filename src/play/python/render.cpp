#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "pipmoves/play/render.hpp"
#include "pipmoves/play/spread.hpp"
#include "register.hpp"
#include "source.hpp"
#include "spread_into.hpp"
#include "support/arguments.hpp"

namespace py = pybind11;

namespace pipmoves::play::python {

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
         bool from_centre, pipmoves::python::Name alternate, StageX stage_x, const py::object& out) {
        return spread_into(*Resolved(pattern), pip, fixtures,
                           spread_of(phase_step, from_centre, alternate.bytes, std::move(stage_x)), out);
      },
      py::arg("pattern"), py::arg("pip"), py::arg("fixtures"), py::kw_only(), py::arg("phase_step") = py::none(),
      py::arg("from_centre") = false, py::arg("alternate") = "none", py::arg("stage_x") = py::none(),
      py::arg("out") = py::none());
  m.def(
      "spread",
      [](const CrossFade& pattern, std::int32_t pip, std::int64_t fixtures, std::optional<std::int32_t> phase_step,
         bool from_centre, pipmoves::python::Name alternate, StageX stage_x, const py::object& out) {
        return spread_into(pattern, pip, fixtures,
                           spread_of(phase_step, from_centre, alternate.bytes, std::move(stage_x)), out);
      },
      py::arg("pattern"), py::arg("pip"), py::arg("fixtures"), py::kw_only(), py::arg("phase_step") = py::none(),
      py::arg("from_centre") = false, py::arg("alternate") = "none", py::arg("stage_x") = py::none(),
      py::arg("out") = py::none());
  take_spread_keywords(m);
}

}  // namespace pipmoves::play::python

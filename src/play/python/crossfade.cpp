#include <pybind11/pybind11.h>

#include <cstdint>

#include "pipmoves/play/crossfade.hpp"
#include "register.hpp"
#include "source.hpp"
#include "support/arguments.hpp"
#include "support/instances.hpp"
#include "support/name_errors.hpp"

namespace py = pybind11;

namespace pipmoves::play::python {

// A fade keeps both of its patterns' pipmoves objects alive.
void register_crossfade(py::module_& m) {
  py::tuple names(easing_names().size());
  for (std::size_t i = 0; i < easing_names().size(); ++i) {
    names[i] = py::str(easing_names()[i].data(), easing_names()[i].size());
  }
  m.attr("EASINGS") = names;

  py::class_<CrossFade> cls(m, "CrossFade");
  cls.def(py::init([](const Source& from_pattern, const Source& to_pattern, std::int32_t start_pip,
                      std::int32_t length_pips, pipmoves::python::Name easing) {
            const Easing how =
                pipmoves::python::naming_in_errors(easing.bytes, [&] { return easing_named(easing.bytes); });
            return CrossFade(*Resolved(from_pattern), *Resolved(to_pattern), start_pip, length_pips, how);
          }),
          py::arg("from_pattern"), py::arg("to_pattern"), py::arg("start_pip"), py::arg("length_pips"),
          py::arg("easing") = "smoothstep", py::keep_alive<1, 2>(), py::keep_alive<1, 3>());
  cls.def_property_readonly("start_pip", &CrossFade::start_pip);
  cls.def_property_readonly("length_pips", &CrossFade::length_pips);
  cls.def_property_readonly("easing", [](const CrossFade& fade) { return easing_name(fade.easing()); });
  cls.def("weight", &CrossFade::weight, py::arg("pip"));
  cls.def("sample", &CrossFade::sample, py::arg("pip"));
  pipmoves::python::refuse_second_init(cls);
}

}  // namespace pipmoves::play::python

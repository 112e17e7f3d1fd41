#include <pybind11/pybind11.h>

#include <string_view>

#include "pipmoves/pattern_library.hpp"
#include "pipmoves/play/pattern_ref.hpp"
#include "pipmoves/sampled_pattern.hpp"
#include "register.hpp"

namespace py = pybind11;

namespace pipmoves::play::python {

// A Pattern keeps the pipmoves object it reads alive for as long as it lives.
void register_pattern(py::module_& m) {
  py::class_<PatternRef> cls(m, "Pattern");
  cls.def(py::init(&PatternRef::named), py::arg("name"));
  cls.def(py::init<const SampledPattern&>(), py::arg("pattern"), py::keep_alive<1, 2>());
  cls.def(py::init<const PatternLibrary&, std::string_view>(), py::arg("library"), py::arg("name"),
          py::keep_alive<1, 2>());
  cls.def_property_readonly("name", [](const PatternRef& p) { return p.info().name; });
  cls.def_property_readonly("description", [](const PatternRef& p) { return p.info().description; });
  cls.def_property_readonly("period_pips", [](const PatternRef& p) { return p.info().period_pips; });
  cls.def_property_readonly("dimensions", [](const PatternRef& p) { return p.info().dimensions; });
  cls.def("sample", &PatternRef::sample, py::arg("pip"));
}

}  // namespace pipmoves::play::python

#include <pybind11/pybind11.h>

#include "pipmoves/pattern_library.hpp"
#include "pipmoves/play/pattern_ref.hpp"
#include "pipmoves/sampled_pattern.hpp"
#include "register.hpp"
#include "support/arguments.hpp"
#include "support/instances.hpp"
#include "support/name_errors.hpp"

namespace py = pybind11;

namespace pipmoves::play::python {

using pipmoves::python::Name;
using pipmoves::python::naming_in_errors;

// A Pattern keeps the pipmoves object it reads alive for as long as it lives.
void register_pattern(py::module_& m) {
  py::class_<PatternRef> cls(m, "Pattern");
  cls.def(py::init([](Name name) {
            return naming_in_errors(name.bytes, [&] { return PatternRef::named(name.bytes); });
          }),
          py::arg("name"));
  cls.def(py::init<const SampledPattern&>(), py::arg("pattern"), py::keep_alive<1, 2>());
  cls.def(py::init([](const PatternLibrary& library, Name name) {
            return naming_in_errors(name.bytes, [&] { return PatternRef(library, name.bytes); });
          }),
          py::arg("library"), py::arg("name"), py::keep_alive<1, 2>());
  cls.def_property_readonly("name", [](const PatternRef& p) { return p.info().name; });
  cls.def_property_readonly("description", [](const PatternRef& p) { return p.info().description; });
  cls.def_property_readonly("period_pips", [](const PatternRef& p) { return p.info().period_pips; });
  cls.def_property_readonly("dimensions", [](const PatternRef& p) { return p.info().dimensions; });
  cls.def("sample", &PatternRef::sample, py::arg("pip"));
  pipmoves::python::refuse_second_init(cls);
}

}  // namespace pipmoves::play::python

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <vector>

#include "catalogue_row.hpp"
#include "pipmoves/catalogue_entry.hpp"
#include "pipmoves/pattern_library.hpp"
#include "pipmoves/sampled_pattern.hpp"
#include "register.hpp"

namespace py = pybind11;

namespace pipmoves::python {

void register_pattern_library(py::module_& m) {
  py::class_<PatternLibrary> cls(m, "PatternLibrary");
  // The sequence converts element by element into copies of the core
  // patterns, so the library's consuming constructor leaves the caller's
  // Python objects whole.
  cls.def(py::init<std::vector<SampledPattern>>(), py::arg("patterns") = std::vector<SampledPattern>{});
  cls.def("sample", &PatternLibrary::sample, py::arg("name"), py::arg("pip_count").noconvert());
  cls.def("catalogue", [](const PatternLibrary& library) {
    py::list rows;
    for (const CatalogueEntry& entry : library.catalogue()) {
      rows.append(catalogue_row(entry));
    }
    return rows;
  });
  refuse_second_init(cls);
}

}  // namespace pipmoves::python

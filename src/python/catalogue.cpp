#include <pybind11/pybind11.h>

#include <string_view>

#include "catalogue_row.hpp"
#include "pipmoves/catalogue.hpp"
#include "register.hpp"

namespace py = pybind11;

namespace pipmoves::python {

void register_catalogue(py::module_& m) {
  m.def(
      "sample", [](std::string_view name, int pip_count) { return pipmoves::sample(name, pip_count); },
      py::arg("name"), py::arg("pip_count"));
  m.def("catalogue", [] {
    py::list rows;
    for (const CatalogueEntry& entry : pipmoves::catalogue()) {
      rows.append(catalogue_row(entry));
    }
    return rows;
  });
}

}  // namespace pipmoves::python

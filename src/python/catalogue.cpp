#include <pybind11/pybind11.h>

#include "catalogue_row.hpp"
#include "pipmoves/catalogue.hpp"
#include "register.hpp"
#include "support/arguments.hpp"
#include "support/name_errors.hpp"

namespace py = pybind11;

namespace pipmoves::python {

void register_catalogue(py::module_& m) {
  m.def(
      "sample",
      [](Name name, Pip pip_count) {
        return naming_in_errors(name.bytes, [&] { return pipmoves::sample(name.bytes, pip_count.value); });
      },
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

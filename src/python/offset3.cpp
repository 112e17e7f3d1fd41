#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <tuple>

#include "pipmoves/offset3.hpp"
#include "read_only.hpp"
#include "register.hpp"

namespace py = pybind11;

namespace pipmoves::python {

void register_offset3(py::module_& m) {
  py::class_<Offset3> cls(m, "Offset3");
  def_read_only(cls, "x", [](const Offset3& o) { return o.x; });
  def_read_only(cls, "y", [](const Offset3& o) { return o.y; });
  def_read_only(cls, "z", [](const Offset3& o) { return o.z; });
  cls.def("as_tuple", [](const Offset3& o) { return std::tuple<double, double, double>{o.x, o.y, o.z}; });
}

}  // namespace pipmoves::python

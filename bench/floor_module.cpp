// A benchmark-only extension: the cheapest pybind11 calls that return what
// pipmoves returns, so the module's own calls can be measured against them.
// Never installed, never part of pipmoves.

#include <pybind11/pybind11.h>

#include <cmath>
#include <string_view>

namespace py = pybind11;

namespace {

struct Triple {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

// The least a clock's pip_at could be: one multiply and a floor.
struct Timeline {
  double pips_per_second = 0.0;
};

}  // namespace

PYBIND11_MODULE(pipmoves_bench_floor, m) {
  py::class_<Triple>(m, "Triple")
      .def_property_readonly("x", [](const Triple& t) { return t.x; })
      .def_property_readonly("y", [](const Triple& t) { return t.y; })
      .def_property_readonly("z", [](const Triple& t) { return t.z; });
  m.def("nothing", [] {});
  m.def("triple", [] { return Triple{0.25, 0.5, 0.0}; });
  m.def("triple_at", [](int pip) { return Triple{pip * 0.001, 0.5, 0.0}; });
  // The same with a name beside the pip, converted as pipmoves converts one.
  m.def("triple_named", [](std::string_view name, int pip) {
    return Triple{pip * 0.001, static_cast<double>(name.size()), 0.0};
  });
  // A method from seconds to a pip, as pipmoves_play.Clock.pip_at is one.
  py::class_<Timeline>(m, "Timeline")
      .def(py::init<double>())
      .def("pip_at", [](const Timeline& t, double seconds) {
        return static_cast<int>(std::floor(seconds * t.pips_per_second));
      });
}

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <optional>
#include <span>
#include <tuple>

#include "pipmoves/offset3.hpp"
#include "pipmoves/play/fixture.hpp"
#include "pipmoves/play/rows.hpp"
#include "positions.hpp"
#include "register.hpp"
#include "support/instances.hpp"

namespace py = pybind11;

namespace pipmoves::play::python {

void register_fixture(py::module_& m) {
  py::class_<FixtureMap> cls(m, "Fixture");
  cls.def(py::init([](double pan_range_degrees, double tilt_range_degrees, std::optional<double> home_pan_degrees,
                      std::optional<double> home_tilt_degrees, double size, bool invert_pan, bool invert_tilt) {
            return FixtureMap(FixtureProfile{pan_range_degrees, tilt_range_degrees, home_pan_degrees,
                                          home_tilt_degrees, size, invert_pan, invert_tilt});
          }),
          py::arg("pan_range_degrees"), py::arg("tilt_range_degrees"), py::kw_only(),
          py::arg("home_pan_degrees") = py::none(), py::arg("home_tilt_degrees") = py::none(),
          py::arg("size") = 1.0, py::arg("invert_pan") = false, py::arg("invert_tilt") = false);
  pipmoves::python::refuse_second_init(cls);
  cls.def("angles", [](const FixtureMap& fixture, const Offset3& position) {
    const PanTilt a = fixture.angles(position);
    return std::tuple<double, double>{a.pan, a.tilt};
  }, py::arg("positions"));
  cls.def("angles", [](const FixtureMap& fixture, const py::buffer& positions) {
    Positions in(positions);
    Rows<PanTilt> out(static_cast<std::int64_t>(in.size()));
    in.in_blocks([&](std::size_t first, std::span<const Offset3> rows) {
      fixture.angles(rows, out.rows().subspan(first, rows.size()));
    });
    return out;
  }, py::arg("positions"));
  cls.def("dmx", [](const FixtureMap& fixture, const Offset3& position) {
    const DmxPanTilt d = fixture.dmx(position);
    return std::tuple<int, int, int, int>{d.pan_coarse, d.pan_fine, d.tilt_coarse, d.tilt_fine};
  }, py::arg("positions"));
  cls.def("dmx", [](const FixtureMap& fixture, const py::buffer& positions) {
    Positions in(positions);
    Rows<DmxPanTilt> out(static_cast<std::int64_t>(in.size()));
    in.in_blocks([&](std::size_t first, std::span<const Offset3> rows) {
      fixture.dmx(rows, out.rows().subspan(first, rows.size()));
    });
    return out;
  }, py::arg("positions"));
}

}  // namespace pipmoves::play::python

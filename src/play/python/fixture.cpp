#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string_view>
#include <tuple>
#include <vector>

#include "pipmoves/offset3.hpp"
#include "pipmoves/play/fixture.hpp"
#include "pipmoves/play/rows.hpp"
#include "register.hpp"

namespace py = pybind11;

namespace pipmoves::play::python {
namespace {

// The rows of any buffer of float64 shaped (n, 3): read in place when packed
// as Frames are, copied row by row otherwise (a strided numpy view).
class Positions {
 public:
  explicit Positions(const py::buffer& frames) : info_(frames.request()) {
    const std::string_view format = info_.format;
    const bool doubles = info_.itemsize == sizeof(double) && (format == "d" || format == "<d" || format == "=d");
    if (!doubles || info_.ndim != 2 || info_.shape[1] != 3) {
      throw py::type_error("Positions must be a buffer of float64 rows of three");
    }
    // Refused before a strided view (a broadcast one may be tiny) is copied.
    const std::size_t rows = checked_row_count(info_.shape[0]);
    const auto* base = static_cast<const char*>(info_.ptr);
    if (rows == 0 || (info_.strides[0] == sizeof(Offset3) && info_.strides[1] == sizeof(double))) {
      rows_ = {reinterpret_cast<const Offset3*>(base), rows};
      return;
    }
    copy_.resize(rows);
    for (std::size_t r = 0; r < rows; ++r) {
      const char* row = base + static_cast<py::ssize_t>(r) * info_.strides[0];
      double* out = &copy_[r].x;
      for (std::size_t c = 0; c < 3; ++c) {
        std::memcpy(out + c, row + static_cast<py::ssize_t>(c) * info_.strides[1], sizeof(double));
      }
    }
    rows_ = copy_;
  }

  std::span<const Offset3> rows() const noexcept { return rows_; }

 private:
  py::buffer_info info_;
  std::vector<Offset3> copy_;
  std::span<const Offset3> rows_;
};

}  // namespace

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
  cls.def("angles", [](const FixtureMap& fixture, const Offset3& position) {
    const PanTilt a = fixture.angles(position);
    return std::tuple<double, double>{a.pan, a.tilt};
  }, py::arg("positions"));
  cls.def("angles", [](const FixtureMap& fixture, const py::buffer& positions) {
    const Positions in(positions);
    Rows<PanTilt> out(static_cast<std::int64_t>(in.rows().size()));
    fixture.angles(in.rows(), out.rows());
    return out;
  }, py::arg("positions"));
  cls.def("dmx", [](const FixtureMap& fixture, const Offset3& position) {
    const DmxPanTilt d = fixture.dmx(position);
    return std::tuple<int, int, int, int>{d.pan_coarse, d.pan_fine, d.tilt_coarse, d.tilt_fine};
  }, py::arg("positions"));
  cls.def("dmx", [](const FixtureMap& fixture, const py::buffer& positions) {
    const Positions in(positions);
    Rows<DmxPanTilt> out(static_cast<std::int64_t>(in.rows().size()));
    fixture.dmx(in.rows(), out.rows());
    return out;
  }, py::arg("positions"));
}

}  // namespace pipmoves::play::python

#include <pybind11/pybind11.h>

#include <cstddef>
#include <cstdint>

#include "pipmoves/offset3.hpp"
#include "pipmoves/play/fixture.hpp"
#include "pipmoves/play/rows.hpp"
#include "register.hpp"

namespace py = pybind11;

namespace pipmoves::play::python {
namespace {

// Each row type is a packed run of one scalar: x, y, z; pan, tilt; or the
// four DMX bytes.
template <typename Row, typename Scalar, std::size_t Columns>
void register_rows_of(py::module_& m, const char* name) {
  static_assert(sizeof(Row) == Columns * sizeof(Scalar) && alignof(Row) == alignof(Scalar));
  py::class_<Rows<Row>> cls(m, name, py::buffer_protocol());
  cls.def_buffer([](Rows<Row>& rows) {
    // An empty block still needs an address to export.
    static Scalar nothing[Columns] = {};
    void* data = rows.size() == 0 ? static_cast<void*>(nothing) : static_cast<void*>(rows.rows().data());
    return py::buffer_info(data, sizeof(Scalar), py::format_descriptor<Scalar>::format(), 2,
                           {static_cast<py::ssize_t>(rows.size()), static_cast<py::ssize_t>(Columns)},
                           {static_cast<py::ssize_t>(sizeof(Row)), static_cast<py::ssize_t>(sizeof(Scalar))},
                           /*readonly=*/true);
  });
  cls.def("__len__", &Rows<Row>::size);
}

}  // namespace

void register_rows(py::module_& m) {
  m.attr("MAX_ROWS") = kMaxRows;
  register_rows_of<Offset3, double, 3>(m, "Frames");
  register_rows_of<PanTilt, double, 2>(m, "Angles");
  register_rows_of<DmxPanTilt, std::uint8_t, 4>(m, "DmxFrames");
}

}  // namespace pipmoves::play::python

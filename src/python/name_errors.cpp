#include "name_errors.hpp"

#include <pybind11/pybind11.h>

namespace py = pybind11;

namespace pipmoves::python {

void raise_naming(const char* message, std::string_view name) {
  const std::string_view text(message);
  const std::string_view carried = name.substr(0, name.find('\0'));
  if (!text.ends_with(carried)) {
    return;
  }
  const py::str before(text.data(), text.size() - carried.size());
  const auto named = py::reinterpret_steal<py::object>(
      PyUnicode_DecodeUTF8(name.data(), static_cast<Py_ssize_t>(name.size()), "backslashreplace"));
  if (!named) {
    throw py::error_already_set();
  }
  const auto whole = py::reinterpret_steal<py::object>(PyUnicode_Concat(before.ptr(), named.ptr()));
  if (!whole) {
    throw py::error_already_set();
  }
  PyErr_SetObject(PyExc_ValueError, whole.ptr());
  throw py::error_already_set();
}

}  // namespace pipmoves::python

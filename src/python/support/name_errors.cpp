#include "support/name_errors.hpp"

#include <pybind11/pybind11.h>

#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>

namespace py = pybind11;

namespace pipmoves::python {
namespace {

// The exception pybind11 raises for a standard one.
PyObject* python_type_of(const std::exception& error) {
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) {
    return PyExc_MemoryError;
  }
  if (dynamic_cast<const std::out_of_range*>(&error) != nullptr) {
    return PyExc_IndexError;
  }
  if (dynamic_cast<const std::overflow_error*>(&error) != nullptr) {
    return PyExc_OverflowError;
  }
  if (dynamic_cast<const std::logic_error*>(&error) != nullptr) {
    // domain_error, invalid_argument and length_error; a plain logic_error
    // is a RuntimeError, as pybind11 has it.
    const bool value = dynamic_cast<const std::domain_error*>(&error) != nullptr ||
                       dynamic_cast<const std::invalid_argument*>(&error) != nullptr ||
                       dynamic_cast<const std::length_error*>(&error) != nullptr;
    return value ? PyExc_ValueError : PyExc_RuntimeError;
  }
  if (dynamic_cast<const std::range_error*>(&error) != nullptr) {
    return PyExc_ValueError;
  }
  return PyExc_RuntimeError;
}

void translate_undecodable(std::exception_ptr thrown) {
  try {
    std::rethrow_exception(thrown);
  } catch (const py::builtin_exception&) {
    throw;
  } catch (const py::error_already_set&) {
    throw;
  } catch (const std::exception& error) {
    const char* message = error.what();
    const auto size = static_cast<Py_ssize_t>(std::strlen(message));
    auto text = py::reinterpret_steal<py::object>(PyUnicode_DecodeUTF8(message, size, nullptr));
    if (text) {
      throw;  // pybind11 raises it as ever
    }
    PyErr_Clear();
    text = py::reinterpret_steal<py::object>(PyUnicode_DecodeUTF8(message, size, "backslashreplace"));
    if (!text) {
      throw;
    }
    PyErr_SetObject(python_type_of(error), text.ptr());
  }
}

}  // namespace

void decode_messages_leniently() { py::register_local_exception_translator(&translate_undecodable); }

py::str name_text(std::string_view name) {
  auto text = py::reinterpret_steal<py::str>(
      PyUnicode_DecodeUTF8(name.data(), static_cast<Py_ssize_t>(name.size()), "backslashreplace"));
  if (!text) {
    throw py::error_already_set();
  }
  return text;
}

void raise_naming(const char* message, std::string_view name) {
  const std::string_view text(message);
  const std::string_view carried = name.substr(0, name.find('\0'));
  if (!text.ends_with(carried)) {
    return;
  }
  const py::str before(text.data(), text.size() - carried.size());
  const py::str named = name_text(name);
  const auto whole = py::reinterpret_steal<py::object>(PyUnicode_Concat(before.ptr(), named.ptr()));
  if (!whole) {
    throw py::error_already_set();
  }
  PyErr_SetObject(PyExc_ValueError, whole.ptr());
  throw py::error_already_set();
}

}  // namespace pipmoves::python

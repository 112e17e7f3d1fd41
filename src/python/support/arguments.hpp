#pragma once

// Argument types whose conversion pybind11 would do almost right: the rules
// are pybind11's own, but a name is never read after a later argument's
// conversion could have changed it, a KeyboardInterrupt or MemoryError raised
// while converting reaches the caller, and a sequence's reported length is
// never trusted for an allocation.

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pipmoves::python {

// A name as bytes: a str as its UTF-8 encoding, bytes or bytearray as they are.
struct Name {
  std::string_view bytes;
};

// A signed 32-bit pip.
struct Pip {
  std::int32_t value = 0;
};

struct Real {
  double value = 0.0;
};

// The items of a sequence argument, converted one by one. Unlike a
// std::vector argument, nothing is reserved from the length the sequence
// reports, which its own __len__ may make anything.
template <typename T>
struct Items {
  std::vector<T> values;

  void clear() noexcept { values.clear(); }
  void push_back(T&& item) { values.push_back(std::move(item)); }
  std::size_t size() const noexcept { return values.size(); }
  auto begin() const noexcept { return values.begin(); }
  auto end() const noexcept { return values.end(); }
};

// Clears the error a failed conversion left, unless it is one the caller must
// see (an interrupt, or memory running out), which is raised as it is.
inline void clear_conversion_error() {
  if (PyErr_ExceptionMatches(PyExc_KeyboardInterrupt) || PyErr_ExceptionMatches(PyExc_MemoryError)) {
    throw pybind11::error_already_set();
  }
  PyErr_Clear();
}

// Whether a Real would take this object, judged from its type without running
// any of its code: a float, an int, or anything with __float__ or __index__.
inline bool is_real_like(pybind11::handle object) {
  if (PyFloat_Check(object.ptr()) || PyLong_Check(object.ptr())) {
    return true;
  }
  const PyNumberMethods* number = Py_TYPE(object.ptr())->tp_as_number;
  return number != nullptr && (number->nb_float != nullptr || number->nb_index != nullptr);
}

// pybind11's rule for a sequence argument: any sequence but str and bytes; with
// implicit conversion also a generator, set, dict view, map or zip, consumed
// whole into a tuple first. On success `items` holds what to read.
inline bool sequence_items(pybind11::handle source, bool convert, pybind11::object& items) {
  if (!pybind11::detail::object_is_convertible_to_std_vector(source)) {
    return false;
  }
  if (pybind11::isinstance<pybind11::sequence>(source)) {
    items = pybind11::reinterpret_borrow<pybind11::object>(source);
    return true;
  }
  if (!convert) {
    return false;
  }
  items = pybind11::tuple(pybind11::reinterpret_borrow<pybind11::iterable>(source));
  return true;
}

}  // namespace pipmoves::python

namespace pybind11::detail {

template <typename T>
struct type_caster<pipmoves::python::Items<T>> : list_caster<pipmoves::python::Items<T>, T> {};

// str and bytes cannot change while the call holds them, so the view borrows
// their bytes (a str keeps its UTF-8 form for its lifetime). A bytearray is
// copied at once: converting a later argument may run code that resizes it.
template <>
class type_caster<pipmoves::python::Name> {
 public:
  bool load(handle source, bool /*convert*/) {
    PyObject* raw = source.ptr();
    if (PyUnicode_Check(raw)) {
      Py_ssize_t size = 0;
      const char* utf8 = PyUnicode_AsUTF8AndSize(raw, &size);
      if (utf8 == nullptr) {
        pipmoves::python::clear_conversion_error();
        return false;
      }
      value.bytes = std::string_view(utf8, static_cast<std::size_t>(size));
      return true;
    }
    if (PyBytes_Check(raw)) {
      value.bytes = std::string_view(PyBytes_AS_STRING(raw), static_cast<std::size_t>(PyBytes_GET_SIZE(raw)));
      return true;
    }
    if (PyByteArray_Check(raw)) {
      copy_.assign(PyByteArray_AS_STRING(raw), static_cast<std::size_t>(PyByteArray_GET_SIZE(raw)));
      value.bytes = copy_;
      return true;
    }
    return false;
  }

  PYBIND11_TYPE_CASTER(pipmoves::python::Name, const_name("str"));

 private:
  std::string copy_;
};

// Floats are refused; an int or __index__ is taken, and with implicit
// conversion __int__ too; the value must fit 32 bits.
template <>
class type_caster<pipmoves::python::Pip> {
 public:
  bool load(handle source, bool convert) {
    PyObject* raw = source.ptr();
    if (PyFloat_Check(raw) || !(convert || PyLong_Check(raw) || PyIndex_Check(raw))) {
      return false;
    }
    const long whole = PyLong_AsLong(raw);
    if (whole == -1 && PyErr_Occurred() != nullptr) {
      pipmoves::python::clear_conversion_error();
      if (!convert || PyNumber_Check(raw) == 0) {
        return false;
      }
      const object as_int = reinterpret_steal<object>(PyNumber_Long(raw));
      if (!as_int) {
        pipmoves::python::clear_conversion_error();
        return false;
      }
      return load(as_int, false);
    }
    if (whole < std::numeric_limits<std::int32_t>::min() || whole > std::numeric_limits<std::int32_t>::max()) {
      return false;
    }
    value.value = static_cast<std::int32_t>(whole);
    return true;
  }

  PYBIND11_TYPE_CASTER(pipmoves::python::Pip, io_name("typing.SupportsInt | typing.SupportsIndex", "int"));
};

// A float or an int; with implicit conversion anything float() takes through
// __float__ or __index__.
template <>
class type_caster<pipmoves::python::Real> {
 public:
  bool load(handle source, bool convert) {
    PyObject* raw = source.ptr();
    if (!convert && !PyFloat_Check(raw) && !PyLong_Check(raw)) {
      return false;
    }
    const double real = PyFloat_AsDouble(raw);
    if (real == -1.0 && PyErr_Occurred() != nullptr) {
      pipmoves::python::clear_conversion_error();
      if (!convert || PyNumber_Check(raw) == 0) {
        return false;
      }
      const object as_float = reinterpret_steal<object>(PyNumber_Float(raw));
      if (!as_float) {
        pipmoves::python::clear_conversion_error();
        return false;
      }
      return load(as_float, false);
    }
    value.value = real;
    return true;
  }

  PYBIND11_TYPE_CASTER(pipmoves::python::Real,
                       io_name("typing.SupportsFloat | typing.SupportsIndex", "float"));
};

}  // namespace pybind11::detail

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstddef>
#include <optional>
#include <string>
#include <utility>

#include "pipmoves/sampled_recording.hpp"
#include "read_only.hpp"
#include "register.hpp"
#include "support/arguments.hpp"

namespace py = pybind11;

namespace pipmoves::python {

// The axis names, each checked to convert, kept as the caller gave them.
struct AxisNames {
  py::object names;
};

// The rows, each checked to be a sequence of numbers, kept as the caller gave
// them; a row given as a generator or set is kept as the tuple it became.
struct Rows {
  py::object rows;
};

namespace {

bool is_name(py::handle item) {
  if (PyUnicode_Check(item.ptr())) {
    if (PyUnicode_AsUTF8AndSize(item.ptr(), nullptr) == nullptr) {
      clear_conversion_error();
      return false;
    }
    return true;
  }
  return PyBytes_Check(item.ptr()) || PyByteArray_Check(item.ptr());
}

std::string name_bytes(py::handle item) {
  if (PyUnicode_Check(item.ptr())) {
    Py_ssize_t size = 0;
    const char* utf8 = PyUnicode_AsUTF8AndSize(item.ptr(), &size);
    if (utf8 == nullptr) {
      throw py::error_already_set();
    }
    return std::string(utf8, static_cast<std::size_t>(size));
  }
  if (PyBytes_Check(item.ptr())) {
    return std::string(PyBytes_AS_STRING(item.ptr()), static_cast<std::size_t>(PyBytes_GET_SIZE(item.ptr())));
  }
  if (PyByteArray_Check(item.ptr())) {
    return std::string(PyByteArray_AS_STRING(item.ptr()), static_cast<std::size_t>(PyByteArray_GET_SIZE(item.ptr())));
  }
  throw py::type_error("__init__(): incompatible constructor arguments: an axis name is not a string");
}

std::size_t length_of(py::handle sequence) {
  const Py_ssize_t length = PyObject_Length(sequence.ptr());
  if (length < 0) {
    throw py::error_already_set();
  }
  return static_cast<std::size_t>(length);
}

py::object item_of(py::handle sequence, std::size_t index) {
  auto item = py::reinterpret_steal<py::object>(PySequence_GetItem(sequence.ptr(), static_cast<Py_ssize_t>(index)));
  if (!item) {
    throw py::error_already_set();
  }
  return item;
}

// The caller's table, read as the recording's checks reach it: lengths come
// from len(), items by index, and each value is converted only when read.
// Code that a value's conversion runs may change the lists meanwhile; what is
// read is then what they hold at that moment.
class PythonTable final : public SampledRecording::Table {
 public:
  PythonTable(const AxisNames& axes, const Rows& rows) : axes_(axes.names), rows_(rows.rows) {}

  std::size_t axis_count() const override { return length_of(axes_); }
  std::string axis(std::size_t index) const override { return name_bytes(item_of(axes_, index)); }
  std::size_t row_count() const override { return length_of(rows_); }

  std::size_t row_length(std::size_t row) const override {
    row_ = item_of(rows_, row);
    if (!py::detail::object_is_convertible_to_std_vector(row_) || !py::isinstance<py::sequence>(row_)) {
      throw py::type_error("__init__(): incompatible constructor arguments: a row is not a sequence");
    }
    return length_of(row_);
  }

  // Reads from the row that row_length fetched last, as the recording asks
  // for a row's length before its values.
  double value(std::size_t /*row*/, std::size_t index) const override {
    py::detail::make_caster<Real> real;
    if (!real.load(item_of(row_, index), true)) {
      throw py::type_error("__init__(): incompatible constructor arguments: a sample is not a real number");
    }
    return py::detail::cast_op<Real&>(real).value;
  }

 private:
  py::handle axes_;
  py::handle rows_;
  mutable py::object row_;
};

}  // namespace
}  // namespace pipmoves::python

namespace pybind11::detail {

template <>
class type_caster<pipmoves::python::AxisNames> {
 public:
  bool load(handle source, bool convert) {
    object names;
    if (!pipmoves::python::sequence_items(source, convert, names)) {
      return false;
    }
    for (const handle name : names) {
      if (!pipmoves::python::is_name(name)) {
        return false;
      }
    }
    value.names = std::move(names);
    return true;
  }

  PYBIND11_TYPE_CASTER(pipmoves::python::AxisNames,
                       io_name("collections.abc.Sequence", "list") + const_name("[str]"));
};

template <>
class type_caster<pipmoves::python::Rows> {
 public:
  bool load(handle source, bool convert) {
    object rows;
    if (!pipmoves::python::sequence_items(source, convert, rows)) {
      return false;
    }
    // Made only when a row has to become a tuple: the rows with it replaced.
    std::optional<list> replaced;
    std::size_t index = 0;
    object previous;
    for (const handle row : rows) {
      object values;
      if (!pipmoves::python::sequence_items(row, convert, values)) {
        return false;
      }
      if (!values.is(row) && !replaced) {
        replaced.emplace();
        for (std::size_t i = 0; i < index; ++i) {
          replaced->append(pipmoves::python::item_of(rows, i));
        }
      }
      if (replaced) {
        replaced->append(values);
      }
      ++index;
      // A list or tuple repeated right after itself was checked already, and
      // checking one runs no code that could change it.
      const bool checked = values.is(previous) && (PyList_CheckExact(values.ptr()) || PyTuple_CheckExact(values.ptr()));
      if (!checked && !all_real_like(values)) {
        return false;
      }
      previous = std::move(values);
    }
    value.rows = replaced ? object(std::move(*replaced)) : std::move(rows);
    return true;
  }

  PYBIND11_TYPE_CASTER(pipmoves::python::Rows,
                       io_name("collections.abc.Sequence", "list") + const_name("[") +
                           io_name("collections.abc.Sequence", "list") + const_name("[") +
                           make_caster<pipmoves::python::Real>::name + const_name("]]"));

 private:
  static bool all_real_like(handle values) {
    for (const handle v : values) {
      if (!pipmoves::python::is_real_like(v)) {
        return false;
      }
    }
    return true;
  }
};

}  // namespace pybind11::detail

namespace pipmoves::python {

void register_sampled_recording(py::module_& m) {
  py::class_<SampledRecording> cls(m, "SampledRecording");
  cls.def(py::init([](std::string name, const AxisNames& dimensions, const Rows& samples, Real bpm,
                      Real beat_zero_seconds, Pip start_pip) {
            const PythonTable table(dimensions, samples);
            return SampledRecording(std::move(name), table, bpm.value, beat_zero_seconds.value, start_pip.value);
          }),
          py::arg("name"), py::arg("dimensions"), py::arg("samples"), py::arg("bpm"),
          py::arg("beat_zero_seconds") = 0.0, py::arg("start_pip") = 0);
  def_read_only(cls, "name", [](const SampledRecording& r) { return r.name(); });
  def_read_only(cls, "dimensions", [](const SampledRecording& r) { return r.dimensions(); });
  def_read_only(cls, "sample_count", [](const SampledRecording& r) { return r.sample_count(); });
  def_read_only(cls, "bpm", [](const SampledRecording& r) { return r.bpm(); });
  def_read_only(cls, "beat_zero_seconds", [](const SampledRecording& r) { return r.beat_zero_seconds(); });
  def_read_only(cls, "start_pip", [](const SampledRecording& r) { return r.start_pip(); });
  cls.def("sample", [](const SampledRecording& r, Pip pip) { return r.sample(pip.value); }, py::arg("pip").noconvert());
  refuse_second_init(cls);
}

}  // namespace pipmoves::python

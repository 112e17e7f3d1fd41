// pybind11 interns the name of every parameter anew on each call that passes
// a keyword, which costs several times a spread of 64 fixtures, so a show
// loop calling spread(..., out=frame) would pay more for its keyword than for
// its frame. This front stands in for the module's spread: it matches the
// keywords against names interned once and converts the arguments with the
// binding's own casters, without conversions; any call it does not take (a
// value that needs converting, an argument it does not know) goes on to the
// full binding, which gives the same result or its error. A refusal once the
// arguments are taken is raised from here, as the binding raises it.

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "pipmoves/play/crossfade.hpp"
#include "source.hpp"
#include "spread_into.hpp"
#include "support/arguments.hpp"

namespace py = pybind11;

namespace pipmoves::play::python {
namespace {

constexpr std::array<const char*, 5> kKeywords = {"phase_step", "from_centre", "alternate", "stage_x", "out"};

// The front's self: the full binding, then each keyword interned.
enum Held : Py_ssize_t { kFull = 0, kFirstKeyword = 1 };

struct Keywords {
  py::handle values[kKeywords.size()] = {};
};

template <typename T>
std::optional<T> loaded(py::handle value) {
  py::detail::make_caster<T> caster;
  if (!caster.load(value, false)) {
    return std::nullopt;
  }
  return py::detail::cast_op<T>(std::move(caster));
}

// The spread of a call the front takes, or nothing to pass it on.
py::object taken(PyObject* self, PyObject* const* args, Py_ssize_t count, PyObject* names) {
  if (count != 3) {
    return {};
  }
  Keywords given;
  const Py_ssize_t keywords = names == nullptr ? 0 : PyTuple_GET_SIZE(names);
  for (Py_ssize_t k = 0; k < keywords; ++k) {
    PyObject* name = PyTuple_GET_ITEM(names, k);
    std::size_t found = kKeywords.size();
    for (std::size_t i = 0; i < kKeywords.size(); ++i) {
      if (name == PyTuple_GET_ITEM(self, kFirstKeyword + static_cast<Py_ssize_t>(i))) {
        found = i;
      }
    }
    if (found == kKeywords.size() || given.values[found]) {
      return {};
    }
    given.values[found] = args[count + k];
  }
  // In the binding's order, so that a name (copied when it is a bytearray) is
  // read before any later argument runs code that could change it; the
  // casters hold what the names read.
  py::detail::make_caster<Source> source;
  py::detail::make_caster<CrossFade> fade;
  const bool from_source = source.load(args[0], false);
  if (!from_source && !fade.load(args[0], false)) {
    return {};
  }
  const auto pip = loaded<std::int32_t>(args[1]);
  const auto fixtures = loaded<std::int64_t>(args[2]);
  const auto or_none = [](py::handle value) { return !value || value.is_none(); };
  std::optional<std::int32_t> phase_step;
  if (!or_none(given.values[0]) && !(phase_step = loaded<std::int32_t>(given.values[0]))) {
    return {};
  }
  const auto from_centre = given.values[1] ? loaded<bool>(given.values[1]) : std::optional(false);
  py::detail::make_caster<pipmoves::python::Name> alternate;
  if (given.values[2] && !alternate.load(given.values[2], false)) {
    return {};
  }
  StageX stage_x;
  if (!or_none(given.values[3]) && !(stage_x = loaded<pipmoves::python::Items<double>>(given.values[3]))) {
    return {};
  }
  if (!pip || !fixtures || !from_centre) {
    return {};
  }
  const std::string_view alternation =
      given.values[2] ? py::detail::cast_op<pipmoves::python::Name&>(alternate).bytes : "none";
  const py::object out = py::reinterpret_borrow<py::object>(given.values[4] ? given.values[4] : Py_None);
  const Spread how = spread_of(phase_step, *from_centre, alternation, std::move(stage_x));
  if (from_source) {
    return spread_into(*Resolved(py::detail::cast_op<const Source&>(source)), *pip, *fixtures, how, out);
  }
  return spread_into(py::detail::cast_op<const CrossFade&>(fade), *pip, *fixtures, how, out);
}

PyObject* front(PyObject* self, PyObject* const* args, Py_ssize_t nargsf, PyObject* names) {
  const Py_ssize_t count = PyVectorcall_NARGS(static_cast<std::size_t>(nargsf));
  try {
    if (py::object result = taken(self, args, count, names)) {
      return result.release().ptr();
    }
  } catch (...) {
    // Its arguments were converted, maybe running the caller's code: the full
    // binding would raise the same error, after running that code again.
    py::detail::try_translate_exceptions();
    return nullptr;
  }
  if (PyErr_Occurred() != nullptr) {
    PyErr_Clear();
  }
  return PyObject_Vectorcall(PyTuple_GET_ITEM(self, kFull), args, static_cast<std::size_t>(nargsf), names);
}

}  // namespace

void take_spread_keywords(py::module_& m) {
  const py::object full = m.attr("spread");
  // The function keeps its definition's address for its whole life: the
  // module's, as pybind11's own functions do.
  static const std::string doc = py::cast<std::string>(full.attr("__doc__"));
  static PyMethodDef definition{"spread", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&front)),
                                METH_FASTCALL | METH_KEYWORDS, doc.c_str()};
  py::tuple self(kFirstKeyword + static_cast<Py_ssize_t>(kKeywords.size()));
  self[kFull] = full;
  for (std::size_t i = 0; i < kKeywords.size(); ++i) {
    self[kFirstKeyword + i] = py::reinterpret_steal<py::object>(PyUnicode_InternFromString(kKeywords[i]));
  }
  const py::object module_name = m.attr("__name__");
  m.attr("spread") = py::reinterpret_steal<py::object>(PyCFunction_NewEx(&definition, self.ptr(), module_name.ptr()));
}

}  // namespace pipmoves::play::python

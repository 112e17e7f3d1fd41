#include "support/instances.hpp"

#include <pybind11/pybind11.h>

#include <cstring>
#include <string>

namespace py = pybind11;

namespace pipmoves::python {
namespace {

// pybind11 sets the value only once the core object is built; a holder is
// not always there (an object that refers to one another object owns).
bool is_built(PyObject* object, const py::detail::type_info* type) {
  auto* instance = reinterpret_cast<py::detail::instance*>(object);
  const py::detail::value_and_holder v_h = instance->get_value_and_holder(type, false);
  return v_h.inst != nullptr && v_h.value_ptr() != nullptr;
}

// Called as the class's __init__ with self first; `bound` holds pybind11's
// own __init__ and the class.
PyObject* guarded_init(PyObject* bound, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  PyObject* original = PyTuple_GET_ITEM(bound, 0);
  auto* cls = reinterpret_cast<PyTypeObject*>(PyTuple_GET_ITEM(bound, 1));
  if (nargs > 0 && PyObject_TypeCheck(args[0], cls) && is_built(args[0], py::detail::get_type_info(cls))) {
    PyErr_Format(PyExc_TypeError, "%s object is already initialised", Py_TYPE(args[0])->tp_name);
    return nullptr;
  }
  return PyObject_Vectorcall(original, args, static_cast<std::size_t>(nargs), kwnames);
}

}  // namespace

void require_initialised(py::handle object, const py::detail::type_info* type) {
  if (type != nullptr && PyObject_TypeCheck(object.ptr(), type->type) && !is_built(object.ptr(), type)) {
    throw py::type_error(std::string(Py_TYPE(object.ptr())->tp_name) + " object is not initialised");
  }
}

void refuse_second_init(py::handle cls) {
  const py::object original = cls.attr("__init__");
  const std::string doc = py::str(original.attr("__doc__"));
  // The definition and its docstring must outlive the function made from
  // them; like the class, they stay until the process ends.
  auto* definition = new PyMethodDef{"__init__", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(guarded_init)),
                                     METH_FASTCALL | METH_KEYWORDS, strdup(doc.c_str())};
  const py::tuple bound = py::make_tuple(original, cls);
  const auto guard = py::reinterpret_steal<py::object>(PyCFunction_New(definition, bound.ptr()));
  if (!guard) {
    throw py::error_already_set();
  }
  const auto method = py::reinterpret_steal<py::object>(PyInstanceMethod_New(guard.ptr()));
  if (!method) {
    throw py::error_already_set();
  }
  py::setattr(cls, "__init__", method);
}

}  // namespace pipmoves::python

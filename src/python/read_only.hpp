#pragma once

#include <pybind11/pybind11.h>

#include <utility>

namespace pipmoves::python {

// A read-only property whose getter is a method of the class, so its generated
// signature names self like every other member's.
template <typename Class, typename Getter>
void def_read_only(pybind11::class_<Class>& cls, const char* name, Getter&& getter) {
  cls.def_property_readonly(name, pybind11::cpp_function(std::forward<Getter>(getter), pybind11::is_method(cls)));
}

}  // namespace pipmoves::python

#pragma once

// Instances of the bound classes exist before their __init__ has run (the
// class's own __new__ makes one) and stay unbuilt if it fails. pybind11 would
// hand such an object to a method as if built, over memory never constructed;
// with these casters every use of one, as self or as an argument, is a
// TypeError instead. Both modules convert every class they bind through them,
// and each other's classes too.

#include <pybind11/pybind11.h>

namespace pipmoves::python {

// Throws TypeError "<type> object is not initialised" if `object` is an
// instance of the bound class `type` whose core object was never built.
void require_initialised(pybind11::handle object, const pybind11::detail::type_info* type);

// Puts a check in front of the class's __init__ that refuses, with TypeError
// "<type> object is already initialised", to run it on an object already
// built; pybind11 would return None and leave the object as it was, as if the
// call had succeeded.
void refuse_second_init(pybind11::handle cls);

}  // namespace pipmoves::python

namespace pybind11::detail {

template <typename Class>
class initialised_caster : public type_caster_base<Class> {
 public:
  bool load(handle source, bool convert) {
    pipmoves::python::require_initialised(source, this->typeinfo);
    return type_caster_base<Class>::load(source, convert);
  }
};

}  // namespace pybind11::detail

// Converts the bound class Class through initialised_caster. Every file that
// converts Class must see this first, so it belongs in the header that
// declares which classes a module binds.
#define PIPMOVES_REFUSE_UNBUILT(...)                                                          \
  namespace pybind11::detail {                                                               \
  template <>                                                                                \
  class type_caster<__VA_ARGS__> : public initialised_caster<__VA_ARGS__> {};                \
  }                                                                                          \
  static_assert(true)

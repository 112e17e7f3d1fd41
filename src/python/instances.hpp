#pragma once

// Instances of the bound classes exist before their __init__ has run (the
// class's own __new__ makes one) and stay unbuilt if it fails. pybind11 would
// hand such an object to a method as if built, over memory never constructed;
// here every use of one, as self or as an argument, is a TypeError instead.

#include <pybind11/pybind11.h>

#include "pipmoves/offset3.hpp"
#include "pipmoves/pattern_library.hpp"
#include "pipmoves/sampled_pattern.hpp"
#include "pipmoves/sampled_recording.hpp"

namespace pipmoves::python {

// Throws TypeError if `object` is an instance of the bound class `type` whose
// core object was never built.
void require_initialised(pybind11::handle object, const pybind11::detail::type_info* type);

// Puts a check in front of the class's __init__ that refuses, with TypeError,
// to run it on an object already built; pybind11 would return None and
// leave the object as it was, as if the call had succeeded.
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

template <>
class type_caster<pipmoves::Offset3> : public initialised_caster<pipmoves::Offset3> {};
template <>
class type_caster<pipmoves::SampledPattern> : public initialised_caster<pipmoves::SampledPattern> {};
template <>
class type_caster<pipmoves::PatternLibrary> : public initialised_caster<pipmoves::PatternLibrary> {};
template <>
class type_caster<pipmoves::SampledRecording> : public initialised_caster<pipmoves::SampledRecording> {};

}  // namespace pybind11::detail

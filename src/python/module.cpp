#include <pybind11/pybind11.h>

#include "pipmoves/pip.hpp"
#include "register.hpp"

PYBIND11_MODULE(pipmoves, m) {
  m.doc() = "Integer-pip rhythmic position functions";
  m.attr("PIPS_PER_BEAT") = pipmoves::PIPS_PER_BEAT;
  pipmoves::python::register_sampled_recording(m);
  pipmoves::python::register_offset3(m);
  pipmoves::python::register_sampled_pattern(m);
  pipmoves::python::register_pattern_library(m);
  pipmoves::python::register_catalogue(m);
  pipmoves::python::register_patterns(m);
}

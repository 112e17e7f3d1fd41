#include <pybind11/pybind11.h>

#include "pipmoves/rudiments.hpp"
#include "pipmoves/shapes.hpp"
#include "register.hpp"

namespace pipmoves::python {

// Each pattern takes one positional pip; it has no keyword name.
void register_patterns(pybind11::module_& m) {
  m.def("bounce", &bounce);
  m.def("sway", &sway);
  m.def("circle", &circle);
  m.def("figure_eight", &figure_eight);
  m.def("step_touch", &step_touch);
  m.def("box_step", &box_step);
  m.def("helix", &helix);
  m.def("clay_background", &clay_background);
  m.def("single_stroke_roll", &single_stroke_roll);
  m.def("double_stroke_roll", &double_stroke_roll);
  m.def("multiple_bounce_roll", &multiple_bounce_roll);
  m.def("single_paradiddle", &single_paradiddle);
  m.def("flam", &flam);
  m.def("drag", &drag);
  m.def("five_stroke_roll", &five_stroke_roll);
}

}  // namespace pipmoves::python

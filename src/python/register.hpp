#pragma once

#include <pybind11/pybind11.h>

// Every binding file includes this, so all of them convert the bound classes
// through the same casters.
#include "support/pipmoves_classes.hpp"

namespace pipmoves::python {

// Each binding file registers one area of the module; the module body calls
// them in attribute order.
void register_sampled_recording(pybind11::module_& m);
void register_offset3(pybind11::module_& m);
void register_sampled_pattern(pybind11::module_& m);
void register_pattern_library(pybind11::module_& m);
void register_catalogue(pybind11::module_& m);
void register_patterns(pybind11::module_& m);

}  // namespace pipmoves::python

#pragma once

#include <pybind11/pybind11.h>

// Every binding file includes this, so all of them convert the bound classes
// through the same casters.
#include "bound_classes.hpp"

namespace pipmoves::play::python {

// Each binding file registers one area of the module; the module body calls
// them so that every class is registered before a signature names it.
void register_rows(pybind11::module_& m);
void register_pattern(pybind11::module_& m);
void register_crossfade(pybind11::module_& m);
void register_render(pybind11::module_& m);
void register_clock(pybind11::module_& m);
void register_fixture(pybind11::module_& m);
void register_groove(pybind11::module_& m);
void register_patch(pybind11::module_& m);
void register_beat(pybind11::module_& m);

}  // namespace pipmoves::play::python

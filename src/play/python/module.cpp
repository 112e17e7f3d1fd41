#include <pybind11/pybind11.h>

#include "register.hpp"
#include "support/name_errors.hpp"

PYBIND11_MODULE(pipmoves_play, m) {
  m.doc() = "Playback for pipmoves: clocks, whole frames, fixture spreads, cross-fades, DMX and your own grooves";
  // Its classes must be registered before ours take or return them.
  pybind11::module_::import("pipmoves");
  // Core messages carry callers' paths and names, which need not be UTF-8.
  pipmoves::python::decode_messages_leniently();
  pipmoves::play::python::register_rows(m);
  pipmoves::play::python::register_pattern(m);
  pipmoves::play::python::register_crossfade(m);
  pipmoves::play::python::register_render(m);
  pipmoves::play::python::register_clock(m);
  pipmoves::play::python::register_fixture(m);
  pipmoves::play::python::register_groove(m);
  pipmoves::play::python::register_patch(m);
  pipmoves::play::python::register_beat(m);
}

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <utility>
#include <vector>

#include "pipmoves/play/clock.hpp"
#include "register.hpp"
#include "support/arguments.hpp"
#include "support/instances.hpp"

namespace py = pybind11;

namespace pipmoves::play::python {

using BeatAndBpm = std::pair<double, double>;
using pipmoves::python::Items;

void register_clock(py::module_& m) {
  py::class_<Clock> cls(m, "Clock");
  cls.def(py::init([](double bpm, double beat_zero_seconds, const Items<BeatAndBpm>& changes) {
            std::vector<TempoChange> tempo_changes;
            tempo_changes.reserve(changes.size());
            for (const auto& [beat, change_bpm] : changes) {
              tempo_changes.push_back({beat, change_bpm});
            }
            return Clock(bpm, beat_zero_seconds, std::move(tempo_changes));
          }),
          py::arg("bpm"), py::arg("beat_zero_seconds") = 0.0, py::arg("changes") = Items<BeatAndBpm>{});
  cls.def_property_readonly("bpm", &Clock::bpm);
  cls.def_property_readonly("beat_zero_seconds", &Clock::beat_zero_seconds);
  cls.def_property_readonly("changes", [](const Clock& clock) {
    std::vector<BeatAndBpm> changes;
    for (const TempoChange& change : clock.changes()) {
      changes.emplace_back(change.beat, change.bpm);
    }
    return changes;
  });
  cls.def("position_at", &Clock::position_at, py::arg("seconds"));
  cls.def("pip_at", &Clock::pip_at, py::arg("seconds"));
  cls.def("seconds_at", &Clock::seconds_at, py::arg("pip"));
  cls.def("bpm_at", &Clock::bpm_at, py::arg("seconds"));
  cls.def("anchored", &Clock::anchored, py::arg("seconds"), py::arg("beat") = 0.0);
  pipmoves::python::refuse_second_init(cls);

  m.def(
      "tap_tempo", [](const Items<double>& taps) { return tap_tempo(taps.values); }, py::arg("taps"));
}

}  // namespace pipmoves::play::python

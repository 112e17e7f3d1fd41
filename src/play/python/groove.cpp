#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "pipmoves/play/groove.hpp"
#include "pipmoves/sampled_pattern.hpp"
#include "register.hpp"
#include "support/arguments.hpp"
#include "support/instances.hpp"
#include "support/name_errors.hpp"

namespace py = pybind11;

namespace pipmoves::play::python {
namespace {

using HitTuple = std::tuple<double, std::string, double, int>;
using pipmoves::python::Items;
using pipmoves::python::Name;

GrooveScore make_score(int period_pips, const Items<HitTuple>& hits, std::optional<double> tempo_bpm) {
  std::vector<GrooveHit> converted;
  converted.reserve(hits.size());
  for (const auto& [pip, instrument, velocity, side] : hits) {
    converted.push_back({pip, instrument, velocity, side});
  }
  return GrooveScore(period_pips, std::move(converted), tempo_bpm);
}

py::tuple hits_of(const GrooveScore& score) {
  py::tuple out(score.hits().size());
  for (std::size_t i = 0; i < score.hits().size(); ++i) {
    const GrooveHit& hit = score.hits()[i];
    out[i] = py::make_tuple(hit.pip, hit.instrument, hit.velocity, hit.side);
  }
  return out;
}

template <typename Names>
py::tuple names_of(const Names& names) {
  py::tuple out(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    out[i] = py::str(names[i].data(), names[i].size());
  }
  return out;
}

// The core says only that a name is invalid; the caller gave the groove's
// name, which becomes the first part of sixteen.
[[noreturn]] void raise_invalid_groove_name(std::string_view name) {
  std::size_t longest = 0;
  for (const std::string_view move : groove_moves()) {
    longest = std::max(longest, move.size());
  }
  const py::str text = py::str(
      "Invalid pattern name: a groove's patterns are named {0}_<move>, {0}_{1} to {0}_{2}, and a pattern name is 1 "
      "to {3} bytes, a lower-case ASCII letter then lower-case ASCII letters, digits or _ (so a groove name of at "
      "most {4} bytes)");
  const py::object message = text.format(pipmoves::python::name_text(name), groove_moves().front(),
                                         groove_moves().back(), SampledPattern::kMaxNameBytes,
                                         SampledPattern::kMaxNameBytes - 1 - longest);
  PyErr_SetObject(PyExc_ValueError, message.ptr());
  throw py::error_already_set();
}

PatternLibrary patterns_of(const GrooveScore& score, Name name, std::string_view heading) {
  try {
    return groove_patterns(score, name.bytes, heading);
  } catch (const std::invalid_argument& error) {
    if (std::string_view(error.what()) == "Invalid pattern name") {
      raise_invalid_groove_name(name.bytes);
    }
    throw;
  }
}

}  // namespace

void register_groove(py::module_& m) {
  m.attr("GROOVE_MOVES") = names_of(groove_moves());
  m.attr("GROOVE_INSTRUMENTS") = names_of(groove_instruments());

  py::class_<GrooveScore> cls(m, "GrooveScore");
  cls.def(py::init(&make_score), py::arg("period_pips"), py::arg("hits"), py::arg("tempo_bpm") = py::none());
  cls.def_property_readonly("period_pips", &GrooveScore::period_pips);
  cls.def_property_readonly("hits", &hits_of);
  cls.def_property_readonly("tempo_bpm", &GrooveScore::tempo_bpm);
  cls.def("__repr__", [](const GrooveScore& s) {
    return "GrooveScore(period_pips=" + std::to_string(s.period_pips()) + ", " + std::to_string(s.hits().size()) +
           " hits)";
  });
  pipmoves::python::refuse_second_init(cls);

  m.def("read_step_lanes", &read_step_lanes, py::arg("text"));
  m.def(
      "stored_groove_lanes",
      [](Name groove) {
        return pipmoves::python::naming_in_errors(groove.bytes, [&] { return stored_groove_lanes(groove.bytes); });
      },
      py::arg("groove"));
  m.def(
      "read_midi",
      [](const std::filesystem::path& file, int first_bar, int bars, std::optional<int> bass_channel) {
        return read_midi(file, MidiSelection{first_bar, bars, bass_channel});
      },
      py::arg("file"), py::kw_only(), py::arg("first_bar") = 1, py::arg("bars") = 1,
      py::arg("bass_channel") = py::none());
  m.def("groove_patterns", &patterns_of, py::arg("score"), py::arg("name"), py::arg("heading"));
}

}  // namespace pipmoves::play::python

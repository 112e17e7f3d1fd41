#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <string>
#include <tuple>
#include <vector>

#include "pipmoves/play/groove.hpp"
#include "register.hpp"

namespace py = pybind11;

namespace pipmoves::play::python {
namespace {

using HitTuple = std::tuple<double, std::string, double, int>;

GrooveScore make_score(int period_pips, const std::vector<HitTuple>& hits, std::optional<double> tempo_bpm) {
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

  m.def("read_step_lanes", &read_step_lanes, py::arg("text"));
  m.def("stored_groove_lanes", &stored_groove_lanes, py::arg("groove"));
  m.def(
      "read_midi",
      [](const std::filesystem::path& file, int first_bar, int bars, std::optional<int> bass_channel) {
        return read_midi(file, MidiSelection{first_bar, bars, bass_channel});
      },
      py::arg("file"), py::kw_only(), py::arg("first_bar") = 1, py::arg("bars") = 1,
      py::arg("bass_channel") = py::none());
  m.def("groove_patterns", &groove_patterns, py::arg("score"), py::arg("name"), py::arg("heading"));
}

}  // namespace pipmoves::play::python

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "pipmoves/sampled_recording.hpp"
#include "read_only.hpp"
#include "register.hpp"

namespace py = pybind11;

namespace pipmoves::python {

void register_sampled_recording(py::module_& m) {
  py::class_<SampledRecording> cls(m, "SampledRecording");
  cls.def(py::init([](std::string name, std::vector<std::string> dimensions,
                      const std::vector<std::vector<double>>& samples, double bpm, double beat_zero_seconds,
                      std::int32_t start_pip) {
            const std::vector<std::span<const double>> rows(samples.begin(), samples.end());
            return SampledRecording(std::move(name), std::move(dimensions), rows, bpm, beat_zero_seconds,
                                    start_pip);
          }),
          py::arg("name"), py::arg("dimensions"), py::arg("samples"), py::arg("bpm"),
          py::arg("beat_zero_seconds") = 0.0, py::arg("start_pip") = 0);
  def_read_only(cls, "name", [](const SampledRecording& r) { return r.name(); });
  def_read_only(cls, "dimensions", [](const SampledRecording& r) { return r.dimensions(); });
  def_read_only(cls, "sample_count", [](const SampledRecording& r) { return r.sample_count(); });
  def_read_only(cls, "bpm", [](const SampledRecording& r) { return r.bpm(); });
  def_read_only(cls, "beat_zero_seconds", [](const SampledRecording& r) { return r.beat_zero_seconds(); });
  def_read_only(cls, "start_pip", [](const SampledRecording& r) { return r.start_pip(); });
  cls.def("sample", &SampledRecording::sample, py::arg("pip").noconvert());
  refuse_second_init(cls);
}

}  // namespace pipmoves::python

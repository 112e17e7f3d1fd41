#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "pipmoves/offset3.hpp"
#include "pipmoves/sampled_pattern.hpp"
#include "read_only.hpp"
#include "register.hpp"

namespace py = pybind11;

namespace pipmoves::python {

using Triple = std::array<double, 3>;

void register_sampled_pattern(py::module_& m) {
  py::class_<SampledPattern> cls(m, "SampledPattern");
  cls.def(py::init([](std::string name, std::string description, const std::vector<Triple>& samples) {
            std::vector<Offset3> offsets;
            offsets.reserve(samples.size());
            for (const Triple& t : samples) {
              offsets.push_back(Offset3{t[0], t[1], t[2]});
            }
            return SampledPattern(std::move(name), std::move(description), std::move(offsets));
          }),
          py::arg("name"), py::arg("description"), py::arg("samples"));
  def_read_only(cls, "name", [](const SampledPattern& p) { return p.info().name; });
  // Descriptions are free bytes: one that is not UTF-8 fails here, when read as str.
  def_read_only(cls, "description", [](const SampledPattern& p) { return p.info().description; });
  def_read_only(cls, "period_pips", [](const SampledPattern& p) { return p.info().period_pips; });
  cls.def("sample", &SampledPattern::sample, py::arg("pip_count").noconvert());
  refuse_second_init(cls);
}

}  // namespace pipmoves::python

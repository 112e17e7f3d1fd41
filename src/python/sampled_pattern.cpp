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
#include "support/arguments.hpp"

namespace py = pybind11;

namespace pipmoves::python {

using Triple = std::array<Real, 3>;

// The sample triples, converted straight into the core's values.
struct Offsets {
  std::vector<Offset3> samples;

  void clear() noexcept { samples.clear(); }
  void push_back(const Triple& t) { samples.push_back(Offset3{t[0].value, t[1].value, t[2].value}); }
};

}  // namespace pipmoves::python

namespace pybind11::detail {

template <>
struct type_caster<pipmoves::python::Offsets> : list_caster<pipmoves::python::Offsets, pipmoves::python::Triple> {};

}  // namespace pybind11::detail

namespace pipmoves::python {

void register_sampled_pattern(py::module_& m) {
  py::class_<SampledPattern> cls(m, "SampledPattern");
  cls.def(py::init([](std::string name, std::string description, Offsets samples) {
            return SampledPattern(std::move(name), std::move(description), std::move(samples.samples));
          }),
          py::arg("name"), py::arg("description"), py::arg("samples"));
  def_read_only(cls, "name", [](const SampledPattern& p) { return p.info().name; });
  // Descriptions are free bytes: one that is not UTF-8 fails here, when read as str.
  def_read_only(cls, "description", [](const SampledPattern& p) { return p.info().description; });
  def_read_only(cls, "period_pips", [](const SampledPattern& p) { return p.info().period_pips; });
  cls.def(
      "sample", [](const SampledPattern& p, Pip pip_count) { return p.sample(pip_count.value); },
      py::arg("pip_count").noconvert());
  refuse_second_init(cls);
}

}  // namespace pipmoves::python

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <utility>
#include <vector>

#include "catalogue_row.hpp"
#include "pipmoves/catalogue_entry.hpp"
#include "pipmoves/pattern_library.hpp"
#include "pipmoves/sampled_pattern.hpp"
#include "register.hpp"
#include "support/arguments.hpp"
#include "support/name_errors.hpp"

namespace py = pybind11;

namespace pipmoves::python {

// One element of the patterns argument: the core pattern inside a Python
// SampledPattern, and that object, kept alive until the library has copied
// what it accepts.
struct PatternRef {
  py::object owner;
  const SampledPattern* pattern = nullptr;
};

// The patterns in the order given. The library copies only the ones it
// accepts, each once its checks have passed, and the caller's objects stay
// as they are.
struct PatternRefs {
  std::vector<py::object> owners;
  std::vector<const SampledPattern*> patterns;

  void clear() noexcept {
    owners.clear();
    patterns.clear();
  }
  void push_back(PatternRef&& ref) {
    owners.push_back(std::move(ref.owner));
    patterns.push_back(ref.pattern);
  }
};

}  // namespace pipmoves::python

namespace pybind11::detail {

template <>
class type_caster<pipmoves::python::PatternRef> {
 public:
  bool load(handle source, bool convert) {
    make_caster<pipmoves::SampledPattern> pattern;
    if (source.is_none() || !pattern.load(source, convert)) {
      return false;
    }
    value.owner = reinterpret_borrow<object>(source);
    value.pattern = &cast_op<const pipmoves::SampledPattern&>(pattern);
    return true;
  }

  PYBIND11_TYPE_CASTER(pipmoves::python::PatternRef, make_caster<pipmoves::SampledPattern>::name);
};

template <>
struct type_caster<pipmoves::python::PatternRefs>
    : list_caster<pipmoves::python::PatternRefs, pipmoves::python::PatternRef> {};

}  // namespace pybind11::detail

namespace pipmoves::python {

void register_pattern_library(py::module_& m) {
  py::class_<PatternLibrary> cls(m, "PatternLibrary");
  cls.def(py::init([](const PatternRefs& refs) { return PatternLibrary::copied_from(refs.patterns); }),
          py::arg("patterns") = py::list());
  cls.def(
      "sample",
      [](const PatternLibrary& library, Name name, Pip pip_count) {
        return naming_in_errors(name.bytes, [&] { return library.sample(name.bytes, pip_count.value); });
      },
      py::arg("name"), py::arg("pip_count").noconvert());
  cls.def("catalogue", [](const PatternLibrary& library) {
    py::list rows;
    for (const CatalogueEntry& entry : library.catalogue()) {
      rows.append(catalogue_row(entry));
    }
    return rows;
  });
  refuse_second_init(cls);
}

}  // namespace pipmoves::python

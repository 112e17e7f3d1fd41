#include <pybind11/pybind11.h>

#include "pipmoves/procedural.hpp"
#include "register.hpp"
#include "support/arguments.hpp"

namespace pipmoves::python {

// Each pattern takes one positional pip; it has no keyword name. The names are
// literals of the procedural table, so their bytes end in a NUL.
void register_patterns(pybind11::module_& m) {
  for (const DefaultPattern& pattern : procedural_patterns()) {
    m.def(pattern.name.data(), [sampler = pattern.sampler](Pip pip) { return sampler(pip.value); });
  }
}

}  // namespace pipmoves::python

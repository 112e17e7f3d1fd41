#pragma once

#include <pybind11/pybind11.h>

#include <string>

#include "pipmoves/catalogue_entry.hpp"

namespace pipmoves::python {

// A new dict with the keys in catalogue order; the strings are copied and
// decoded as strict UTF-8.
inline pybind11::dict catalogue_row(const CatalogueEntry& entry) {
  pybind11::dict row;
  row["name"] = pybind11::str(std::string(entry.name));
  row["description"] = pybind11::str(std::string(entry.description));
  row["period_pips"] = entry.period_pips;
  row["dimensions"] = entry.dimensions;
  return row;
}

}  // namespace pipmoves::python

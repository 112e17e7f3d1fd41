#pragma once

// Where each stored row comes from: its pack, its family and the ranges
// stated for it. The module keeps none of this; the generator writes it into
// the build folder for the tools and the tests, so that none of them has to
// know a row number.

#include <string>
#include <vector>

namespace pipmoves::packgen {

struct LayoutRow {
  std::string name;
  std::string ranges;  // the row's own, or empty
};

struct LayoutFamily {
  std::string label;
  std::string ranges;  // over all its rows, or empty
  std::vector<LayoutRow> rows;
};

// Rows named across a pack, such as one move on every groove, and the
// ranges they meet together.
struct LayoutSelection {
  std::string label;
  std::string ranges;
  std::vector<std::string> names;
};

struct LayoutPack {
  std::string name;  // the namespace is pipmoves_<name>
  std::vector<LayoutFamily> families;
  std::vector<LayoutSelection> selections;
};

// A JSON object with "generated_by" and the lists "packs", "families",
// "selections" and "rows", each in table order. Rows, families and packs
// carry their first row number in the pack table; every ranges text comes
// with "stated", its parse by the generator's checks: per axis null (still)
// or {"low", "high", "low_text", "high_text", "within"}; null for no text.
std::string layout_json(const std::vector<LayoutPack>& packs, const std::string& command);

// A C++ header for the tests: pipmoves::pack_layout::kPacks and kFamilies
// with their names, first rows, row counts and stated ranges.
std::string layout_header(const std::vector<LayoutPack>& packs, const std::string& command);

}  // namespace pipmoves::packgen

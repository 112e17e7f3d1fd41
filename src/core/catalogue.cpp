#include "pipmoves/catalogue.hpp"

#include "catalogue_build.hpp"
#include "pipmoves/pack_table.hpp"
#include "pipmoves/procedural.hpp"

namespace pipmoves {
namespace detail {

std::vector<CatalogueEntry> build_catalogue() {
  const std::span<const DefaultPattern> procedural = procedural_patterns();
  std::vector<CatalogueEntry> rows(procedural.begin(), procedural.end());
  for (const DefaultPattern& row : pack_table()) {
    rows.push_back(row);
  }
  return rows;
}

}  // namespace detail

const std::vector<CatalogueEntry>& catalogue() {
  // A throwing first build leaves nothing behind; the next call builds again.
  static const std::vector<CatalogueEntry> rows = detail::build_catalogue();
  return rows;
}

}  // namespace pipmoves

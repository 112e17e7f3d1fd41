#include "pipmoves/catalogue.hpp"

#include "catalogue_build.hpp"
#include "pipmoves/pack_table.hpp"
#include "procedural_catalogue.hpp"

namespace pipmoves {
namespace detail {

std::vector<CatalogueEntry> build_catalogue() {
  std::vector<CatalogueEntry> rows(detail::kProceduralCatalogue.begin(), detail::kProceduralCatalogue.end());
  for (const PackEntry& row : pack_table()) {
    rows.push_back({row.name, row.description, row.period_pips, row.dimensions});
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

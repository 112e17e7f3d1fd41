#include "twelve_places.hpp"

#include <cstdio>
#include <cstdlib>

namespace pipmoves::packs {

double round_to_twelve_places(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.12f", value);
  const double rounded = std::strtod(buffer, nullptr);
  return rounded == 0.0 ? 0.0 : rounded;
}

}  // namespace pipmoves::packs

#include "pack.hpp"

namespace pipmoves::authoring {

std::vector<Pack> all_packs() {
  return {first_packs::initial_pack(), first_packs::expansion_pack(), atlas::atlas_pack(),
          continuum::continuum_pack(), grooves::club_pack(), grooves::dancefloor_pack()};
}

}  // namespace pipmoves::authoring

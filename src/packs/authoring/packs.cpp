#include "pack.hpp"

namespace pipmoves::authoring {

std::vector<Pack> all_packs() {
  return {initial_pack(), expansion_pack(), atlas_pack(), continuum_pack(), club_pack(), dancefloor_pack()};
}

}  // namespace pipmoves::authoring

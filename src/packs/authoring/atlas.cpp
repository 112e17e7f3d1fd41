// The atlas pack: a systematic catalogue of shape families.

#include "atlas_families.hpp"

namespace pipmoves::authoring {

Pack atlas_pack() {
  using namespace atlas;
  return Pack{"atlas",
              {
                  wave_family(),
                  env_family(),
                  seq_family(),
              }};
}

}  // namespace pipmoves::authoring

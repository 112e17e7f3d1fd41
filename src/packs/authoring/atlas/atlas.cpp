// The atlas pack: a systematic catalogue of shape families.

#include "families.hpp"

namespace pipmoves::authoring::atlas {

Pack atlas_pack() {
  return Pack{"atlas",
              {
                  wave_family(),
                  env_family(),
                  seq_family(),
                  noise_family(),
                  orbit_harmonic_family(),
                  weave_family(),
                  polar_rose_family(),
                  polar_scallop_family(),
                  spiro_inside_family(),
                  spiro_outside_family(),
                  space_torus_family(),
                  space_weave_family(),
                  mech_family(),
                  euclid_family(),
                  poly_family(),
                  meter_family(),
                  swing_family(),
                  stick_study_family(),
                  gesture_family(),
              }};
}

}  // namespace pipmoves::authoring::atlas

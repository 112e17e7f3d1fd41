// The continuum pack: continuous paths, most of them in three dimensions, and
// small rhythmic studies on rational beat positions.

#include "families.hpp"

namespace pipmoves::authoring::continuum {

Pack continuum_pack() {
  return Pack{"continuum",
              {
                  ribbon_family(),
                  contour_shaped_family(),
                  silhouette_harmonic_family(),
                  spline_family(),
                  tour_family(),
                  scan_family(),
                  reach_family(),
                  surface_family(),
                  braid_family(),
                  arm_coupled_family(),
                  dwell_phrase_family(),
                  packet_family(),
                  canon_family(),
                  echo_family(),
                  ladder_family(),
                  necklace_family(),
                  accent_walk_family(),
                  triplet_family(),
                  dialogue_family(),
                  burst_family(),
              }};
}

}  // namespace pipmoves::authoring::continuum

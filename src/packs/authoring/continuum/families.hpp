#pragma once

// The twenty families of the continuum pack, in table order.

#include "../pack.hpp"

namespace pipmoves::authoring::continuum {

Family ribbon_family();
Family contour_shaped_family();
Family silhouette_harmonic_family();
Family spline_family();
Family tour_family();
Family scan_family();
Family reach_family();
Family surface_family();
Family braid_family();
Family arm_coupled_family();
Family dwell_phrase_family();
Family packet_family();
Family canon_family();
Family echo_family();
Family ladder_family();
Family necklace_family();
Family accent_walk_family();
Family triplet_family();
Family dialogue_family();
Family burst_family();

}  // namespace pipmoves::authoring::continuum

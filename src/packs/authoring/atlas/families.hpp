#pragma once

// The atlas pack's families, one builder each, in table order. Every family
// holds sixteen rows (or eight for the paired curve families) that vary the
// parameters their names spell out.

#include "../pack.hpp"

namespace pipmoves::authoring::atlas {

Family wave_family();
Family env_family();
Family seq_family();
Family noise_family();
Family orbit_harmonic_family();
Family weave_family();
Family polar_rose_family();
Family polar_scallop_family();
Family spiro_inside_family();
Family spiro_outside_family();
Family space_torus_family();
Family space_weave_family();
Family mech_family();
Family euclid_family();
Family poly_family();
Family meter_family();
Family swing_family();
Family stick_study_family();
Family gesture_family();

}  // namespace pipmoves::authoring::atlas

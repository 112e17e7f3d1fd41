#pragma once

// Everything a host needs from the pipmoves core.
#include "pipmoves/catalogue.hpp"
#include "pipmoves/catalogue_entry.hpp"
#include "pipmoves/offset3.hpp"
#include "pipmoves/pattern_library.hpp"
#include "pipmoves/pip.hpp"
#include "pipmoves/procedural.hpp"
#include "pipmoves/rudiments.hpp"
#include "pipmoves/sampled_pattern.hpp"
#include "pipmoves/sampled_recording.hpp"
#include "pipmoves/shapes.hpp"

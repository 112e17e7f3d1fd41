#pragma once

// Everything a host needs from the pipmoves core.
#include "pipmoves/catalogue_entry.hpp"
#include "pipmoves/offset3.hpp"
#include "pipmoves/pip.hpp"
#include "pipmoves/rudiments.hpp"
#include "pipmoves/shapes.hpp"

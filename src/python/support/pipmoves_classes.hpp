#pragma once

// The classes pipmoves binds, refused unbuilt wherever either module takes one.

#include "pipmoves/offset3.hpp"
#include "pipmoves/pattern_library.hpp"
#include "pipmoves/sampled_pattern.hpp"
#include "pipmoves/sampled_recording.hpp"
#include "support/instances.hpp"

PIPMOVES_REFUSE_UNBUILT(pipmoves::Offset3);
PIPMOVES_REFUSE_UNBUILT(pipmoves::SampledPattern);
PIPMOVES_REFUSE_UNBUILT(pipmoves::PatternLibrary);
PIPMOVES_REFUSE_UNBUILT(pipmoves::SampledRecording);

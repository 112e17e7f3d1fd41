#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

#include "pipmoves/offset3.hpp"

namespace pipmoves::fuzz {

// Each decodes constructor arguments for one type from the input, predicts
// the outcome from the rules alone and checks the library against it.
void fuzz_sampled_pattern(FuzzedDataProvider& in);
void fuzz_sampled_recording(FuzzedDataProvider& in);
void fuzz_pattern_library(FuzzedDataProvider& in);
// The playback types: the clock (with tap tempo), the fixture mapping, and
// whole frames of a caller's pattern.
void fuzz_clock(FuzzedDataProvider& in);
void fuzz_fixture_map(FuzzedDataProvider& in);
void fuzz_render(FuzzedDataProvider& in);
// The groove readers: step lanes and Standard MIDI Files.
void fuzz_step_lanes(FuzzedDataProvider& in);
void fuzz_midi(FuzzedDataProvider& in);

// A sample table of 0 to 70000 entries; unit_only keeps every component valid.
std::vector<Offset3> consume_samples(FuzzedDataProvider& in, bool unit_only);

}  // namespace pipmoves::fuzz

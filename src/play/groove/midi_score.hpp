#pragma once

// The drum part of a Standard MIDI File already in memory: what read_midi
// makes of a file's bytes once it has them.

#include <span>
#include <string_view>

#include "pipmoves/play/groove.hpp"

namespace pipmoves::play::groove_midi {

// Throws std::invalid_argument as read_midi does, naming the file as `shown`.
GrooveScore midi_score(std::span<const unsigned char> bytes, const MidiSelection& selection, std::string_view shown);

}  // namespace pipmoves::play::groove_midi

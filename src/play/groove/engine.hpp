#pragma once

// Between the public groove types and the move engine the packs are built
// with: the component that runs in a show.

#include <cstddef>
#include <string_view>

#include "grooves/move_set.hpp"
#include "pipmoves/play/groove.hpp"

namespace pipmoves::play::groove_engine {

namespace engine = authoring::grooves;

// The instrument of that name, or nullptr.
const engine::Instrument* instrument_named(std::string_view name);

engine::Score score_of(const GrooveScore& score);

}  // namespace pipmoves::play::groove_engine

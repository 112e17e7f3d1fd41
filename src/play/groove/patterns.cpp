// A score played through the sixteen moves of the dancefloor pack, scaled by
// the gains its families were fitted with, so that a groove of your own moves
// at the size of the stored rows.

#include <stdexcept>
#include <string>

#include "engine.hpp"

namespace pipmoves::play {

const std::array<std::string_view, 16>& groove_moves() {
  static const std::array<std::string_view, 16> names = [] {
    const auto moves = groove_engine::engine::moves_of(groove_engine::engine::MoveSet::dancefloor);
    if (moves.size() != 16) {
      throw std::logic_error("the dancefloor pack plays sixteen moves");
    }
    std::array<std::string_view, 16> out;
    for (std::size_t m = 0; m < out.size(); ++m) {
      out[m] = moves[m].name;
    }
    return out;
  }();
  return names;
}

PatternLibrary groove_patterns(const GrooveScore& score, std::string_view name, std::string_view heading) {
  namespace engine = groove_engine::engine;
  const engine::Score played = groove_engine::score_of(score);
  const auto moves = engine::moves_of(engine::MoveSet::dancefloor);
  std::vector<SampledPattern> patterns;
  patterns.reserve(moves.size());
  for (std::size_t m = 0; m < moves.size(); ++m) {
    const engine::MoveSpec& move = moves[m];
    authoring::Table table = engine::move_table(played, move, engine::recorded_scale(engine::MoveSet::dancefloor, m));
    patterns.emplace_back(std::string(name) + "_" + std::string(move.name),
                          engine::row_description(heading, move.label, move.sentence), std::move(table));
  }
  return PatternLibrary(std::move(patterns));
}

}  // namespace pipmoves::play

#pragma once

// The moves as an engine any score can be played through: the moves of each
// pack with their labels, stated ranges and the families they were fitted
// over, the gains each family was fitted with as the pack build wrote them
// down, and one move of one score scaled by such gains exactly as the stored
// rows are.

#include <cstddef>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "family_scale.hpp"
#include "moves.hpp"

namespace pipmoves::authoring::grooves {

// club: the club pack's bounce, step, orbit and glide, fitted over its 36
// grooves. dancefloor: the sixteen moves of the dancefloor pack in row order
// (bounce, step, orbit, glide over its own 32 grooves, then surge to ricochet
// over all 68).
enum class MoveSet : int { club, dancefloor };

// How one groove's raw table is split for the family fit.
using SplitMove = std::function<SplitTable(const Score&)>;

// Everything scaled: the move has no exact part.
SplitMove fitted_whole(Table (*move)(const Score&));

struct MoveSpec {
  std::string_view name;
  std::string_view label;
  std::string_view sentence;  // empty in the club set, whose rows carry the groove's note
  std::string_view ranges;    // as stated over the family
  SplitMove split;
  std::vector<const Groove*> grooves;  // the family the move was fitted over, in row order
};

// Defined with the tables of each set.
std::vector<MoveSpec> club_move_specs();
std::vector<MoveSpec> dancefloor_move_specs();

std::span<const MoveSpec> moves_of(MoveSet set);

// The gains of the move's stored family as the pack build solved and wrote
// them down, compiled in; defined in the generated groove_gains.cpp.
const FamilyScale& recorded_scale(MoveSet set, std::size_t move);

// One move of a score, scaled by the given family gains, held within [-1, 1]
// and rounded to twelve places like every stored sample. For a stored groove
// and its family's gains this is the stored row, bit for bit.
Table move_table(const Score& score, const MoveSpec& move, const FamilyScale& scale);

inline constexpr std::string_view kEmDash = "\u2014";

inline std::string row_name(std::string_view groove, std::string_view move) {
  return "beat_" + std::string(groove) + "_" + std::string(move);
}

// Heading, em dash, label and a full stop, then the text that follows (a
// groove's note or a move's sentence), after one space even when it is empty.
inline std::string row_description(std::string_view heading, std::string_view label, std::string_view text) {
  return std::string(heading) + " " + std::string(kEmDash) + " " + std::string(label) + ". " + std::string(text);
}

}  // namespace pipmoves::authoring::grooves

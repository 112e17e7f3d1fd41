#pragma once

// The moves as an engine any score can be played through: the moves of each
// pack with their labels and the families they were fitted over, the gains
// each family was fitted with, and one move of one score scaled by such gains
// exactly as the stored rows are.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "../family_fit.hpp"
#include "groove_pack.hpp"

namespace pipmoves::authoring::grooves {

// club: the club pack's bounce, step, orbit and glide, fitted over its 36
// grooves. dancefloor: the sixteen moves of the dancefloor pack in row order
// (bounce, step, orbit, glide over its own 32 grooves, then surge to ricochet
// over all 68).
enum class MoveSet : int { club, dancefloor };

struct MoveSpec {
  std::string_view name;
  std::string_view label;
  std::string_view sentence;  // empty in the club set, whose rows carry the groove's note
  FitTargets targets;
  SplitMove split;
  std::vector<const Groove*> grooves;  // the family the move was fitted over, in row order
};

// Defined beside the packs that state them.
std::vector<MoveSpec> club_move_specs();
std::vector<MoveSpec> dancefloor_move_specs();

std::span<const MoveSpec> moves_of(MoveSet set);

// The gains of the move's stored family, solved from its grooves once per
// process and kept: the pack build scales the stored rows by them and writes
// them down. Costly (seconds): players read the written ones instead.
const FamilyScale& solve_stored_scale(MoveSet set, std::size_t move);

// The same gains as the pack build wrote them down, compiled in; defined in
// the generated groove_gains.cpp.
const FamilyScale& recorded_scale(MoveSet set, std::size_t move);

// The source of that definition, for the build to write.
std::string recorded_scales_source(std::string_view heading);

// One move of a score, scaled by the given family gains, held within [-1, 1]
// and rounded to twelve places like every stored sample. For a stored groove
// and its family's gains this is the stored row, bit for bit.
Table move_table(const Score& score, const MoveSpec& move, const FamilyScale& scale);

}  // namespace pipmoves::authoring::grooves

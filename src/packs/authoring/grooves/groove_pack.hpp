#pragma once

// Building blocks shared by the club and dancefloor packs: families fitted
// over every groove a move is played on, and the gains they are fitted with.

#include <cstddef>
#include <string>
#include <string_view>

#include "../family_fit.hpp"
#include "../pack.hpp"
#include "grooves/move_set.hpp"

namespace pipmoves::authoring::grooves {

// The gains of the move's stored family, solved from its grooves once per
// process and kept: the pack build scales the stored rows by them and writes
// them down. Costly (seconds): players read the written ones instead.
const FamilyScale& solve_stored_scale(MoveSet set, std::size_t move);

// The source of recorded_scale's definition, for the build to write.
std::string recorded_scales_source(std::string_view heading);

// A move played on the grooves of its family, scaled by the gains the family
// is fitted with (the move engine's, solved once). The rule of the member for
// groove g hands out that groove's scaled table.
class MoveFamily {
 public:
  MoveFamily(MoveSet set, std::size_t move);
  Rule rule(std::size_t member) const;

 private:
  MoveSet set_;
  std::size_t move_;
};

}  // namespace pipmoves::authoring::grooves

#pragma once

// Building blocks shared by the club and dancefloor packs: row names and
// descriptions, and families fitted over every groove a move is played on.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "../family_fit.hpp"
#include "../pack.hpp"
#include "moves.hpp"

namespace pipmoves::authoring::grooves {

inline constexpr std::string_view kEmDash = "\u2014";

inline std::string row_name(std::string_view groove, std::string_view move) {
  return "beat_" + std::string(groove) + "_" + std::string(move);
}

// Heading, em dash, label and a full stop, then the text that follows (a
// groove's note or a move's sentence), after one space even when it is empty.
inline std::string row_description(std::string_view heading, std::string_view label, std::string_view text) {
  return std::string(heading) + " " + std::string(kEmDash) + " " + std::string(label) + ". " + std::string(text);
}

// How one groove's raw table is split for the family fit.
using SplitMove = std::function<SplitTable(const Score&)>;

// Everything scaled: the move has no exact part.
SplitMove fitted_whole(Table (*move)(const Score&));

enum class MoveSet : int;  // move_set.hpp

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

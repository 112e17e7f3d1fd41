#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <string>

#include "../core/offset_matchers.hpp"
#include "groove_rows.hpp"
#include "layout_rows.hpp"
#include "pipmoves/pip.hpp"

namespace {

using pipmoves::PackEntry;
using pipmoves::pack_table;
using pipmoves::authoring::grooves::club_grooves;
using pipmoves::authoring::grooves::dancefloor_grooves;
using pipmoves::authoring::grooves::EventClass;
using pipmoves::testing::PeaksAtEvents;
using pipmoves::testing::row_named;
using pipmoves::testing::row_number;

constexpr std::array<const char*, 12> kNewMoves = {"surge",    "recoil",  "flutter", "dive",  "pendulum", "figure8",
                                                   "box",      "corkscrew", "spiral", "slalom", "spring",  "ricochet"};
constexpr std::array<const char*, 4> kClubMoves = {"bounce", "step", "orbit", "glide"};

std::string name_of(std::string_view groove, std::string_view move) {
  return "beat_" + std::string(groove) + "_" + std::string(move);
}

TEST(DancefloorPack, ClubGroovesComeFirstWithTheTwelveNewMoves) {
  const std::size_t first = row_number("beat_four_floor_surge").value();
  EXPECT_EQ(first, row_number("beat_amapiano_glide").value() + 1);
  const auto& grooves = club_grooves();
  for (std::size_t g = 0; g < grooves.size(); ++g) {
    for (std::size_t m = 0; m < kNewMoves.size(); ++m) {
      const PackEntry& row = pack_table()[first + 12 * g + m];
      EXPECT_EQ(row.name, name_of(grooves[g].name, kNewMoves[m]));
      EXPECT_EQ(row.period_pips, grooves[g].period);
      EXPECT_EQ(row.dimensions, 3);
    }
  }
}

TEST(DancefloorPack, OwnGroovesFollowWithAllSixteenMoves) {
  const std::size_t first = row_number("beat_four_floor_surge").value() + 36 * 12;
  const auto& grooves = dancefloor_grooves();
  ASSERT_EQ(grooves.size(), 32u);
  for (std::size_t g = 0; g < grooves.size(); ++g) {
    for (std::size_t m = 0; m < 16; ++m) {
      const char* move = m < 4 ? kClubMoves[m] : kNewMoves[m - 4];
      const PackEntry& row = pack_table()[first + 16 * g + m];
      EXPECT_EQ(row.name, name_of(grooves[g].name, move));
      EXPECT_EQ(row.period_pips, 512);
    }
  }
  EXPECT_EQ(first + 32 * 16, pack_table().size());
}

TEST(DancefloorPack, LastRowAndLongestName) {
  EXPECT_EQ(pack_table().back().name, "beat_dembow_push_ricochet");
  std::size_t longest = 0;
  for (const PackEntry& row : pack_table()) {
    longest = std::max(longest, row.name.size());
  }
  EXPECT_EQ(longest, 32u);
  EXPECT_EQ(row_named("beat_jungle_switchback_corkscrew").name.size(), 32u);
}

TEST(DancefloorPack, MovesBelongToOnePackEach) {
  const std::size_t first = row_number("beat_four_floor_surge").value();
  EXPECT_LT(row_number("beat_four_floor_bounce").value(), first);
  EXPECT_GE(row_number("beat_jersey_five_bounce").value(), first);
  EXPECT_EQ(std::count_if(pack_table().begin(), pack_table().end(),
                          [](const PackEntry& r) { return r.name == "beat_four_floor_surge"; }),
            1);
}

TEST(DancefloorPack, TechnoPolymeterRowsReduceByRemainder) {
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  for (const char* move : kNewMoves) {
    const PackEntry& row = row_named(name_of("techno_polymeter", move));
    EXPECT_EQ(row.period_pips, 768);
    for (std::int32_t pip : {kMin, kMin + 1, -769, -768, -1, 768, kMax}) {
      EXPECT_TRUE(pipmoves::testing::SameOffset(row.sampler(pipmoves::wrap_pip(pip, 768)), row.sampler(pip)))
          << row.name << " pip " << pip;
    }
  }
}

TEST(DancefloorPack, ExtremesOfTheWholeTableLieInRicochetAndDiveRows) {
  double lowest_x = 0, lowest_y = 0, highest_z = 0;
  double ricochet_x = 0, ricochet_y = 0, dive_z = 0;
  for (const PackEntry& row : pack_table()) {
    const bool ricochet = row.name.ends_with("_ricochet") && row.name.starts_with("beat_");
    const bool dive = row.name.ends_with("_dive") && row.name.starts_with("beat_");
    for (int pip = 0; pip < row.period_pips; ++pip) {
      const pipmoves::Offset3 o = row.sampler(pip);
      lowest_x = std::min(lowest_x, o.x);
      lowest_y = std::min(lowest_y, o.y);
      highest_z = std::max(highest_z, o.z);
      if (ricochet) {
        ricochet_x = std::min(ricochet_x, o.x);
        ricochet_y = std::min(ricochet_y, o.y);
      }
      if (dive) {
        dive_z = std::max(dive_z, o.z);
      }
    }
  }
  EXPECT_TRUE(pipmoves::testing::SameDouble(-0.85586587211, ricochet_x));
  EXPECT_TRUE(pipmoves::testing::SameDouble(-0.92, ricochet_y));
  EXPECT_TRUE(pipmoves::testing::SameDouble(0.92, dive_z));
  EXPECT_TRUE(pipmoves::testing::SameDouble(ricochet_x, lowest_x));
  EXPECT_TRUE(pipmoves::testing::SameDouble(ricochet_y, lowest_y));
  EXPECT_TRUE(pipmoves::testing::SameDouble(dive_z, highest_z));
}

TEST(DancefloorPack, BouncePeaksAtKicksAndStepAtSnaresOfTheNewGrooves) {
  for (const auto& groove : dancefloor_grooves()) {
    EXPECT_TRUE(PeaksAtEvents(groove, "bounce", EventClass::kick, 1));
    EXPECT_TRUE(PeaksAtEvents(groove, "step", EventClass::snare, 0));
  }
}

TEST(FullPackTable, RowNumbersAndNameIndex) {
  const auto& dancefloor = pipmoves::testing::layout_pack("dancefloor");
  EXPECT_EQ(pack_table().size(), dancefloor.first_row + dancefloor.rows);
  EXPECT_EQ(row_number("beat_four_floor_surge"), dancefloor.first_row);
  EXPECT_EQ(row_number("beat_jersey_five_bounce"),
            pipmoves::testing::layout_family("dancefloor groove jersey_five").first_row);
  EXPECT_EQ(pack_table()[pack_table().size() - 1].name, "beat_dembow_push_ricochet");
  EXPECT_EQ(pack_table()[pipmoves::pack_name_index().back()].name, "weave_5_9");
}

}  // namespace

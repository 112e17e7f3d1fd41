#include <gtest/gtest.h>

#include <string_view>

#include "pipmoves/catalogue.hpp"
#include "pipmoves/pack_table.hpp"

namespace {

using pipmoves::CatalogueEntry;

struct Want {
  std::string_view name;
  std::string_view description;
  int period;
  int dimensions;
};

constexpr Want kProceduralRows[] = {
    {"bounce", "One-beat vertical bounce", 64, 1},
    {"sway", "Two-beat side-to-side sway", 128, 1},
    {"circle", "One-beat circular orbit", 64, 2},
    {"figure_eight", "Two-beat figure eight", 128, 2},
    {"step_touch", "Two-beat side step with a small lift", 128, 2},
    {"box_step", "Four-beat softened square path", 256, 2},
    {"helix", "Four-beat double-turn helix", 256, 3},
    {"clay_background", "Zedi/Ravad four-beat accented background drift", 256, 2},
    {"single_stroke_roll", "Alternating R/L strokes with smooth attack and decay", 64, 2},
    {"double_stroke_roll", "RRLL strokes with a softer second motion", 64, 2},
    {"multiple_bounce_roll", "Decaying same-hand bounce clusters", 64, 2},
    {"single_paradiddle", "RLRR LRLL with accented lead strokes", 128, 2},
    {"flam", "Grace motion flowing into an opposite-hand primary motion", 64, 2},
    {"drag", "Two grace motions flowing into an opposite-hand primary motion", 64, 2},
    {"five_stroke_roll", "Two diddles resolving to an accented fifth motion", 128, 2},
};

TEST(Catalogue, ListsTheProceduralPatternsFirst) {
  const auto& rows = pipmoves::catalogue();
  ASSERT_GE(rows.size(), std::size(kProceduralRows));
  for (std::size_t i = 0; i < std::size(kProceduralRows); ++i) {
    const Want& want = kProceduralRows[i];
    EXPECT_EQ(want.name, rows[i].name) << "row " << i + 1;
    EXPECT_EQ(want.description, rows[i].description) << "row " << i + 1;
    EXPECT_EQ(want.period, rows[i].period_pips) << "row " << i + 1;
    EXPECT_EQ(want.dimensions, rows[i].dimensions) << "row " << i + 1;
  }
}

TEST(Catalogue, ThenEveryPackRowInTableOrder) {
  const auto& rows = pipmoves::catalogue();
  const auto pack = pipmoves::pack_table();
  ASSERT_EQ(15 + pack.size(), rows.size());
  for (std::size_t i = 0; i < pack.size(); ++i) {
    const CatalogueEntry& have = rows[15 + i];
    EXPECT_EQ(pack[i].name.data(), have.name.data()) << "pack row " << i;
    EXPECT_EQ(pack[i].name.size(), have.name.size()) << "pack row " << i;
    EXPECT_EQ(pack[i].description.data(), have.description.data()) << "pack row " << i;
    EXPECT_EQ(pack[i].period_pips, have.period_pips) << "pack row " << i;
    EXPECT_EQ(pack[i].dimensions, have.dimensions) << "pack row " << i;
  }
  EXPECT_EQ("lfo_breathe", rows[15].name);
}

// The dancefloor pack comes last: the catalogue ends with its last groove.
TEST(Catalogue, EndsWithTheLastDancefloorRow) {
  const auto& rows = pipmoves::catalogue();
  EXPECT_EQ(1731u, rows.size());
  EXPECT_EQ("beat_dembow_push_ricochet", rows.back().name);
}

TEST(Catalogue, EveryCallReturnsTheSameVector) { EXPECT_EQ(&pipmoves::catalogue(), &pipmoves::catalogue()); }

}  // namespace

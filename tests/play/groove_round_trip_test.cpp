// Every stored groove written out as step lanes and read back plays the
// stored rows of its moves, bit for bit: the twelve dancefloor moves of all
// 68 grooves and the four club moves of the dancefloor's own 32 through the
// public call, and the club pack's four moves of its 36 through the engine
// with the club gains.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "grooves/move_set.hpp"
#include "pipmoves/catalogue.hpp"
#include "pipmoves/play/groove.hpp"

namespace pipmoves::play {
namespace {

namespace engine = authoring::grooves;

struct StoredGroove {
  const engine::Groove* groove;
  bool club;  // one of the club pack's 36
};

std::vector<StoredGroove> stored_grooves() {
  std::vector<StoredGroove> out;
  for (const engine::Groove& g : engine::club_grooves()) {
    out.push_back({&g, true});
  }
  for (const engine::Groove& g : engine::dancefloor_grooves()) {
    out.push_back({&g, false});
  }
  return out;
}

bool same_bits(double a, double b) { return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b); }

// The first pip where a table differs from the stored row, as want/have.
std::string first_difference(std::string_view row, const std::vector<Offset3>& have) {
  const DefaultPattern* stored = find_default(row);
  if (stored == nullptr) {
    return "no stored row " + std::string(row);
  }
  if (stored->period_pips != have.size()) {
    return std::string(row) + ": period want " + std::to_string(stored->period_pips) + " have " +
           std::to_string(have.size());
  }
  for (std::size_t pip = 0; pip < have.size(); ++pip) {
    const Offset3 want = stored->sampler(static_cast<int>(pip));
    const Offset3& got = have[pip];
    if (!same_bits(want.x, got.x) || !same_bits(want.y, got.y) || !same_bits(want.z, got.z)) {
      char text[256];
      std::snprintf(text, sizeof text, "%s @%zu: want (%.17g, %.17g, %.17g) have (%.17g, %.17g, %.17g)",
                    std::string(row).c_str(), pip, want.x, want.y, want.z, got.x, got.y, got.z);
      return text;
    }
  }
  return {};
}

class StoredGrooveAsLanes : public ::testing::TestWithParam<StoredGroove> {
 protected:
  const engine::Groove& groove() const { return *GetParam().groove; }
  GrooveScore read_back() const { return read_step_lanes(stored_groove_lanes(groove().name)); }
  std::string row(std::string_view move) const { return "beat_" + std::string(groove().name) + "_" + std::string(move); }
};

TEST_P(StoredGrooveAsLanes, ReadsBackEveryHitOfItsScore) {
  const GrooveScore score = read_back();
  const engine::Score stored = engine::score_of(groove());
  ASSERT_EQ(score.period_pips(), stored.period);
  ASSERT_EQ(score.hits().size(), stored.events.size());
  for (std::size_t i = 0; i < stored.events.size(); ++i) {
    const engine::Event& want = stored.events[i];
    const GrooveHit& have = score.hits()[i];
    const bool same_class =
        std::any_of(engine::kInstruments.begin(), engine::kInstruments.end(),
                    [&](const engine::Instrument& k) { return k.name == have.instrument && k.cls == want.cls; });
    EXPECT_TRUE(same_bits(have.pip, want.t) && same_class && have.velocity == want.velocity && have.side == want.side)
        << "hit " << i << ": want t " << want.t << " class " << engine::class_index(want.cls) << " velocity "
        << want.velocity << " side " << want.side << "; have " << have.pip << " " << have.instrument << " "
        << have.velocity << " " << have.side;
  }
}

TEST_P(StoredGrooveAsLanes, PlaysTheStoredRowsOfItsDancefloorMoves) {
  const PatternLibrary library = groove_patterns(read_back(), "mine", groove().heading);
  const auto moves = engine::moves_of(engine::MoveSet::dancefloor);
  // The club pack keeps the four club moves of its own grooves.
  for (std::size_t m = GetParam().club ? 4 : 0; m < moves.size(); ++m) {
    const std::string name = "mine_" + std::string(moves[m].name);
    std::vector<Offset3> have(find_default(row(moves[m].name)) ? find_default(row(moves[m].name))->period_pips : 0);
    for (std::size_t pip = 0; pip < have.size(); ++pip) {
      have[pip] = library.sample(name, static_cast<int>(pip));
    }
    EXPECT_EQ(first_difference(row(moves[m].name), have), "");
  }
}

TEST_P(StoredGrooveAsLanes, DescribesItsPatternsAsThePackDescribesItsRows) {
  const PatternLibrary library = groove_patterns(read_back(), "mine", groove().heading);
  const auto moves = engine::moves_of(engine::MoveSet::dancefloor);
  for (std::size_t m = GetParam().club ? 4 : 0; m < moves.size(); ++m) {
    const DefaultPattern* stored = find_default(row(moves[m].name));
    ASSERT_NE(stored, nullptr) << row(moves[m].name);
    bool found = false;
    for (const CatalogueEntry& entry : library.catalogue()) {
      if (entry.name == "mine_" + std::string(moves[m].name)) {
        found = true;
        EXPECT_EQ(entry.description, stored->description) << entry.name;
      }
    }
    EXPECT_TRUE(found) << moves[m].name;
  }
}

using ClubGrooveAsLanes = StoredGrooveAsLanes;

TEST_P(ClubGrooveAsLanes, PlaysTheClubRowsThroughTheClubGains) {
  const GrooveScore score = read_back();
  engine::Score played{score.period_pips(), {}};
  for (const GrooveHit& hit : score.hits()) {
    const auto* instrument = std::find_if(engine::kInstruments.begin(), engine::kInstruments.end(),
                                          [&](const engine::Instrument& k) { return k.name == hit.instrument; });
    played.events.push_back({hit.pip, instrument->cls, hit.velocity, hit.side});
  }
  const auto moves = engine::moves_of(engine::MoveSet::club);
  for (std::size_t m = 0; m < moves.size(); ++m) {
    const authoring::Table have = engine::move_table(played, moves[m], engine::recorded_scale(engine::MoveSet::club, m));
    EXPECT_EQ(first_difference(row(moves[m].name), have), "");
  }
}

std::string groove_name(const ::testing::TestParamInfo<StoredGroove>& info) {
  return std::string(info.param.groove->name);
}

std::vector<StoredGroove> club_grooves() {
  std::vector<StoredGroove> out = stored_grooves();
  std::erase_if(out, [](const StoredGroove& g) { return !g.club; });
  return out;
}

INSTANTIATE_TEST_SUITE_P(EveryStoredGroove, StoredGrooveAsLanes, ::testing::ValuesIn(stored_grooves()), groove_name);
INSTANTIATE_TEST_SUITE_P(EveryClubGroove, ClubGrooveAsLanes, ::testing::ValuesIn(club_grooves()), groove_name);

}  // namespace
}  // namespace pipmoves::play

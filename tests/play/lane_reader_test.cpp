// The step lane reader's limits and its messages on text that is not ASCII:
// columns count characters, a character is quoted whole, a stray byte as an
// escape, and every limit is named with the line it was passed on.

#include <gtest/gtest.h>

#include <cctype>
#include <stdexcept>
#include <string>
#include <vector>

#include "pipmoves/play/groove.hpp"

namespace pipmoves::play {
namespace {

std::string repeated(const std::string& line, std::size_t times) {
  std::string out;
  for (std::size_t k = 0; k < times; ++k) {
    out += line;
  }
  return out;
}

struct Refused {
  const char* what;
  std::string text;
  std::string message;
};

class LaneReaderRefuses : public ::testing::TestWithParam<Refused> {};

TEST_P(LaneReaderRefuses, NamingLineLaneAndColumn) {
  try {
    read_step_lanes(GetParam().text);
    ADD_FAILURE() << "read";
  } catch (const std::invalid_argument& error) {
    EXPECT_EQ(std::string(error.what()), GetParam().message);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LaneReaderRefuses,
    ::testing::Values(
        Refused{"a step of two bytes", "kick R.\xc3\xa9.", "Line 1, lane 1 (kick), column 8: unknown step '\xc3\xa9'"},
        Refused{"a step after characters of three bytes", "# \xe2\x80\x94\xe2\x80\x94\nkick R.\xe2\x80\x94 R\xf0\x9f\xa5\x81",
                "Line 2, lane 1 (kick), column 8: unknown step '\xe2\x80\x94'"},
        Refused{"a column after a character of four bytes", "kick [steps \xf0\x9f\xa5\x81] R",
                "Line 1, column 13: steps a beat must be a whole number or a ratio such as 3/4, each part 1 to 64, "
                "not '\xf0\x9f\xa5\x81'"},
        Refused{"a byte that is no character", "kick R.\xff.", "Line 1, lane 1 (kick), column 8: unknown step '\\xff'"},
        Refused{"a character cut short", "kick R.\xe2\x80", "Line 1, lane 1 (kick), column 8: unknown step '\\xe2'"},
        Refused{"an instrument not in ASCII", "k\xc3\xafk R", "Line 1, lane 1, column 1: unknown instrument 'k\xc3\xafk'"},
        Refused{"a long value, cut in the message", "swing " + std::string(100, '9') + "\nkick R",
                "Line 1, column 7: swing must be a number of pips from -256 to 256, not '" + std::string(40, '9') +
                    "...'"},
        Refused{"more lanes than the limit", repeated("kick R...\n", kMaxLanes + 1),
                "Line 65, lane 65, column 1: more lanes than the limit of 64"},
        Refused{"more steps than the limit", "kick " + std::string(kMaxLaneSteps + 5, '.'),
                "Line 1, lane 1 (kick), column 1030: more steps than the limit of 1024"},
        Refused{"more hits than the limit", "bars 1\nsteps 64\nhat R\nhat R",
                "Line 4, lane 2 (hat): the lanes so far make 512 hits, more than the limit of 384"}),
    [](const auto& info) {
      std::string name;
      for (const char c : std::string(info.param.what)) {
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      }
      return name;
    });

TEST(LaneReader, ReadsUpToEachLimit) {
  // Four bars of 1024 steps, then 256 + 128 hits, then lanes up to the limit.
  const std::string rests = "ride [steps 64] " + std::string(kMaxLaneSteps, '.') + "\n";
  const GrooveScore score = read_step_lanes(rests + "hat [steps 16] R\nsnare [steps 8] R\n" +
                                            repeated("kick ....\n", kMaxLanes - 3));
  EXPECT_EQ(score.period_pips(), 1024);
  EXPECT_EQ(score.hits().size(), kMaxGrooveHits);
}

TEST(GrooveScoreLimit, RefusesMoreHitsThanTheLimit) {
  const std::vector<GrooveHit> hits(kMaxGrooveHits + 1, GrooveHit{0.0, "kick", 1.0, 1});
  try {
    GrooveScore(256, hits);
    ADD_FAILURE() << "built";
  } catch (const std::invalid_argument& error) {
    EXPECT_STREQ(error.what(), "A groove holds at most 384 hits, not 385");
  }
  EXPECT_EQ(GrooveScore(256, std::vector<GrooveHit>(hits.begin(), hits.end() - 1)).hits().size(), kMaxGrooveHits);
}

}  // namespace
}  // namespace pipmoves::play

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "core/offset_matchers.hpp"
#include "pipmoves/play/show.hpp"
#include "play_support.hpp"
#include "user/throws_matcher.hpp"

namespace pipmoves::play {
namespace {

using pipmoves::testing::SameOffset;
using pipmoves::testing::ThrowsExactly;

Cue cue(std::int64_t start, const char* name, std::int32_t fade = 0) {
  return Cue{start, PatternRef::named(name), fade};
}

std::array<Offset3, 3> frame(const Show& show, std::int64_t position) {
  std::array<Offset3, 3> out;
  show.frame(position, out);
  return out;
}

TEST(Show, EachCuePlaysFromItsStartToTheNextAndTheFirstAlsoBefore) {
  const Show show({cue(0, "circle"), cue(256, "lfo_breathe"), cue(512, "bounce")}, {.phase_step = 5});
  struct Case {
    std::int64_t position;
    const char* name;
  };
  for (const Case c : {Case{-70, "circle"}, Case{0, "circle"}, Case{255, "circle"}, Case{256, "lfo_breathe"},
                       Case{511, "lfo_breathe"}, Case{512, "bounce"}, Case{(std::int64_t{1} << 33) + 7, "bounce"}}) {
    const auto have = frame(show, c.position);
    const auto want = spread(PatternRef::named(c.name), pip_of_position(c.position), 3, {.phase_step = 5});
    for (std::size_t i = 0; i < have.size(); ++i) {
      EXPECT_TRUE(SameOffset(want.rows()[i], have[i])) << c.name << " at " << c.position << " fixture " << i;
    }
  }
}

TEST(Show, AFadeCrossesFromTheCueBeforeOverItsFirstPips) {
  const Show show({cue(0, "circle"), cue(128, "bounce", 64)}, {}, Easing::linear);
  const CrossFade fade(PatternRef::named("circle"), PatternRef::named("bounce"), 128, 64, Easing::linear);
  for (const std::int64_t position : {127, 128, 150, 191, 192, 300}) {
    const auto have = frame(show, position);
    const auto want = spread(fade, static_cast<std::int32_t>(position), 3, {});
    for (std::size_t i = 0; i < have.size(); ++i) {
      EXPECT_TRUE(SameOffset(want.rows()[i], have[i])) << position << " fixture " << i;
    }
  }
}

TEST(Show, FindsTheCueAtAPosition) {
  const Show show({cue(0, "circle"), cue(64, "bounce"), cue(65, "circle")});
  const std::vector<std::pair<std::int64_t, std::size_t>> cases{{-1, 0}, {0, 0}, {63, 0}, {64, 1}, {65, 2}, {1000, 2}};
  for (const auto& [position, want] : cases) {
    EXPECT_EQ(want, show.cue_at(position)) << position;
  }
}

TEST(Show, RefusesCuesOutOfOrderAndFadesThatOverlap) {
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([] { Show({}); }, "A show needs at least one cue"));
  const char* order = "Cues must start at increasing positions from 0 on";
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([] { Show({cue(-1, "circle")}); }, order));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([] { Show({cue(0, "circle"), cue(0, "bounce")}); }, order));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([] { Show({cue(9, "circle"), cue(3, "bounce")}); }, order));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([] { Show({cue(0, "circle", -1)}); },
                                                   "Fade length must not be negative"));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>(
      [] { Show({cue(0, "circle"), cue(64, "bounce", 65), cue(128, "circle")}); },
      "A cue's fade must end by the next cue"));
  EXPECT_NO_THROW(Show({cue(0, "circle"), cue(64, "bounce", 64), cue(128, "circle")}));
}

}  // namespace
}  // namespace pipmoves::play

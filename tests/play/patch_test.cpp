#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "pipmoves/play/patch.hpp"
#include "pipmoves/play/patch_player.hpp"
#include "rig_support.hpp"
#include "user/throws_matcher.hpp"

namespace pipmoves::play {
namespace {

using pipmoves::testing::ThrowsExactly;

// A head of 540 degrees of pan and 270 of tilt, 16-bit, after one held channel
// and followed by an unused one: held 77, pan, pan fine, tilt, tilt fine, 0.
std::string head(const std::string& name, int universe, int address, const std::string& calibration = "") {
  return R"({"name": ")" + name + R"(", "universe": )" + std::to_string(universe) + R"(, "address": )" +
         std::to_string(address) +
         R"(, "layout": {"channels": [77, "pan", "pan_fine", "tilt", "tilt_fine", 0], "pan_range": 540, "tilt_range": 270})" +
         (calibration.empty() ? "" : ", " + calibration) + "}";
}

Patch one_head(const std::string& calibration) {
  return Patch::from_json(R"({"fixtures": [)" + head("h", 1, 1, calibration) + "]}");
}

struct Dmx16 {
  int pan;
  int tilt;
  friend bool operator==(const Dmx16&, const Dmx16&) = default;
};

std::ostream& operator<<(std::ostream& out, const Dmx16& d) { return out << "{pan " << d.pan << ", tilt " << d.tilt << "}"; }

// The 16-bit pan and tilt a frame sends to the head at address 1 of universe 1.
Dmx16 sent(const Rows<DmxUniverse>& frame, int address = 1) {
  const auto& s = frame.rows()[0].slots;
  const auto at = static_cast<std::size_t>(address - 1);
  return {s[at + 1] << 8 | s[at + 2], s[at + 3] << 8 | s[at + 4]};
}

Dmx16 first_frame(const Patch& patch, Offset3 position) {
  PatchPlayer player(patch);
  const Offset3 positions[] = {position};
  return sent(player.frame(positions, 1.0 / 44.0));
}

TEST(Patch, PositionsBecomeDegreesAroundHomeAndSixteenBitValues) {
  // Degrees over 540 (or 270) times 65535, halves up: 360 deg of pan is
  // 43690, 135 deg of tilt 32767.5, so 32768.
  struct Case {
    const char* calibration;
    Offset3 position;
    Dmx16 want;
  };
  const std::string aim = R"("home_pan": 270, "home_tilt": 135, "reach_pan": 90, "reach_tilt": 45)";
  const Case cases[] = {
      {"", {0.0, 0.0, 0.0}, {32768, 32768}},
      {"", {1.0, 0.0, 0.9}, {43690, 32768}},               // z plays no part
      {"", {-1.0, 1.0, 0.0}, {21845, 43690}},
      {R"("invert_pan": true)", {1.0, 0.0, 0.0}, {21845, 32768}},
      {R"("invert_tilt": true)", {0.0, 1.0, 0.0}, {32768, 21845}},
      {R"("mounting": "hung")", {0.0, 1.0, 0.0}, {32768, 21845}},
      {R"("mounting": "hung", "invert_tilt": true)", {0.0, 1.0, 0.0}, {32768, 43690}},
      {R"("swap_pan_tilt": true)", {1.0, 0.0, 0.0}, {32768, 43690}},  // x tilts
      {R"("swap_pan_tilt": true)", {0.0, -1.0, 0.0}, {21845, 32768}},  // y pans
      // The swap comes before the inversion: x, now tilting, is inverted as tilt.
      {R"("swap_pan_tilt": true, "invert_tilt": true)", {1.0, 0.0, 0.0}, {32768, 21845}},
      {R"("pan_limits": [200, 300])", {1.0, 0.0, 0.0}, {36408, 32768}},  // clamped at 300: 36408.33
      {R"("pan_limits": [200, 300])", {-1.0, 0.0, 0.0}, {24272, 32768}},  // and at 200: 24272.2
      {R"("tilt_limits": [100, 150])", {0.0, 1.0, 0.0}, {32768, 36408}},
      {R"("tilt_limits": [100, 150])", {0.0, -1.0, 0.0}, {32768, 24272}},
      // Beyond either end of the range: held at the end, never wrapped.
      {"", {4.0, -4.0, 0.0}, {65535, 0}},
      {"", {-4.0, 4.0, 0.0}, {0, 65535}},
  };
  for (const Case& c : cases) {
    const std::string calibration = aim + (std::string(c.calibration).empty() ? "" : ", " + std::string(c.calibration));
    EXPECT_EQ(c.want, first_frame(one_head(calibration), c.position)) << c.calibration;
  }
}

TEST(Patch, DefaultsAimAtTheMiddleAndReachHalfOfEachRange) {
  const Patch patch = one_head("");
  const Calibration& c = patch.fixtures()[0].calibration;
  EXPECT_EQ(270.0, c.home_pan);
  EXPECT_EQ(135.0, c.home_tilt);
  EXPECT_EQ(270.0, c.reach_pan);
  EXPECT_EQ(135.0, c.reach_tilt);
  EXPECT_FALSE(c.max_speed.has_value());
  EXPECT_EQ(Mounting::standing, c.mounting);
  EXPECT_EQ(Dmx16({65535, 0}), first_frame(patch, {1.0, -1.0, 0.0}));
}

TEST(Patch, EightBitChannelsRoundHalvesUp) {
  // Over a range of 2 degrees, 1 degree is half of 255: 127.5, sent as 128.
  const Patch patch = Patch::from_json(R"({"fixtures": [{"name": "h", "universe": 1, "address": 10,
      "layout": {"channels": ["tilt", "pan"], "pan_range": 2, "tilt_range": 510},
      "home_pan": 1, "home_tilt": 255, "reach_pan": 1, "reach_tilt": 255}]})");
  PatchPlayer player(patch);
  struct Case {
    Offset3 position;
    int pan;
    int tilt;
  };
  for (const Case& c : {Case{{0.0, 0.0, 0.0}, 128, 128}, Case{{1.0, 1.0, 0.0}, 255, 255},
                        Case{{-1.0, -1.0, 0.0}, 0, 0}, Case{{0.5, -0.5, 0.0}, 191, 64}}) {
    const Offset3 positions[] = {c.position};
    const Rows<DmxUniverse> frame = player.frame(positions, 0.0);
    EXPECT_EQ(c.tilt, frame.rows()[0].slots[9]) << c.position.y;
    EXPECT_EQ(c.pan, frame.rows()[0].slots[10]) << c.position.x;
  }
}

TEST(Patch, ASpeedLimitSlewsOutFromHomeAndLandsWithoutOvershoot) {
  // 100 degrees a second at ten frames a second: 10 degrees a frame, towards
  // an aim of 365 degrees of pan from a home of 270.
  const Patch patch = one_head(R"("home_pan": 270, "reach_pan": 95, "max_speed": 100)");
  PatchPlayer player(patch);
  const Offset3 right[] = {{1.0, 0.0, 0.0}};
  std::vector<double> have;
  for (int frame = 0; frame < 12; ++frame) {
    player.frame(right, 0.1);
    have.push_back(player.angles()[0].pan);
  }
  std::vector<double> want;
  for (int frame = 1; frame <= 9; ++frame) {
    want.push_back(270.0 + 10.0 * frame);
  }
  want.insert(want.end(), {365.0, 365.0, 365.0});
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_NEAR(want[i], have[i], 1e-9) << "frame " << i;
  }
  EXPECT_EQ(365.0, have.back());  // exactly on the aim, never past it
  EXPECT_EQ(135.0, player.angles()[0].tilt);

  player.reset();
  EXPECT_EQ(270.0, player.angles()[0].pan);
  player.frame(right, 0.0);  // no time, no movement
  EXPECT_EQ(270.0, player.angles()[0].pan);
}

TEST(Patch, SlewIsPerAxisAndTheSameForTheSameFrames) {
  const Patch patch = one_head(R"("max_speed": 300)");
  PatchPlayer a(patch);
  PatchPlayer b(patch);
  const Offset3 corner[] = {{-1.0, 1.0, 0.0}};
  for (int frame = 0; frame < 5; ++frame) {
    const Rows<DmxUniverse> from_a = a.frame(corner, 1.0 / 44.0);
    const Rows<DmxUniverse> from_b = b.frame(corner, 1.0 / 44.0);
    EXPECT_EQ(from_a.rows()[0].slots, from_b.rows()[0].slots);
    EXPECT_NEAR(270.0 - 300.0 * (frame + 1) / 44.0, a.angles()[0].pan, 1e-9);
    EXPECT_NEAR(135.0 + 300.0 * (frame + 1) / 44.0, a.angles()[0].tilt, 1e-9);
  }
}

TEST(Patch, TheSlewStartsFromWhereTheLimitsHeldTheHead) {
  // Aimed far past the limit, the head waits at the limit and comes back from there at once.
  const Patch patch = one_head(R"("home_pan": 270, "reach_pan": 270, "pan_limits": [260, 280], "max_speed": 100)");
  PatchPlayer player(patch);
  const Offset3 right[] = {{1.0, 0.0, 0.0}};
  const Offset3 left[] = {{-1.0, 0.0, 0.0}};
  for (int frame = 0; frame < 20; ++frame) {
    player.frame(right, 0.1);
  }
  EXPECT_EQ(280.0, player.angles()[0].pan);
  player.frame(left, 0.1);
  EXPECT_EQ(270.0, player.angles()[0].pan);
}

TEST(Patch, EverySlotOfEveryUniverseInUniverseOrder) {
  const Patch patch = Patch::from_json(R"({"fixtures": [)" + head("b", 7, 500) + ", " + head("a", 2, 1) + ", " +
                                       head("c", 7, 1, R"("invert_pan": true)") + "]}");
  EXPECT_EQ((std::vector<int>{2, 7}), patch.universes());
  PatchPlayer player(patch);
  const Offset3 positions[] = {{1.0, 0.0, 0.0}, {1.0, 0.0, 0.0}, {1.0, 0.0, 0.0}};
  std::vector<std::uint8_t> out(player.frame_bytes(), 0xEE);
  player.frame(positions, 0.0, out);
  ASSERT_EQ(2u * 512u, out.size());
  const auto universe = [&out](std::size_t k) { return std::span<const std::uint8_t>(out).subspan(512 * k, 512); };
  const std::vector<std::uint8_t> pan_right = {77, 255, 255, 128, 0, 0};
  const std::vector<std::uint8_t> pan_left = {77, 0, 0, 128, 0, 0};
  for (std::size_t slot = 0; slot < 512; ++slot) {
    const std::uint8_t on_2 = slot < 6 ? pan_right[slot] : 0;
    const std::uint8_t on_7 = slot < 6 ? pan_left[slot] : slot >= 499 && slot < 505 ? pan_right[slot - 499] : 0;
    ASSERT_EQ(on_2, universe(0)[slot]) << "universe 2 slot " << slot + 1;
    ASSERT_EQ(on_7, universe(1)[slot]) << "universe 7 slot " << slot + 1;
  }
  const Rows<DmxUniverse> own = player.frame(positions, 0.0);
  ASSERT_EQ(2u, own.size());
  EXPECT_TRUE(std::equal(out.begin(), out.end(), own.rows()[0].slots.begin()));
}

TEST(Patch, StatelessAnglesAreTheAimWithinTheLimits) {
  const Patch patch = Patch::from_json(R"({"fixtures": [)" + head("a", 1, 1, R"("pan_limits": [100, 400])") + ", " +
                                       head("b", 1, 7, R"("mounting": "hung", "max_speed": 1)") + "]}");
  const Offset3 positions[] = {{0.9, -0.25, 0.0}, {0.5, 0.5, 0.0}};
  const Rows<PanTilt> angles = patch.angles(positions);
  EXPECT_EQ(400.0, angles.rows()[0].pan);
  EXPECT_EQ(135.0 - 0.25 * 135.0, angles.rows()[0].tilt);
  EXPECT_EQ(270.0 + 0.5 * 270.0, angles.rows()[1].pan);  // no slew here, whatever max_speed says
  EXPECT_EQ(135.0 - 0.5 * 135.0, angles.rows()[1].tilt);
}

TEST(Patch, AFrameRefusedChangesNothing) {
  const Patch patch = one_head(R"("max_speed": 100)");
  PatchPlayer player(patch);
  const Offset3 right[] = {{1.0, 0.0, 0.0}};
  player.frame(right, 0.1);
  const PanTilt before = player.angles()[0];
  const Offset3 two[] = {{1.0, 0.0, 0.0}, {1.0, 0.0, 0.0}};
  const Offset3 nan[] = {{std::nan(""), 0.0, 0.0}};
  std::vector<std::uint8_t> short_out(511);
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { player.frame(two, 0.1); },
                                                   "Positions must be one per fixture: the patch has 1"));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { player.frame(nan, 0.1); }, "Positions must be finite"));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { player.frame(right, -0.1); },
                                                   "Frame interval must be finite and not negative"));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>(
      [&] { player.frame(right, std::numeric_limits<double>::infinity()); },
      "Frame interval must be finite and not negative"));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { player.frame(right, 0.1, short_out); },
                                                   "Output must hold 512 bytes for each of the patch's 1 universes"));
  EXPECT_EQ(before.pan, player.angles()[0].pan);
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { patch.angles(two); },
                                                   "Positions must be one per fixture: the patch has 1"));
}

TEST(Patch, BuiltFromFixturesChecksThemAsAFileIs) {
  const Patch file = one_head("");
  PatchedFixture fixture = file.fixtures()[0];
  const Patch built({fixture});
  EXPECT_FALSE(built.path().has_value());
  fixture.calibration.tilt_limits = {10.0, 280.0};
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>(
      [&] { Patch({fixture}); }, "fixture 'h': tilt_limits [10, 280] lie outside its tilt range [0, 270]"));
  fixture.calibration.tilt_limits = {10.0, 20.0};
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { Patch({fixture}); },
                                                   "fixture 'h': home_tilt 135 lies outside tilt_limits [10, 20]"));
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([] { Patch(std::vector<PatchedFixture>{}); },
                                                   "a patch needs at least one fixture"));
}

}  // namespace
}  // namespace pipmoves::play

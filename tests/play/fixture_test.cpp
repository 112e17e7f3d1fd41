#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <vector>

#include "pipmoves/play/fixture.hpp"
#include "user/throws_matcher.hpp"

namespace pipmoves::play {
namespace {

using pipmoves::testing::ThrowsExactly;

struct Want {
  double x;
  double y;
  double pan;
  double tilt;
  std::uint16_t pan_dmx;
  std::uint16_t tilt_dmx;
};

void expect_maps(const FixtureMap& fixture, const std::vector<Want>& table) {
  for (const Want& want : table) {
    const Offset3 position{want.x, want.y, 0.75};
    const PanTilt a = fixture.angles(position);
    const DmxPanTilt d = fixture.dmx(position);
    EXPECT_EQ(a.pan, want.pan) << "x " << want.x;
    EXPECT_EQ(a.tilt, want.tilt) << "y " << want.y;
    EXPECT_EQ(d.pan(), want.pan_dmx) << "x " << want.x;
    EXPECT_EQ(d.tilt(), want.tilt_dmx) << "y " << want.y;
  }
}

TEST(FixtureMap, FullSizeReachesBothEndsAndCentresOnHome) {
  expect_maps(FixtureMap({.pan_range_degrees = 540.0, .tilt_range_degrees = 270.0}),
              {{-1.0, -1.0, 0.0, 0.0, 0, 0},
               {1.0, 1.0, 540.0, 270.0, 65535, 65535},
               {0.0, -0.0, 270.0, 135.0, 32768, 32768},
               {0.5, -0.5, 405.0, 67.5, 49151, 16384}});
}

TEST(FixtureMap, CoarseAndFineBytesSplitTheValue) {
  const FixtureMap fixture({.pan_range_degrees = 540.0, .tilt_range_degrees = 270.0});
  const DmxPanTilt centre = fixture.dmx({0.0, 1.0, 0.0});
  EXPECT_EQ(centre.pan_coarse, 0x80);
  EXPECT_EQ(centre.pan_fine, 0x00);
  EXPECT_EQ(centre.tilt_coarse, 0xFF);
  EXPECT_EQ(centre.tilt_fine, 0xFF);
  const DmxPanTilt quarter = fixture.dmx({0.5, -0.5, 0.0});
  EXPECT_EQ(quarter.pan_coarse, 0xBF);
  EXPECT_EQ(quarter.pan_fine, 0xFF);
  EXPECT_EQ(quarter.tilt_coarse, 0x40);
  EXPECT_EQ(quarter.tilt_fine, 0x00);
}

TEST(FixtureMap, SizeHomeAndInversionShapeTheTravelAndTheEndsClamp) {
  // Half of the range about a home off centre: x = 1 would pass the end.
  expect_maps(FixtureMap({.pan_range_degrees = 360.0, .tilt_range_degrees = 180.0, .home_pan_degrees = 300.0,
                          .home_tilt_degrees = 0.0, .size = 0.5, .invert_tilt = true}),
              {{-1.0, -1.0, 210.0, 45.0, 38229, 16384},
               {1.0, 1.0, 360.0, 0.0, 65535, 0},
               {0.0, 0.0, 300.0, 0.0, 54613, 0},
               {3.0, -9.0, 360.0, 180.0, 65535, 65535}});
  expect_maps(FixtureMap({.pan_range_degrees = 540.0, .tilt_range_degrees = 270.0, .size = 0.0, .invert_pan = true}),
              {{-1.0, 1.0, 270.0, 135.0, 32768, 32768}});
  expect_maps(FixtureMap({.pan_range_degrees = 540.0, .tilt_range_degrees = 270.0, .invert_pan = true}),
              {{-1.0, 0.0, 540.0, 135.0, 65535, 32768}, {1.0, 0.0, 0.0, 135.0, 0, 32768}});
}

TEST(FixtureMap, MapsRowsOfPositions) {
  const FixtureMap fixture({.pan_range_degrees = 540.0, .tilt_range_degrees = 270.0});
  const std::vector<Offset3> positions = {{-1.0, 1.0, 0.0}, {0.25, -0.75, 0.0}, {0.0, 0.0, 1.0}};
  std::vector<PanTilt> angles(3);
  std::vector<DmxPanTilt> dmx(3);
  fixture.angles(positions, angles);
  fixture.dmx(positions, dmx);
  for (std::size_t i = 0; i < positions.size(); ++i) {
    EXPECT_EQ(angles[i].pan, fixture.angles(positions[i]).pan);
    EXPECT_EQ(angles[i].tilt, fixture.angles(positions[i]).tilt);
    EXPECT_EQ(dmx[i].pan(), fixture.dmx(positions[i]).pan());
    EXPECT_EQ(dmx[i].tilt(), fixture.dmx(positions[i]).tilt());
  }
  std::vector<PanTilt> short_by_one(2);
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { fixture.angles(positions, short_by_one); },
                                                   "Output rows must match the positions"));
}

TEST(FixtureMap, RefusesBadProfilesAndPositions) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (const double range : {0.0, -540.0, nan, inf}) {
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { FixtureMap({.pan_range_degrees = range}); },
                                                     "Pan and tilt ranges must be finite and positive"));
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { FixtureMap({.tilt_range_degrees = range}); },
                                                     "Pan and tilt ranges must be finite and positive"));
  }
  for (const double home : {-0.5, 540.5, nan}) {
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { FixtureMap({.home_pan_degrees = home}); },
                                                     "Home must be finite and within the fixture's range"));
  }
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([] { FixtureMap({.home_tilt_degrees = 270.5}); },
                                                   "Home must be finite and within the fixture's range"));
  EXPECT_NO_THROW(FixtureMap({.home_pan_degrees = 0.0, .home_tilt_degrees = 270.0}));
  for (const double size : {-0.1, 1.0000001, nan}) {
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { FixtureMap({.size = size}); },
                                                     "Size must be finite and within [0, 1]"));
  }
  const FixtureMap fixture({});
  for (const Offset3& bad : {Offset3{nan, 0.0, 0.0}, Offset3{0.0, inf, 0.0}}) {
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { fixture.dmx(bad); }, "Positions must be finite"));
  }
  EXPECT_NO_THROW(fixture.dmx({0.0, 0.0, nan}));
}

}  // namespace
}  // namespace pipmoves::play

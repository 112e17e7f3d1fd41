#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "pipmoves/play/ofl_fixture.hpp"
#include "rig_support.hpp"
#include "user/throws_matcher.hpp"

namespace pipmoves::play {
namespace {

namespace fs = std::filesystem;
using testing::ofl_file;
using testing::slot_named;
using pipmoves::testing::ThrowsExactly;

// The published definitions the mapping cannot drive, and why: their pan or
// tilt angles are given as a share of the travel, not in degrees.
const std::map<std::string, std::string> kRefused = {
    {"elation/acl-360-roller.json", "its Tilt channel 'Tilt' gives its angle as \"0%\", not in degrees"},
    {"futurelight/sc-250-scanner.json", "its Pan channel 'Pan' gives its angle as \"0%\", not in degrees"},
    {"lightmaxx/dj-scan-led.json", "its Pan channel 'Pan' gives its angle as \"0%\", not in degrees"},
    {"qtx/lux-ld30w.json", "its Pan channel 'Pan' gives its angle as \"0%\", not in degrees"},
    {"velleman/aeron-250-ii.json", "its Pan channel 'Pan' gives its angle as \"0%\", not in degrees"},
};

constexpr std::size_t kFiles = 120;
constexpr std::size_t kFilesRead = 115;
constexpr std::size_t kModesRead = 277;
// Of the files that read, the modes that cannot be driven, by their reason:
// colour-only modes of moving heads.
const std::map<std::string, std::size_t> kModesRefused = {{"it has no Pan channel", 12}};

std::vector<std::string> every_file() {
  std::vector<std::string> files;
  for (const fs::directory_entry& maker : fs::directory_iterator(testing::ofl_dir())) {
    if (!maker.is_directory() || maker.path().filename() == "schemas") {
      continue;
    }
    for (const fs::directory_entry& file : fs::directory_iterator(maker.path())) {
      files.push_back(fs::relative(file.path(), testing::ofl_dir()).generic_string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

class EveryOflFile : public ::testing::TestWithParam<std::string> {};

TEST_P(EveryOflFile, ReadsOrIsRefusedForItsStatedReason) {
  const fs::path file = ofl_file(GetParam());
  const auto refused = kRefused.find(GetParam());
  if (refused != kRefused.end()) {
    try {
      OflFixture{file};
      ADD_FAILURE() << GetParam() << " read, but should be refused: " << refused->second;
    } catch (const std::invalid_argument& error) {
      const std::string message = error.what();
      EXPECT_TRUE(message.starts_with(file.string() + ": no mode can be driven: mode '")) << message;
      EXPECT_NE(message.find(refused->second), std::string::npos) << "want " << refused->second << "\nhave " << message;
    }
    return;
  }
  const OflFixture fixture(file);
  for (const OflMode& mode : fixture.modes()) {
    if (!mode.layout) {
      // A mode that cannot be driven says why when it is asked for.
      EXPECT_FALSE(mode.refusal.empty()) << mode.name;
      try {
        fixture.layout(mode.name);
        ADD_FAILURE() << mode.name << " gave a layout";
      } catch (const std::invalid_argument& error) {
        EXPECT_EQ(file.string() + ": mode '" + mode.name + "': " + mode.refusal, error.what());
      }
      continue;
    }
    const ChannelLayout& layout = *mode.layout;
    EXPECT_EQ(&layout, &fixture.layout(mode.name));
    EXPECT_EQ(&layout, &fixture.layout(mode.short_name));
    EXPECT_EQ(file.string() + ", mode " + mode.name, layout.source());
    EXPECT_GT(layout.pan_range_degrees(), 0.0);
    EXPECT_GT(layout.tilt_range_degrees(), 0.0);
    EXPECT_FALSE(layout.pan().empty());
    EXPECT_FALSE(layout.tilt().empty());
    for (const AxisChannel& head : layout.pan()) {
      EXPECT_TRUE(head.offsets.size() == 1 || head.offsets.size() == 2 || head.offsets.size() == 3) << mode.name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Ofl, EveryOflFile, ::testing::ValuesIn(every_file()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                           std::string name = info.param;
                           std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(c); }, '_');
                           return name;
                         });

TEST(OflFolder, HowManyFilesAndModesReadAndAreRefused) {
  std::size_t files = 0;
  std::size_t files_read = 0;
  std::size_t modes_read = 0;
  std::map<std::string, std::size_t> modes_refused;
  for (const std::string& name : every_file()) {
    ++files;
    try {
      const OflFixture fixture(ofl_file(name));
      ++files_read;
      for (const OflMode& mode : fixture.modes()) {
        if (mode.layout) {
          ++modes_read;
        } else {
          ++modes_refused[mode.refusal];
        }
      }
    } catch (const std::invalid_argument&) {
      EXPECT_TRUE(kRefused.contains(name)) << name;
    }
  }
  EXPECT_EQ(kFiles, files);
  EXPECT_EQ(kFilesRead, files_read);
  EXPECT_EQ(kFiles - kFilesRead, kRefused.size());
  EXPECT_EQ(kModesRead, modes_read);
  EXPECT_EQ(kModesRefused, modes_refused);
}

// One mode's layout of a published definition.
struct Published {
  explicit Published(const char* file, const char* mode) : fixture(ofl_file(file)), layout(fixture.layout(mode)) {}
  OflFixture fixture;
  const ChannelLayout& layout;
};

TEST(OflFixture, EveryOtherChannelHoldsItsDefaultUnlessThatIsMaintenance) {
  const Published standard("coemar/prospot-250-lx.json", "Standard");
  // Its default of 255 is "Lamp on", held for six seconds; sent, it would also reset motors.
  EXPECT_EQ(SlotRole::maintenance, slot_named(standard.layout, "Lamp on / Motor reset").role);
  EXPECT_EQ(0, slot_named(standard.layout, "Lamp on / Motor reset").value);
  const Published emulation("coemar/prospot-250-lx.json", "ProSpot emulation");
  EXPECT_EQ(SlotRole::held, slot_named(emulation.layout, "Shutter / Strobe (Emulation mode)").role);
  EXPECT_EQ(255, slot_named(emulation.layout, "Shutter / Strobe (Emulation mode)").value);
  EXPECT_EQ(SlotRole::unused, emulation.layout.slots()[7].role);  // a null in its channel list
  EXPECT_EQ(0, emulation.layout.slots()[7].value);
}

TEST(OflFixture, DefaultsComeInTheResolutionTheModeGivesTheChannel) {
  struct Case {
    const char* file;
    const char* mode;
    const char* slot;
    std::uint8_t want;
  };
  const Case cases[] = {
      // 100% of a 16-bit red: every byte at its top, in either mode.
      {"starway/servo-color-4k.json", "15-channel 8bit", "Red", 255},
      {"starway/servo-color-4k.json", "20-channel 16bit", "Red", 255},
      {"starway/servo-color-4k.json", "20-channel 16bit", "Red fine", 255},
      // 50% of 65535 rounds up to 32768: 128 and 0, or 128 alone.
      {"ayrton/diablo-s.json", "Standard", "Blade System Rotation", 128},
      {"ayrton/diablo-s.json", "Extended", "Blade System Rotation", 128},
      {"ayrton/diablo-s.json", "Extended", "Blade System Rotation fine", 0},
      // A switching channel is the channel its switch selects at the switch's
      // default (101 selects "FX fade time", whose default is 128).
      {"martin/mac-viper-airfx.json", "Extended", "Quadray control", 101},
      {"martin/mac-viper-airfx.json", "Extended", "Quadray 1", 128},
  };
  for (const Case& c : cases) {
    const Published published(c.file, c.mode);
    EXPECT_EQ(c.want, slot_named(published.layout, c.slot).value) << c.file << " " << c.mode << " " << c.slot;
  }
}

TEST(OflFixture, TemplateChannelsRepeatInTheOrderTheInsertAsks) {
  const std::string insert = R"j({"insert": "matrixChannels", "repeatFor": ORDER, "channelOrder": "SHAPE", "templateChannels": TEMPLATES})j";
  const auto block = [&insert](const char* order, const char* shape, const char* templates) {
    std::string text = insert;
    text.replace(text.find("ORDER"), 5, order);
    text.replace(text.find("SHAPE"), 5, shape);
    text.replace(text.find("TEMPLATES"), 9, templates);
    return text;
  };
  const std::string axes = R"j("availableChannels": {
      "Pan": {"capability": {"type": "Pan", "angleStart": "0deg", "angleEnd": "540deg"}},
      "Tilt": {"capability": {"type": "Tilt", "angleStart": "0deg", "angleEnd": "270deg"}}},
    "templateChannels": {
      "Red $pixelKey": {"capability": {"type": "ColorIntensity", "color": "Red"}},
      "Blue $pixelKey": {"defaultValue": 9, "capability": {"type": "ColorIntensity", "color": "Blue"}}})j";
  const fs::path grid = testing::written("maker/grid.json", R"j({"name": "Grid",
      "matrix": {"pixelCount": [2, 2, 1], "pixelGroups": {"Top": {"y": ["=1"]}, "All": "all"}},
      "modes": [
        {"name": "XYZ", "channels": ["Pan", "Tilt", )j" + block(R"j("eachPixelXYZ")j", "perPixel", R"j(["Red $pixelKey", null])j") + R"j(]},
        {"name": "YXZ", "channels": ["Pan", "Tilt", )j" + block(R"j("eachPixelYXZ")j", "perChannel", R"j(["Red $pixelKey", "Blue $pixelKey"])j") + R"j(]},
        {"name": "Groups", "channels": ["Pan", "Tilt", )j" + block(R"j("eachPixelGroup")j", "perPixel", R"j(["Blue $pixelKey"])j") + R"j(]},
        {"name": "Direct", "channels": ["Pan", "Tilt", "Red (2, 1)", "Blue Top"]}],)j" + axes + "}");
  const fs::path ring = testing::written("maker/ring.json", R"j({"name": "Ring", "matrix": {"pixelKeys": [[["10", "2", "1"]]]},
      "modes": [{"name": "ABC", "channels": ["Pan", "Tilt", )j" + block(R"j("eachPixelABC")j", "perPixel", R"j(["Red $pixelKey"])j") +
                                                 R"j(]}],)j" + axes + "}");
  struct Case {
    const fs::path& file;
    const char* mode;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      // X runs fastest: a grid read like a page.
      {grid, "XYZ", {"Pan", "Tilt", "Red (1, 1)", "", "Red (2, 1)", "", "Red (1, 2)", "", "Red (2, 2)", ""}},
      {grid, "YXZ", {"Pan", "Tilt", "Red (1, 1)", "Red (1, 2)", "Red (2, 1)", "Red (2, 2)", "Blue (1, 1)", "Blue (1, 2)",
                     "Blue (2, 1)", "Blue (2, 2)"}},
      {grid, "Groups", {"Pan", "Tilt", "Blue Top", "Blue All"}},
      {grid, "Direct", {"Pan", "Tilt", "Red (2, 1)", "Blue Top"}},
      {ring, "ABC", {"Pan", "Tilt", "Red 1", "Red 2", "Red 10"}},  // numbers by their value
  };
  for (const Case& c : cases) {
    const OflFixture fixture(c.file);
    std::vector<std::string> names;
    for (const ChannelSlot& slot : fixture.layout(c.mode).slots()) {
      names.push_back(slot.name);
    }
    EXPECT_EQ(c.names, names) << c.mode;
  }
  EXPECT_EQ(9, slot_named(OflFixture(grid).layout("Direct"), "Blue Top").value);
}

TEST(OflFixture, ThePanTiltSpeedChannelIsHeldAtItsFastest) {
  struct Case {
    const char* file;
    const char* mode;
    const char* slot;
    std::uint8_t want;
  };
  const Case cases[] = {
      {"coemar/prospot-250-lx.json", "Standard", "Pan / Tilt Speed", 0},  // "200%" is no faster than "fast"
      {"audibax/boston-60.json", "9-channel", "Pan/Tilt Speed", 255},     // slow to fast
      {"dts/xr4-spot.json", "13-channel", "Movement Speed", 11},          // 0 to 10 is no speed
      {"cameo/hydrabeam-400-rgbw.json", "32-channel", "Head Speed 2", 11},  // 0 to 10 is maintenance
      {"clay-paky/sharpy.json", "Vector", "Pan/Tilt Time", 0},            // a move time of 0 s
      {"jb-lighting/jbled-a7.json", "Standard 16bit", "Pan/Tilt Speed", 0},  // "instant" before "fast"
      {"robe/robin-viva-cmy.json", "Standard 16 bit", "Pan/Tilt Speed", 1},  // "fast" before 0.2 s
  };
  for (const Case& c : cases) {
    const Published published(c.file, c.mode);
    const ChannelSlot& slot = slot_named(published.layout, c.slot);
    EXPECT_EQ(SlotRole::speed, slot.role) << c.file;
    EXPECT_EQ(c.want, slot.value) << c.file;
  }
  // A channel of many functions, one of them a pan/tilt stop, is no speed channel.
  const Published functions("afx/lmh460z.json", "Default");
  EXPECT_EQ(SlotRole::held, slot_named(functions.layout, "Functions").role);
  EXPECT_EQ(SlotRole::speed, slot_named(functions.layout, "Pan/Tilt Speed").role);
}

TEST(OflFixture, FineChannelsMakeSixteenAndTwentyFourBitAxesInTheModesOrder) {
  struct Case {
    const char* mode;
    std::vector<std::uint16_t> pan;
    std::vector<std::uint16_t> tilt;
  };
  const Case cases[] = {
      {"8 bit", {0}, {1}},
      {"16 bit", {0, 1}, {2, 3}},
      {"16 bit (alternate)", {0, 2}, {1, 3}},
      {"24 bit", {0, 1, 2}, {3, 4, 5}},
      {"24 bit (alternate)", {0, 2, 4}, {1, 3, 5}},
  };
  for (const Case& c : cases) {
    const Published published("generic/pan-tilt.json", c.mode);
    ASSERT_EQ(1u, published.layout.pan().size()) << c.mode;
    EXPECT_EQ(c.pan, published.layout.pan()[0].offsets) << c.mode;
    EXPECT_EQ(c.tilt, published.layout.tilt()[0].offsets) << c.mode;
    EXPECT_EQ(540.0, published.layout.pan_range_degrees());
    EXPECT_EQ(180.0, published.layout.tilt_range_degrees());
  }
}

TEST(OflFixture, TemplateChannelsRepeatForEveryHeadOfAFixtureOfSeveral) {
  struct Case {
    const char* file;
    const char* mode;
    std::size_t heads;
    std::size_t bytes;
    std::size_t footprint;
  };
  const Case cases[] = {
      {"cameo/hydrabeam-400-rgbw.json", "10-channel", 1, 2, 10},  // "Pan All" and its fine channel, apart
      {"cameo/hydrabeam-400-rgbw.json", "19-channel", 4, 1, 19},
      {"cameo/hydrabeam-400-rgbw.json", "32-channel", 4, 2, 32},
      {"cameo/hydrabeam-400-rgbw.json", "56-channel", 4, 2, 56},
      {"cameo/hydrabeam-300-rgbw.json", "16-channel", 3, 1, 16},
      {"american-dj/illusion-dotz-4-4.json", "Extended 59-channel", 1, 2, 59},  // 16 pixels of red, green, blue
  };
  for (const Case& c : cases) {
    const Published published(c.file, c.mode);
    EXPECT_EQ(c.footprint, published.layout.footprint()) << c.file << " " << c.mode;
    ASSERT_EQ(c.heads, published.layout.pan().size()) << c.file << " " << c.mode;
    ASSERT_EQ(c.heads, published.layout.tilt().size()) << c.file << " " << c.mode;
    for (std::size_t h = 0; h < c.heads; ++h) {
      EXPECT_EQ(c.bytes, published.layout.pan()[h].offsets.size()) << c.mode << " head " << h;
      EXPECT_EQ(c.bytes, published.layout.tilt()[h].offsets.size()) << c.mode << " head " << h;
    }
  }
  const Published all("cameo/hydrabeam-400-rgbw.json", "10-channel");
  EXPECT_EQ((std::vector<std::uint16_t>{0, 8}), all.layout.pan()[0].offsets);
  const Published heads("cameo/hydrabeam-400-rgbw.json", "32-channel");
  EXPECT_EQ("Pan 2", heads.layout.slots()[heads.layout.pan()[1].offsets[0]].name);
}

TEST(OflFixture, RangesComeFromTheAnglesOrThePhysicalFocusTheModesOwnFirst) {
  // Angles from 430 deg at DMX 0 down to 0 deg: a travel of 430 deg.
  EXPECT_EQ(430.0, Published("jb-lighting/jbled-a7.json", "Standard 16bit").layout.pan_range_degrees());
  const std::string channels = R"("availableChannels": {
      "Pan": {"capability": {"type": "Pan", "angleStart": "-270deg", "angleEnd": "270deg"}},
      "Tilt": {"capability": {"type": "Tilt", "angleStart": "0deg", "angleEnd": "270deg"}}})";
  const fs::path file = testing::written("maker/focus.json", R"({"name": "Focus", "physical": {"focus": {"panMax": 600}},
      "modes": [{"name": "A", "channels": ["Pan", "Tilt"]},
                {"name": "B", "channels": ["Tilt", "Pan"], "physical": {"focus": {"panMax": 500, "tiltMax": 200}}}],)" +
                                                             channels + "}");
  const OflFixture fixture(file);
  EXPECT_EQ(600.0, fixture.layout("A").pan_range_degrees());
  EXPECT_EQ(270.0, fixture.layout("A").tilt_range_degrees());
  EXPECT_EQ(500.0, fixture.layout("B").pan_range_degrees());
  EXPECT_EQ(200.0, fixture.layout("B").tilt_range_degrees());
}

TEST(OflFixture, AModeThatCannotBeDrivenSaysWhatItLacks) {
  const std::string channels = R"("availableChannels": {
      "Pan": {"fineChannelAliases": ["Pan fine"], "capability": {"type": "Pan", "angleStart": "0deg", "angleEnd": "540deg"}},
      "Tilt": {"capability": {"type": "Tilt", "angleStart": "0deg", "angleEnd": "270deg"}},
      "Tilt 2": {"capability": {"type": "Tilt", "angleStart": "0deg", "angleEnd": "180deg"}},
      "Mode": {"defaultValue": 0, "capabilities": [
        {"dmxRange": [0, 127], "type": "Generic", "switchChannels": {"Switched": "Tilt"}},
        {"dmxRange": [128, 255], "type": "Generic", "switchChannels": {"Switched": "Tilt 2"}}]},
      "Speed": {"capability": {"type": "PanTiltSpeed", "speedStart": "1Hz", "speedEnd": "10Hz"}}})";
  struct Case {
    const char* mode;
    const char* why;
  };
  const Case cases[] = {
      {R"(["Pan", "Tilt", "Dimmer"])", "it lists 'Dimmer', which is no channel of the fixture"},
      {R"(["Pan fine", "Tilt"])", "it lists a fine channel of 'Pan' without the coarser ones"},
      {R"(["Pan", "Pan", "Tilt"])", "it lists a byte of 'Pan' twice"},
      {R"(["Pan", "Switched"])", "its switching channel 'Switched' depends on 'Mode', which the mode lacks"},
      {R"(["Pan", "Tilt", "Tilt 2"])", "its Tilt channels differ in range"},
      {R"(["Pan", "Tilt", "Speed"])",
       "its speed channel 'Speed' cannot be held at its fastest: the speed \"1Hz\" cannot be ranked against the others"},
      {R"(["Tilt"])", "it has no Pan channel"},
      {R"(["Pan"])", "it has no Tilt channel"},
  };
  for (const Case& c : cases) {
    const fs::path file = testing::written("maker/faulty.json", std::string(R"({"name": "Faulty", "modes": [
        {"name": "Good", "channels": ["Pan", "Mode", "Switched"]}, {"name": "Bad", "channels": )") + c.mode + "}], " +
                                                                  channels + "}");
    const OflFixture fixture(file);
    EXPECT_EQ(SlotRole::tilt, slot_named(fixture.layout("Good"), "Switched").role);
    EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([&] { fixture.layout("Bad"); },
                                                     file.string() + ": mode 'Bad': " + c.why))
        << c.mode;
  }
}

TEST(OflFixture, FilesAreReadWithinLimits) {
  struct Case {
    std::string text;
    std::string why;
  };
  const std::string deep = std::string(40, '[') + std::string(40, ']');
  std::string many_zeros = "[0";
  for (int i = 0; i < 300000; ++i) {
    many_zeros += ",0";
  }
  many_zeros += "]";
  const Case cases[] = {
      {std::string(OflFixture::kMaxFileBytes + 1, ' '), "larger than 1048576 bytes"},
      {R"({"name": "x", "modes": [)", "not valid JSON: parse error at line 1, column "},
      {R"({"name": "x", "name": "y"})", "the key \"name\" is given twice in one object"},
      {R"({"name": "x", "modes": )" + deep + "}", "nested deeper than 32 levels"},
      {many_zeros,
       "more than 262144 elements"},
      {R"({"name": "x"})", "no fixture definition (a name and a list of modes)"},
  };
  for (const Case& c : cases) {
    const fs::path file = testing::written("maker/limits.json", c.text);
    try {
      OflFixture{file};
      ADD_FAILURE() << c.why;
    } catch (const std::invalid_argument& error) {
      const std::string message = error.what();
      EXPECT_TRUE(message.starts_with(file.string() + ": ")) << message;
      EXPECT_NE(message.find(c.why), std::string::npos) << "want " << c.why << "\nhave " << message;
    }
  }
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>([] { OflFixture{"/nonexistent/x.json"}; },
                                                   "/nonexistent/x.json: cannot be read"));
  const Published sharpy("clay-paky/sharpy.json", "Standard");
  EXPECT_TRUE(ThrowsExactly<std::invalid_argument>(
      [&] { sharpy.fixture.layout("Basic"); },
      ofl_file("clay-paky/sharpy.json").string() + " has no mode 'Basic' (its modes: Standard, Vector)"));
}

}  // namespace
}  // namespace pipmoves::play

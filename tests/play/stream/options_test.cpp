#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "options.hpp"

namespace pipmoves::play::stream {
namespace {

StreamOptions parsed(std::vector<std::string_view> args) { return parse_stream_options(args); }

std::string refusal(std::vector<std::string_view> args) {
  try {
    parse_stream_options(args);
  } catch (const std::invalid_argument& error) {
    return error.what();
  }
  return "(accepted)";
}

TEST(StreamOptions, OnePatternPlaysFromTheStartWithTheDefaults) {
  const StreamOptions options = parsed({"bounce"});
  ASSERT_EQ(1u, options.cues.size());
  EXPECT_EQ("bounce", options.cues[0].pattern);
  EXPECT_EQ(0, options.cues[0].start_pip);
  EXPECT_EQ(1u, options.fixtures);
  EXPECT_EQ(120.0, options.bpm);
  EXPECT_EQ(44.0, options.frame_rate);
  EXPECT_EQ("127.0.0.1", options.host);
  EXPECT_EQ("9000", options.port);
  EXPECT_EQ("/pipmoves", options.prefix);
  EXPECT_FALSE(options.frames);
  EXPECT_FALSE(options.profile);
}

TEST(StreamOptions, CuesTakeBeatsAndFadesInWholePips) {
  const StreamOptions options = parsed({"0:circle:0", "16:bounce:2", "32.25:lfo_breathe:0.5"});
  ASSERT_EQ(3u, options.cues.size());
  EXPECT_EQ(1024, options.cues[1].start_pip);
  EXPECT_EQ(128, options.cues[1].fade_pips);
  EXPECT_EQ(2064, options.cues[2].start_pip);
  EXPECT_EQ(32, options.cues[2].fade_pips);
}

TEST(StreamOptions, SpreadTempoAndProfileOptionsLandWhereTheyBelong) {
  const StreamOptions options = parsed({"--fixtures", "8", "--phase-step", "-16", "--from-centre", "--alternate",
                                        "mirror_x", "--easing", "sine", "--bpm", "128", "--tap", "--rate", "60",
                                        "--frames", "100", "--pan-range", "360", "--invert-tilt", "bounce"});
  EXPECT_EQ(8u, options.fixtures);
  EXPECT_EQ(-16, options.spread.phase_step);
  EXPECT_TRUE(options.spread.from_centre);
  EXPECT_EQ(Alternation::mirror_x, options.spread.alternate);
  EXPECT_EQ(Easing::sine, options.easing);
  EXPECT_EQ(128.0, options.bpm);
  EXPECT_EQ(TempoFrom::tap, options.tempo);
  EXPECT_EQ(60.0, options.frame_rate);
  EXPECT_EQ(100, options.frames);
  ASSERT_TRUE(options.profile);
  EXPECT_EQ(360.0, options.profile->pan_range_degrees);
  EXPECT_EQ(270.0, options.profile->tilt_range_degrees);
  EXPECT_TRUE(options.profile->invert_tilt);
}

TEST(StreamOptions, EachGrooveKeepsItsNameFileAndMidiBars) {
  const StreamOptions options = parsed({"--groove", "verse=drums/verse.mid", "--groove-bars", "9:2", "--groove",
                                        "chorus=drums/chorus.txt", "0:verse_bounce", "4:chorus_step"});
  ASSERT_EQ(2u, options.grooves.size());
  EXPECT_EQ("verse", options.grooves[0].name);
  EXPECT_EQ("drums/verse.mid", options.grooves[0].path);
  EXPECT_EQ(9, options.grooves[0].first_bar);
  EXPECT_EQ(2, options.grooves[0].bars);
  EXPECT_EQ("chorus", options.grooves[1].name);
  EXPECT_EQ("drums/chorus.txt", options.grooves[1].path);
  EXPECT_EQ(1, options.grooves[1].first_bar);
  EXPECT_EQ(1, options.grooves[1].bars);
}

TEST(StreamOptions, AudioFollowsAFileOrRawPcmOnStandardInput) {
  const StreamOptions file = parsed({"--audio", "set.flac", "--bpm-range", "70:140", "bounce"});
  EXPECT_EQ(TempoFrom::audio, file.tempo);
  EXPECT_EQ("set.flac", file.audio.path);
  EXPECT_EQ(70.0, file.follow.min_bpm);
  EXPECT_EQ(140.0, file.follow.max_bpm);

  const StreamOptions line = parsed({"--audio-rate", "44100", "--audio", "-", "--audio-format", "f32", "bounce"});
  EXPECT_EQ("-", line.audio.path);
  EXPECT_EQ(AudioInput::Format::f32, line.audio.format);
  EXPECT_EQ(44100, line.audio.rate);
  EXPECT_EQ(90.0, line.follow.min_bpm) << "the clock's own range";
  EXPECT_EQ(180.0, line.follow.max_bpm);

  const StreamOptions plain = parsed({"--audio", "-", "bounce"});
  EXPECT_EQ(AudioInput::Format::s16, plain.audio.format);
  EXPECT_EQ(48000, plain.audio.rate);
  // The widest range the clock takes, and the narrowest: one octave.
  EXPECT_EQ(1000.0, parsed({"--audio", "-", "--bpm-range", "1:1000", "bounce"}).follow.max_bpm);
  EXPECT_EQ(120.0, parsed({"--audio", "-", "--bpm-range", "60:120", "bounce"}).follow.max_bpm);
}

TEST(StreamOptions, LinkAndAudioAreTwoTempoSources) {
#ifdef PIPMOVES_WITH_LINK
  EXPECT_EQ("--link and --audio are two sources of tempo; choose one", refusal({"--link", "--audio", "-", "bounce"}));
  EXPECT_EQ("--audio and --link are two sources of tempo; choose one", refusal({"--audio", "-", "--link", "bounce"}));
#else
  EXPECT_EQ("--link needs a build with Ableton Link, and this one has none", refusal({"--audio", "-", "--link", "bounce"}));
#endif
}

TEST(StreamOptions, RatesFromTheSlowestToTheFastestAreTaken) {
  EXPECT_EQ(0.001, parsed({"--rate", "0.001", "bounce"}).frame_rate);
  EXPECT_EQ(1000.0, parsed({"--rate", "1000", "bounce"}).frame_rate);
}

TEST(StreamOptions, APatchTakesItsOutputsAndFixturesBecomesItsFolder) {
  const StreamOptions options =
      parsed({"--patch", "rig.json", "--fixtures", "ofl", "--sacn-dest", "10.0.0.7", "--sacn-dest", "node.local:6000",
              "--sacn-priority", "150", "--sacn-name", "front of house", "--artnet", "2.255.255.255:6455", "circle"});
  ASSERT_TRUE(options.rig);
  const RigOptions& rig = *options.rig;
  EXPECT_EQ("rig.json", rig.patch);
  EXPECT_EQ("ofl", rig.fixtures_dir);
  EXPECT_EQ(1u, options.fixtures) << "the patch says how many";
  EXPECT_TRUE(rig.sacn);
  ASSERT_EQ(2u, rig.sacn_destinations.size());
  EXPECT_EQ("10.0.0.7", rig.sacn_destinations[0].host);
  EXPECT_EQ(5568, rig.sacn_destinations[0].port);
  EXPECT_EQ("node.local", rig.sacn_destinations[1].host);
  EXPECT_EQ(6000, rig.sacn_destinations[1].port);
  EXPECT_EQ(150, rig.sacn_priority);
  EXPECT_EQ("front of house", rig.sacn_name);
  ASSERT_TRUE(rig.artnet);
  EXPECT_EQ("2.255.255.255", rig.artnet->host);
  EXPECT_EQ(6455, rig.artnet->port);

  const StreamOptions multicast = parsed({"--patch", "rig.json", "--sacn", "--sacn-interface", "eth1", "circle"});
  EXPECT_TRUE(multicast.rig->sacn_destinations.empty());
  EXPECT_EQ("eth1", multicast.rig->sacn_interface);
  EXPECT_EQ(100, multicast.rig->sacn_priority);
  EXPECT_EQ("pipmoves-play", multicast.rig->sacn_name);
  EXPECT_FALSE(multicast.rig->artnet);
  EXPECT_EQ(6454, parsed({"--patch", "r.json", "--artnet", "10.1.2.3", "circle"}).rig->artnet->port);
}

TEST(StreamOptions, RefusalsNameWhatIsWrong) {
  struct Case {
    std::vector<std::string_view> args;
    std::string_view want;
  };
  const std::vector<Case> cases{
      {{}, "Name a pattern, or cues as BEAT:PATTERN[:FADE]"},
      {{"bounce", "circle"}, "With more than one pattern, give each its beat as BEAT:PATTERN[:FADE]"},
      {{"--fixtures"}, "--fixtures needs a value"},
      {{"--fixtures", "0", "bounce"}, "--fixtures needs a whole number from 1 to 4096, not '0'"},
      {{"--port", "70000", "bounce"}, "--port needs a whole number from 1 to 65535, not '70000'"},
      {{"--frames", "1e3", "bounce"}, "--frames needs a whole number from 1 to 9223372036854775807, not '1e3'"},
      {{"--bpm", "fast", "bounce"}, "--bpm needs a number, not 'fast'"},
      {{"--bpm", "nan", "bounce"}, "--bpm needs a number, not 'nan'"},
      {{"--rate", "0", "bounce"}, "--rate must be from 0.001 to 1000 frames a second, not '0'"},
      {{"--rate", "1e-11", "bounce"}, "--rate must be from 0.001 to 1000 frames a second, not '1e-11'"},
      {{"--rate", "0.00099", "bounce"}, "--rate must be from 0.001 to 1000 frames a second, not '0.00099'"},
      {{"--rate", "1000.5", "bounce"}, "--rate must be from 0.001 to 1000 frames a second, not '1000.5'"},
      {{"--alternate", "sideways", "bounce"}, "Unknown alternation: sideways"},
      {{"--easing", "bouncy", "bounce"}, "Unknown easing: bouncy"},
      {{"--volume", "bounce"}, "Unknown option --volume"},
      {{"0.001:bounce"},
       "A cue's beat must be a beat from 0 on that falls on a whole pip (a 64th of a beat), not '0.001'"},
      {{"-1:bounce"}, "A cue's beat must be a beat from 0 on that falls on a whole pip (a 64th of a beat), not '-1'"},
      {{"4:bounce:x"}, "A cue's fade needs a number, not 'x'"},
      {{"4:"}, "A cue needs a pattern's name: '4:'"},
      {{"--groove", "verse", "bounce"}, "--groove needs NAME=FILE, not 'verse'"},
      {{"--groove-bars", "2:4", "bounce"}, "--groove-bars needs --groove NAME=FILE before it"},
      {{"--groove-bars", "2:4", "--groove", "v=f.mid", "bounce"}, "--groove-bars needs --groove NAME=FILE before it"},
      {{"--groove", "v=a.txt", "--groove", "w=b.txt", "--groove", "v=c.txt", "bounce"},
       "Two --groove options name the groove 'v'; give each its own NAME"},
      {{"0:helix:4"}, "The first cue has no cue before it to fade from: '0:helix:4'"},
      {{"0:helix:0.015625", "4:bounce"}, "The first cue has no cue before it to fade from: '0:helix:0.015625'"},
      {{"--groove", "v=f.mid", "--groove-bars", "2:5", "bounce"}, "--groove-bars needs a whole number from 1 to 4, not '5'"},
      {{"--sacn", "bounce"}, "--sacn needs --patch FILE"},
      {{"--artnet", "10.0.0.1", "bounce"}, "--artnet needs --patch FILE"},
      {{"--patch", "r.json", "--sacn-dest", ":5568", "bounce"}, "--sacn-dest needs HOST[:PORT], not ':5568'"},
      {{"--patch", "r.json", "--sacn-dest", "h:0", "bounce"}, "--sacn-dest's port needs a whole number from 1 to 65535, not '0'"},
      {{"--patch", "r.json", "--artnet", "h:x", "bounce"}, "--artnet's port needs a whole number from 1 to 65535, not 'x'"},
      {{"--patch", "r.json", "--sacn-priority", "201", "bounce"},
       "--sacn-priority needs a whole number from 0 to 200, not '201'"},
      {{"--patch", "r.json", "--sacn-name", std::string_view("0123456789012345678901234567890123456789012345678901234567890123"),
        "bounce"},
       "--sacn-name must be at most 63 bytes"},
      {{"--patch", "r.json", "--sacn-dest", "h", "--sacn-interface", "lo", "bounce"},
       "--sacn-interface is for multicast, and --sacn-dest sends unicast"},
      {{"--audio"}, "--audio needs a value"},
      {{"--audio", "", "bounce"}, "--audio needs a file, or - for raw PCM on standard input"},
      {{"--audio", "-", "--audio-format", "s24", "bounce"}, "--audio-format needs s16 or f32, not 's24'"},
      {{"--audio", "-", "--audio-rate", "0", "bounce"},
       "--audio-rate needs a whole number from 4000 to 768000, not '0'"},
      {{"--audio", "-", "--audio-rate", "3999", "bounce"},
       "--audio-rate needs a whole number from 4000 to 768000, not '3999'"},
      {{"--audio", "-", "--audio-rate", "44100.5", "bounce"},
       "--audio-rate needs a whole number from 4000 to 768000, not '44100.5'"},
      {{"--audio-format", "f32", "bounce"},
       "--audio-format is for raw PCM on standard input, with --audio -; a file says its own"},
      {{"--audio", "loop.wav", "--audio-rate", "44100", "bounce"},
       "--audio-rate is for raw PCM on standard input, with --audio -; a file says its own"},
      {{"--bpm-range", "90:180", "bounce"}, "--bpm-range needs --audio FILE|-"},
      {{"--tap", "--bpm-range", "90:180", "bounce"}, "--bpm-range needs --audio FILE|-"},
      {{"--audio", "-", "--bpm-range", "90", "bounce"}, "--bpm-range needs MIN:MAX, not '90'"},
      {{"--audio", "-", "--bpm-range", "90:fast", "bounce"}, "--bpm-range needs a number, not 'fast'"},
      {{"--audio", "-", "--bpm-range", "nan:180", "bounce"}, "--bpm-range needs a number, not 'nan'"},
      {{"--audio", "-", "--bpm-range", "100:150", "bounce"},
       "--bpm-range must lie within 1:1000 and span an octave or more (MAX at least twice MIN), not '100:150'"},
      {{"--audio", "-", "--bpm-range", "180:90", "bounce"},
       "--bpm-range must lie within 1:1000 and span an octave or more (MAX at least twice MIN), not '180:90'"},
      {{"--audio", "-", "--bpm-range", "0.5:180", "bounce"},
       "--bpm-range must lie within 1:1000 and span an octave or more (MAX at least twice MIN), not '0.5:180'"},
      {{"--audio", "-", "--bpm-range", "400:1001", "bounce"},
       "--bpm-range must lie within 1:1000 and span an octave or more (MAX at least twice MIN), not '400:1001'"},
      {{"--audio", "-", "--tap", "bounce"}, "--audio and --tap are two sources of tempo; choose one"},
      {{"--tap", "--audio", "loop.wav", "bounce"}, "--tap and --audio are two sources of tempo; choose one"},
      {{"--audio", "-", "--bpm", "128", "bounce"}, "--audio follows the music's tempo, so --bpm has nothing to set"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.want, refusal(c.args)) << (c.args.empty() ? "(no arguments)" : c.args.front());
  }
}

}  // namespace
}  // namespace pipmoves::play::stream

#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "audio_input.hpp"
#include "pipmoves/play/crossfade.hpp"
#include "pipmoves/play/fixture.hpp"
#include "pipmoves/play/following_clock.hpp"
#include "pipmoves/play/spread.hpp"

namespace pipmoves::play::stream {

// A cue as typed: a pattern's name from a beat on, faded in over some beats.
struct CueText {
  std::int64_t start_pip = 0;
  std::string pattern;
  std::int32_t fade_pips = 0;
};

enum class TempoFrom : std::uint8_t { fixed, tap, link, audio };

// A groove of one's own whose sixteen patterns the cues may name, as
// <name>_<move>: step lanes, or a Standard MIDI File and the bars to read.
// Each --groove names its own; --groove-bars applies to the one before it.
struct GrooveFile {
  std::string name;
  std::string path;
  int first_bar = 1;
  int bars = 1;
};

struct HostPort {
  std::string host;
  std::uint16_t port = 0;
};

// A patch played to a rig as sACN, Art-Net or both, beside the OSC.
struct RigOptions {
  std::string patch;
  std::optional<std::string> fixtures_dir;  // where the patch's `ofl` files are looked up too
  bool sacn = false;
  std::vector<HostPort> sacn_destinations;  // none: multicast
  std::string sacn_interface;
  int sacn_priority = 100;
  std::string sacn_name = "pipmoves-play";
  std::optional<HostPort> artnet;
};

// Everything `pipmoves-play stream` is told on its command line.
struct StreamOptions {
  std::vector<CueText> cues;
  std::size_t fixtures = 1;
  Spread spread;
  Easing easing = Easing::smoothstep;
  double bpm = 120.0;
  TempoFrom tempo = TempoFrom::fixed;
  AudioInput audio;  // with TempoFrom::audio, what it listens to
  FollowSettings follow;  // and how its beats are followed
  std::string host = "127.0.0.1";
  std::string port = "9000";
  std::string prefix = "/pipmoves";
  double frame_rate = 44.0;
  std::optional<std::int64_t> frames;
  std::optional<FixtureProfile> profile;
  std::vector<GrooveFile> grooves;  // names all different
  std::optional<RigOptions> rig;  // with a patch, its fixtures are the row
  bool help = false;
};

// The usage text, ending in a newline.
std::string_view stream_usage() noexcept;

// The options after the word `stream`. Throws std::invalid_argument with a
// message naming the option or argument at fault; tempo and profile values
// are checked again where they are used.
StreamOptions parse_stream_options(std::span<const std::string_view> args);

}  // namespace pipmoves::play::stream

#include "options.hpp"

#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

#include "pipmoves/pip.hpp"
#include "pipmoves/play/beat_tracker.hpp"

namespace pipmoves::play::stream {
namespace {

constexpr std::string_view kUsage =
    "usage: pipmoves-play stream [OPTIONS] PATTERN\n"
    "       pipmoves-play stream [OPTIONS] BEAT:PATTERN[:FADE] ...\n"
    "\n"
    "Plays a pattern, or cues of patterns each from a beat on and faded in over\n"
    "FADE beats, on a row of fixtures, sending every frame as OSC over UDP: the\n"
    "pip shown at PREFIX/pip, then one message a fixture at PREFIX/fixture/N (N\n"
    "from 1) with x, y, z, and with a fixture profile also pan and tilt in\n"
    "degrees and their 16-bit DMX values.\n"
    "Stops after --frames frames, or on Ctrl-C.\n"
    "\n"
    "  --host HOST        receiver (default 127.0.0.1)\n"
    "  --port PORT        receiver's UDP port (default 9000)\n"
    "  --prefix PATH      OSC address prefix (default /pipmoves)\n"
    "  --rate HZ          frames a second, 0.001 to 1000 (default 44)\n"
    "  --frames N         stop after N frames\n"
    "  --bpm BPM          tempo (default 120)\n"
    "  --tap              tap the tempo with Enter at the terminal\n"
    "  --link             follow an Ableton Link session's tempo and bars\n"
    "  --audio FILE|-     follow the music's beat: an audio file (WAV, FLAC and the\n"
    "                     like) played in real time, or raw mono PCM on standard\n"
    "                     input (-); the show waits at its start until it locks\n"
    "  --audio-format s16|f32\n"
    "                     with --audio -: little-endian 16-bit or 32-bit float\n"
    "                     samples (default s16)\n"
    "  --audio-rate HZ    with --audio -: samples a second, 4000 to 768000\n"
    "                     (default 48000)\n"
    "  --bpm-range MIN:MAX\n"
    "                     with --audio: the tempos half and double time are\n"
    "                     folded into, an octave or wider (default 90:180)\n"
    "  --fixtures N       fixtures in the row (default 1)\n"
    "  --phase-step PIPS  lag between neighbouring fixtures (default: fanned\n"
    "                     out evenly over the pattern's period)\n"
    "  --from-centre      phases grow from the centre outwards\n"
    "  --alternate WHAT   none, reverse or mirror_x on every other fixture\n"
    "  --easing NAME      linear, smoothstep, smootherstep or sine (default\n"
    "                     smoothstep) for fades\n"
    "  --profile          add pan, tilt and DMX for a default moving head\n"
    "  --pan-range DEG    pan travel (default 540; implies --profile)\n"
    "  --tilt-range DEG   tilt travel (default 270; implies --profile)\n"
    "  --size SHARE       share of each travel the pattern uses, 0 to 1\n"
    "  --invert-pan, --invert-tilt\n"
    "  --groove NAME=FILE your own groove's sixteen patterns as NAME_<move> (such\n"
    "                     as NAME_bounce): FILE holds step lanes, or is a\n"
    "                     Standard MIDI File read from its first bar; repeat it\n"
    "                     for more grooves, each with a NAME of its own\n"
    "  --groove-bars FIRST:COUNT\n"
    "                     the bars of the MIDI file of the --groove before it to\n"
    "                     read (default 1:1)\n"
    "\n"
    "A patch file plays its fixtures, in file order, to a rig as DMX over sACN\n"
    "(E1.31), Art-Net or both, beside the OSC:\n"
    "  --patch FILE       the rig's patch; its fixtures are the row\n"
    "  --fixtures DIR     with --patch: a folder to look up the patch's `ofl` files in\n"
    "  --sacn             sACN, multicast to each universe's group\n"
    "  --sacn-dest HOST[:PORT]\n"
    "                     unicast sACN there instead (port 5568); repeatable\n"
    "  --sacn-interface ADDRESS|NAME\n"
    "                     the interface to multicast from\n"
    "  --sacn-priority N  0 to 200 (default 100)\n"
    "  --sacn-name NAME   the source name receivers show (default pipmoves-play)\n"
    "  --artnet HOST[:PORT]\n"
    "                     ArtDmx to a node or a broadcast address (port 6454);\n"
    "                     universe U is Art-Net port-address U - 1\n";

// At most this many fixtures, frames a second and beats into a show. At the
// slowest rate a frame is due every 1000 s, so frame times stay far inside the
// steady clock's range, which a rate near zero overflows at the second frame.
constexpr std::size_t kMaxFixtures = 4096;
constexpr double kMinFrameRate = 0.001;
constexpr double kMaxFrameRate = 1000.0;
constexpr double kMaxCueBeat = 1e9;

[[noreturn]] void fail(const std::string& message) { throw std::invalid_argument(message); }

double number(std::string_view option, std::string_view text) {
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
    fail(std::string(option) + " needs a number, not '" + std::string(text) + "'");
  }
  return value;
}

std::int64_t whole(std::string_view option, std::string_view text, std::int64_t low, std::int64_t high) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
    fail(std::string(option) + " needs a whole number from " + std::to_string(low) + " to " +
         std::to_string(high) + ", not '" + std::string(text) + "'");
  }
  return value;
}

// Beats to whole pips, refusing a beat between two pips.
std::int64_t beats_to_pips(std::string_view what, std::string_view text) {
  const double beats = number(what, text);
  const double pips = beats * PIPS_PER_BEAT;
  if (beats < 0.0 || beats > kMaxCueBeat || pips != std::floor(pips)) {
    fail(std::string(what) + " must be a beat from 0 on that falls on a whole pip (a 64th of a beat), not '" +
         std::string(text) + "'");
  }
  return static_cast<std::int64_t>(pips);
}

CueText cue(std::string_view text) {
  const std::size_t first = text.find(':');
  if (first == std::string_view::npos) {
    return CueText{0, std::string(text), 0};
  }
  const std::size_t second = text.find(':', first + 1);
  CueText parsed;
  parsed.start_pip = beats_to_pips("A cue's beat", text.substr(0, first));
  parsed.pattern = std::string(text.substr(first + 1, second == std::string_view::npos ? second : second - first - 1));
  if (second != std::string_view::npos) {
    const std::int64_t fade = beats_to_pips("A cue's fade", text.substr(second + 1));
    if (fade > std::numeric_limits<std::int32_t>::max()) {
      fail("A cue's fade is too long: '" + std::string(text) + "'");
    }
    parsed.fade_pips = static_cast<std::int32_t>(fade);
  }
  if (parsed.pattern.empty()) {
    fail("A cue needs a pattern's name: '" + std::string(text) + "'");
  }
  return parsed;
}

HostPort host_port(std::string_view option, std::string_view text, std::uint16_t default_port) {
  const std::size_t colon = text.rfind(':');
  HostPort parsed{std::string(text.substr(0, colon)), default_port};
  if (colon != std::string_view::npos) {
    parsed.port = static_cast<std::uint16_t>(whole(std::string(option) + "'s port", text.substr(colon + 1), 1, 65535));
  }
  if (parsed.host.empty()) {
    fail(std::string(option) + " needs HOST[:PORT], not '" + std::string(text) + "'");
  }
  return parsed;
}

AudioInput::Format audio_format(std::string_view text) {
  if (text == "s16") {
    return AudioInput::Format::s16;
  }
  if (text == "f32") {
    return AudioInput::Format::f32;
  }
  fail("--audio-format needs s16 or f32, not '" + std::string(text) + "'");
}

// The range the clock folds tempos into, checked as the clock checks it.
void bpm_range(std::string_view text, FollowSettings& follow) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos) {
    fail("--bpm-range needs MIN:MAX, not '" + std::string(text) + "'");
  }
  const double low = number("--bpm-range", text.substr(0, colon));
  const double high = number("--bpm-range", text.substr(colon + 1));
  if (low < 1.0 || high > 1000.0 || high < 2.0 * low) {
    fail("--bpm-range must lie within 1:1000 and span an octave or more (MAX at least twice MIN), not '" +
         std::string(text) + "'");
  }
  follow.min_bpm = low;
  follow.max_bpm = high;
}

RigOptions& rig(StreamOptions& options) {
  if (!options.rig) {
    options.rig.emplace();
  }
  return *options.rig;
}

FixtureProfile& profile(StreamOptions& options) {
  if (!options.profile) {
    options.profile.emplace();
  }
  return *options.profile;
}

}  // namespace

std::string_view stream_usage() noexcept { return kUsage; }

StreamOptions parse_stream_options(std::span<const std::string_view> args) {
  StreamOptions options;
  bool single = false;
  std::optional<std::string_view> fixtures;  // a count, or with a patch a folder
  std::string_view needs_patch;
  // The options that said where the tempo comes from, and those that only
  // mean something with audio.
  std::string_view tempo_from;
  std::string_view needs_audio;
  std::string_view needs_stdin;
  bool bpm_given = false;
  const auto source = [&](std::string_view option, TempoFrom from) {
    if (!tempo_from.empty() && tempo_from != option) {
      fail(std::string(tempo_from) + " and " + std::string(option) + " are two sources of tempo; choose one");
    }
    tempo_from = option;
    options.tempo = from;
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const auto value = [&]() -> std::string_view {
      if (i + 1 >= args.size()) {
        fail(std::string(arg) + " needs a value");
      }
      return args[++i];
    };
    if (arg == "-h" || arg == "--help") {
      options.help = true;
    } else if (arg == "--host") {
      options.host = std::string(value());
    } else if (arg == "--port") {
      options.port = std::to_string(whole(arg, value(), 1, 65535));
    } else if (arg == "--prefix") {
      options.prefix = std::string(value());
    } else if (arg == "--rate") {
      const std::string_view text = value();
      options.frame_rate = number(arg, text);
      if (options.frame_rate < kMinFrameRate || options.frame_rate > kMaxFrameRate) {
        fail("--rate must be from 0.001 to 1000 frames a second, not '" + std::string(text) + "'");
      }
    } else if (arg == "--frames") {
      options.frames = whole(arg, value(), 1, std::numeric_limits<std::int64_t>::max());
    } else if (arg == "--bpm") {
      options.bpm = number(arg, value());
      bpm_given = true;
    } else if (arg == "--tap") {
      source(arg, TempoFrom::tap);
    } else if (arg == "--link") {
#ifndef PIPMOVES_WITH_LINK
      fail("--link needs a build with Ableton Link, and this one has none");
#endif
      source(arg, TempoFrom::link);
    } else if (arg == "--audio") {
      source(arg, TempoFrom::audio);
      options.audio.path = std::string(value());
      if (options.audio.path.empty()) {
        fail("--audio needs a file, or - for raw PCM on standard input");
      }
    } else if (arg == "--audio-format") {
      options.audio.format = audio_format(value());
      needs_stdin = arg;
    } else if (arg == "--audio-rate") {
      options.audio.rate = whole(arg, value(), BeatTracker::kMinSampleRate, BeatTracker::kMaxSampleRate);
      needs_stdin = arg;
    } else if (arg == "--bpm-range") {
      bpm_range(value(), options.follow);
      needs_audio = arg;
    } else if (arg == "--fixtures") {
      fixtures = value();
    } else if (arg == "--patch") {
      rig(options).patch = std::string(value());
      if (options.rig->patch.empty()) {
        fail("--patch needs a file");
      }
    } else if (arg == "--sacn") {
      rig(options).sacn = true;
      needs_patch = arg;
    } else if (arg == "--sacn-dest") {
      rig(options).sacn_destinations.push_back(host_port(arg, value(), 5568));
      options.rig->sacn = true;
      needs_patch = arg;
    } else if (arg == "--sacn-interface") {
      rig(options).sacn_interface = std::string(value());
      options.rig->sacn = true;
      needs_patch = arg;
    } else if (arg == "--sacn-priority") {
      rig(options).sacn_priority = static_cast<int>(whole(arg, value(), 0, 200));
      needs_patch = arg;
    } else if (arg == "--sacn-name") {
      rig(options).sacn_name = std::string(value());
      if (options.rig->sacn_name.size() > 63) {
        fail("--sacn-name must be at most 63 bytes");
      }
      needs_patch = arg;
    } else if (arg == "--artnet") {
      rig(options).artnet = host_port(arg, value(), 6454);
      needs_patch = arg;
    } else if (arg == "--phase-step") {
      options.spread.phase_step = static_cast<std::int32_t>(
          whole(arg, value(), std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    } else if (arg == "--from-centre") {
      options.spread.from_centre = true;
    } else if (arg == "--alternate") {
      options.spread.alternate = alternation_named(value());
    } else if (arg == "--easing") {
      options.easing = easing_named(value());
    } else if (arg == "--profile") {
      profile(options);
    } else if (arg == "--pan-range") {
      profile(options).pan_range_degrees = number(arg, value());
    } else if (arg == "--tilt-range") {
      profile(options).tilt_range_degrees = number(arg, value());
    } else if (arg == "--size") {
      profile(options).size = number(arg, value());
    } else if (arg == "--invert-pan") {
      profile(options).invert_pan = true;
    } else if (arg == "--invert-tilt") {
      profile(options).invert_tilt = true;
    } else if (arg == "--groove") {
      const std::string_view text = value();
      const std::size_t equals = text.find('=');
      if (equals == std::string_view::npos || equals == 0 || equals + 1 == text.size()) {
        fail("--groove needs NAME=FILE, not '" + std::string(text) + "'");
      }
      GrooveFile next{std::string(text.substr(0, equals)), std::string(text.substr(equals + 1))};
      for (const GrooveFile& earlier : options.grooves) {
        if (earlier.name == next.name) {
          fail("Two --groove options name the groove '" + next.name + "'; give each its own NAME");
        }
      }
      options.grooves.push_back(std::move(next));
    } else if (arg == "--groove-bars") {
      const std::string_view text = value();
      const std::size_t colon = text.find(':');
      if (colon == std::string_view::npos) {
        fail("--groove-bars needs FIRST:COUNT, not '" + std::string(text) + "'");
      }
      if (options.grooves.empty()) {
        fail("--groove-bars needs --groove NAME=FILE before it");
      }
      options.grooves.back().first_bar = static_cast<int>(whole(arg, text.substr(0, colon), 1, 100000));
      options.grooves.back().bars = static_cast<int>(whole(arg, text.substr(colon + 1), 1, 4));
    } else if (arg.starts_with("-") && arg.find(':') == std::string_view::npos) {
      fail("Unknown option " + std::string(arg));
    } else {
      CueText next = cue(arg);
      if (options.cues.empty() && next.fade_pips > 0) {
        fail("The first cue has no cue before it to fade from: '" + std::string(arg) + "'");
      }
      single = single || arg.find(':') == std::string_view::npos;
      options.cues.push_back(std::move(next));
    }
  }
  if (options.help) {
    return options;
  }
  if (options.tempo != TempoFrom::audio && !needs_audio.empty()) {
    fail(std::string(needs_audio) + " needs --audio FILE|-");
  }
  if (!needs_stdin.empty() && (options.tempo != TempoFrom::audio || options.audio.path != "-")) {
    fail(std::string(needs_stdin) + " is for raw PCM on standard input, with --audio -; a file says its own");
  }
  if (options.tempo == TempoFrom::audio && bpm_given) {
    fail("--audio follows the music's tempo, so --bpm has nothing to set");
  }
  if (options.rig && options.rig->patch.empty()) {
    fail(std::string(needs_patch) + " needs --patch FILE");
  }
  if (fixtures && options.rig) {
    options.rig->fixtures_dir = std::string(*fixtures);
  } else if (fixtures) {
    options.fixtures = static_cast<std::size_t>(whole("--fixtures", *fixtures, 1, kMaxFixtures));
  }
  if (options.rig && !options.rig->sacn_destinations.empty() && !options.rig->sacn_interface.empty()) {
    fail("--sacn-interface is for multicast, and --sacn-dest sends unicast");
  }
  if (options.cues.empty()) {
    fail("Name a pattern, or cues as BEAT:PATTERN[:FADE]");
  }
  if (single && options.cues.size() > 1) {
    fail("With more than one pattern, give each its beat as BEAT:PATTERN[:FADE]");
  }
  return options;
}

}  // namespace pipmoves::play::stream

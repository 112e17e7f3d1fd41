// pipmoves-play: plays patterns as a show and streams it to other programs.

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "audio_tempo.hpp"
#include "beat_source.hpp"
#include "options.hpp"
#include "osc_sender.hpp"
#include "pipmoves/play/groove.hpp"
#include "pipmoves/play/patch.hpp"
#include "pipmoves/play/show.hpp"
#include "rig_output.hpp"
#include "streamer.hpp"

#ifdef PIPMOVES_WITH_LINK
#include "link_tempo.hpp"
#endif

namespace {

using pipmoves::PatternLibrary;
using namespace pipmoves::play;
using namespace pipmoves::play::stream;

constexpr std::string_view kUsage =
    "usage: pipmoves-play stream [OPTIONS] PATTERN | BEAT:PATTERN[:FADE] ...\n"
    "       pipmoves-play stream --help\n";

std::atomic<bool> stop_requested{false};

extern "C" void request_stop(int) { stop_requested.store(true); }

// A groove file's sixteen patterns; its library also serves every default name.
PatternLibrary library_of(const GrooveFile& groove) {
  const std::string heading = std::filesystem::path(groove.path).filename().string();
  return groove_patterns(read_groove_file(groove.path, MidiSelection{groove.first_bar, groove.bars}), groove.name,
                         heading);
}

std::vector<PatternLibrary> libraries_of(const StreamOptions& options) {
  std::vector<PatternLibrary> libraries;
  libraries.reserve(options.grooves.size());
  for (const GrooveFile& groove : options.grooves) {
    libraries.push_back(library_of(groove));
  }
  return libraries;
}

// A name from the groove that holds it, else a default pattern's.
PatternRef pattern_named(const std::vector<PatternLibrary>& grooves, const std::string& name) {
  for (const PatternLibrary& library : grooves) {
    for (const pipmoves::CatalogueEntry& entry : library.catalogue()) {
      if (entry.name == name) {
        return PatternRef(library, name);
      }
    }
  }
  return PatternRef::named(name);
}

Show show_of(const StreamOptions& options, const std::vector<PatternLibrary>& grooves) {
  std::vector<Cue> cues;
  cues.reserve(options.cues.size());
  for (const CueText& cue : options.cues) {
    cues.push_back(Cue{cue.start_pip, pattern_named(grooves, cue.pattern), cue.fade_pips});
  }
  return Show(std::move(cues), options.spread, options.easing);
}

std::optional<FixtureMap> map_of(const StreamOptions& options) {
  if (!options.profile) {
    return std::nullopt;
  }
  return FixtureMap(*options.profile);
}

// Reads Enter presses from the terminal as taps until the stream stops.
void read_taps(TappedTempo& tempo, std::chrono::steady_clock::time_point start) {
  pollfd input{STDIN_FILENO, POLLIN, 0};
  char buffer[256];
  while (!stop_requested.load()) {
    if (poll(&input, 1, 50) <= 0) {
      continue;
    }
    const auto now = std::chrono::steady_clock::now();
    const ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
    if (got <= 0) {
      return;  // the terminal is gone: the tempo stays as tapped
    }
    for (ssize_t i = 0; i < got; ++i) {
      if (buffer[i] != '\n') {
        continue;
      }
      if (const auto bpm = tempo.tap(std::chrono::duration<double>(now - start).count())) {
        std::cerr << "pipmoves-play: tapped " << *bpm << " BPM\n";
      }
    }
  }
}

// The patch's fixtures are the row the show spreads over, in file order.
std::unique_ptr<RigOutput> rig_of(StreamOptions& options) {
  if (!options.rig) {
    return nullptr;
  }
  const RigOptions& rig = *options.rig;
  std::optional<std::filesystem::path> fixtures_dir;
  if (rig.fixtures_dir) {
    fixtures_dir = *rig.fixtures_dir;
  }
  auto output = std::make_unique<RigOutput>(Patch(std::filesystem::path(rig.patch), fixtures_dir), rig);
  options.fixtures = output->patch().size();
  return output;
}

// Where the rig's DMX goes, for the opening line.
std::string rig_targets(const RigOptions& rig) {
  std::string text;
  if (rig.sacn) {
    text += " and sACN to ";
    if (rig.sacn_destinations.empty()) {
      text += "each universe's multicast group";
    }
    for (std::size_t i = 0; i < rig.sacn_destinations.size(); ++i) {
      text += (i > 0 ? ", " : "") + rig.sacn_destinations[i].host + ":" + std::to_string(rig.sacn_destinations[i].port);
    }
  }
  if (rig.artnet) {
    text += " and Art-Net to " + rig.artnet->host + ":" + std::to_string(rig.artnet->port);
  }
  return text;
}

int play_show(StreamOptions options) {
  const std::vector<PatternLibrary> grooves = libraries_of(options);
  const std::unique_ptr<RigOutput> rig = rig_of(options);
  const Show show = show_of(options, grooves);
  OscSender sender(options.host, options.port, options.prefix, options.fixtures, map_of(options));
  const StreamPace pace{options.frame_rate, options.frames, options.fixtures};
  // The stream's first frame, its taps and its Link timeline share one origin.
  const auto start = std::chrono::steady_clock::now();
  // Every source checks its tempo here, before anything is announced.
  std::unique_ptr<BeatSource> beats;
  TappedTempo* tapped = nullptr;
#ifdef PIPMOVES_WITH_LINK
  std::unique_ptr<ableton::Link> link;
#endif
  switch (options.tempo) {
    case TempoFrom::fixed:
      beats = std::make_unique<FixedTempo>(options.bpm);
      break;
    case TempoFrom::tap:
      beats = std::make_unique<TappedTempo>(options.bpm);
      tapped = static_cast<TappedTempo*>(beats.get());
      break;
    case TempoFrom::link:
#ifdef PIPMOVES_WITH_LINK
      static_cast<void>(Clock(options.bpm));  // the tempo check of the other sources
      link = std::make_unique<ableton::Link>(options.bpm);
      link->enable(true);
      beats = std::make_unique<LinkTempo>(*link, start);
      break;
#else
      throw std::logic_error("--link was taken without Ableton Link");
#endif
    case TempoFrom::audio:
      // A file that is no audio is refused here, before a frame is sent.
      beats = std::make_unique<AudioTempo>(options.audio, options.follow, start, std::cerr);
      break;
  }

  std::signal(SIGINT, request_stop);
  std::signal(SIGTERM, request_stop);
  std::cerr << "pipmoves-play: streaming to " << options.host << ":" << options.port
            << (options.rig ? rig_targets(*options.rig) : "") << " at " << options.frame_rate
            << " frames a second; Ctrl-C stops\n";
  if (options.tempo == TempoFrom::audio) {
    std::cerr << "pipmoves-play: listening to " << (options.audio.path == "-" ? "standard input" : options.audio.path)
              << "; the show waits at its start until it follows the beat\n";
  }
  std::thread taps;
  if (tapped != nullptr) {
    std::cerr << "pipmoves-play: press Enter on each beat to tap the tempo\n";
    taps = std::thread(read_taps, std::ref(*tapped), start);
  }
  const StreamTally tally = play_stream(show, *beats, sender, pace, start, stop_requested, std::cerr, rig.get());
  stop_requested.store(true);
  if (rig) {
    rig->terminate();  // receivers let go of the rig now rather than on a timeout
  }
  if (taps.joinable()) {
    taps.join();
  }
  if (tally.frames > 0 && tally.unsent == tally.frames) {
    std::cerr << "pipmoves-play stream: no frame could be sent to " << options.host << ":" << options.port << " ("
              << tally.frames << " tried): " << tally.error << "\n";
    return 1;
  }
  std::cerr << "pipmoves-play: sent " << tally.frames - tally.unsent << " frames";
  if (tally.unsent > 0) {
    std::cerr << "; " << tally.unsent << " more could not be sent whole: " << tally.error;
  }
  std::cerr << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // A reader of our output that goes away must not end the show: the writes
  // to it fail quietly instead.
  std::signal(SIGPIPE, SIG_IGN);
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.empty() || args.front() == "-h" || args.front() == "--help") {
    std::cout << kUsage;
    return args.empty() ? 2 : 0;
  }
  if (args.front() != "stream") {
    std::cerr << "pipmoves-play: unknown command '" << args.front() << "'\n" << kUsage;
    return 2;
  }
  StreamOptions options;
  try {
    options = parse_stream_options(std::span(args).subspan(1));
  } catch (const std::invalid_argument& error) {
    std::cerr << "pipmoves-play stream: " << error.what() << "\nTry 'pipmoves-play stream --help'.\n";
    return 2;
  }
  if (options.help) {
    std::cout << stream_usage();
    return 0;
  }
  try {
    return play_show(std::move(options));
  } catch (const std::exception& error) {
    std::cerr << "pipmoves-play stream: " << error.what() << "\n";
    return 1;
  }
}

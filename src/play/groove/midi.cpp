// The drum part of a Standard MIDI File: General MIDI percussion on channel
// 10 (and, when asked, a bass channel) within whole bars of one x/4 metre and
// one tempo. The file is read whole, once its size is known to be within the
// limit, then walked twice: once to check every event and gather the tempo
// map, once more to the end of the chosen bars for the notes.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "midi_score.hpp"
#include "pipmoves/pip.hpp"
#include "smf_reader.hpp"
#include "text.hpp"

namespace pipmoves::play {
namespace {

constexpr int kPercussionChannel = 9;  // channel 10, counted from 0
constexpr int kMaxBars = 4;
constexpr int kMaxBeatsPerBar = GrooveScore::kMaxBeats / kMaxBars;
constexpr double kMaxVelocity = 127.0;
constexpr std::int64_t kLastTick = INT32_MAX;  // bars starting later are not looked for

// General MIDI percussion notes and the instruments they play; notes not
// listed (whistles, vibraslap, cuica and anything outside 35 to 81) are left out.
const char* instrument_of_note(int note) {
  switch (note) {
    case 35: case 36: return "kick";
    case 37: return "rim";
    case 38: case 40: return "snare";
    case 39: return "clap";
    case 41: case 43: case 45: case 47: case 48: case 50: case 65: case 66: return "tom";
    case 42: case 44: return "hat";
    case 46: return "open_hat";
    case 49: case 52: case 55: case 57: return "crash";
    case 51: case 53: case 59: return "ride";
    case 54: case 69: case 70: case 73: case 74: case 82: return "shaker";
    case 56: case 67: case 68: case 76: case 77: return "bell";
    case 60: case 61: case 62: case 63: case 64: return "conga";
    case 75: return "clave";
    case 80: case 81: return "tick";
    default: return nullptr;
  }
}

std::string bars_text(const MidiSelection& s) {
  return s.bars == 1 ? "bar " + std::to_string(s.first_bar)
                     : "bars " + std::to_string(s.first_bar) + " to " + std::to_string(s.first_bar + s.bars - 1);
}

void check_selection(const MidiSelection& selection) {
  if (selection.first_bar < 1) {
    throw std::invalid_argument("The first bar is counted from 1");
  }
  if (selection.bars < 1 || selection.bars > kMaxBars) {
    throw std::invalid_argument("A groove holds 1 to 4 bars");
  }
  if (selection.bass_channel && (*selection.bass_channel < 1 || *selection.bass_channel > 16 ||
                                 *selection.bass_channel == kPercussionChannel + 1)) {
    throw std::invalid_argument("The bass channel must be 1 to 16, other than the percussion channel 10");
  }
}

// The tempo and metre from a tick on, until the next entry: a file's tempo and
// time signature events in time order, starting from 120 BPM in 4/4, a later
// event at the same tick changing the same entry.
struct TempoEntry {
  std::int64_t tick;
  std::uint32_t microseconds_per_quarter;
  int numerator;
  int denominator_power;  // the denominator is 2 to this power
};

struct MetaChange {
  std::int64_t tick;
  bool tempo;  // else a time signature
  std::uint32_t microseconds_per_quarter;
  int numerator;
  int denominator_power;
};

std::string metre(const TempoEntry& t) {
  const int p = t.denominator_power;
  return std::to_string(t.numerator) + "/" + (p < 31 ? std::to_string(std::int64_t{1} << p) : "2^" + std::to_string(p));
}

// Ticks a bar of the entry's metre, as a quarter note's ticks make it.
std::int64_t bar_ticks(const TempoEntry& t, int ppqn) {
  const std::int64_t quarters = std::int64_t{t.numerator} * 4 * ppqn;
  return t.denominator_power >= 62 ? 0 : quarters >> t.denominator_power;
}

class MidiReader {
 public:
  MidiReader(std::span<const unsigned char> bytes, const MidiSelection& selection, std::string_view shown)
      : bytes_(bytes), selection_(selection), shown_(groove_text::printable(shown)) {}

  GrooveScore read() {
    try {
      return score();
    } catch (const smf::Damaged& error) {
      throw std::invalid_argument("Not a readable Standard MIDI File: " + shown_ + ": " + error.what());
    } catch (const smf::TooLarge& error) {
      throw std::invalid_argument("Too large a MIDI file: " + shown_ + ": " + error.what());
    }
  }

 private:
  GrooveScore score() {
    const smf::File file(bytes_, kMaxMidiTracks);
    if (file.division() & 0x8000) {
      throw std::invalid_argument("Time in SMPTE frames is not read: the file needs ticks a quarter note");
    }
    if (file.division() == 0) {
      throw smf::Damaged("the header gives 0 ticks a quarter note");
    }
    ppqn_ = file.division();
    check_events(file);
    bars();
    return hits(file);
  }

  // Every event of the file, checked; the tempo map and whether channel 10
  // plays at all kept.
  void check_events(const smf::File& file) {
    std::vector<MetaChange> changes;
    std::size_t events = 0;
    for (std::size_t t = 0; t < file.tracks(); ++t) {
      smf::Track track = file.track(t);
      smf::Event e;
      while (track.next(e)) {
        if (++events > kMaxMidiEvents) {
          throw smf::TooLarge("track " + std::to_string(t + 1) + ", event " + std::to_string(e.number) +
                              ": more events than the limit of " + std::to_string(kMaxMidiEvents) + " a file");
        }
        const auto fault = [&](const std::string& what) {
          return smf::Damaged("track " + std::to_string(t + 1) + ", event " + std::to_string(e.number) + ": " + what);
        };
        if (e.status == 0xFF && e.meta_type == 0x51) {
          if (e.payload.size() != 3) {
            throw fault("a tempo event of " + std::to_string(e.payload.size()) + " bytes, not 3");
          }
          const std::uint32_t microseconds = std::uint32_t{e.payload[0]} << 16 | std::uint32_t{e.payload[1]} << 8 |
                                             e.payload[2];
          if (microseconds == 0) {
            throw fault("a tempo of 0 microseconds a quarter note");
          }
          changes.push_back({e.tick, true, microseconds, 0, 0});
        } else if (e.status == 0xFF && e.meta_type == 0x58) {
          if (e.payload.size() != 4) {
            throw fault("a time signature event of " + std::to_string(e.payload.size()) + " bytes, not 4");
          }
          changes.push_back({e.tick, false, 0, e.payload[0], e.payload[1]});
        } else if ((e.status & 0xF0) == 0x90 && (e.status & 0x0F) == kPercussionChannel && e.data[1] != 0) {
          percussion_ = true;
        }
      }
    }
    // Tracks play together: at one tick, a later track's event comes later.
    std::stable_sort(changes.begin(), changes.end(),
                     [](const MetaChange& a, const MetaChange& b) { return a.tick < b.tick; });
    tempo_map_.push_back({0, 500'000, 4, 2});
    for (const MetaChange& c : changes) {
      if (tempo_map_.back().tick != c.tick) {
        TempoEntry next = tempo_map_.back();
        next.tick = c.tick;
        tempo_map_.push_back(next);
      }
      TempoEntry& entry = tempo_map_.back();
      if (c.tempo) {
        entry.microseconds_per_quarter = c.microseconds_per_quarter;
      } else {
        entry.numerator = c.numerator;
        entry.denominator_power = c.denominator_power;
      }
    }
  }

  // The entry in force at a tick: the last one at or before it.
  std::size_t entry_at(std::int64_t tick) const {
    const auto after = std::upper_bound(tempo_map_.begin(), tempo_map_.end(), tick,
                                        [](std::int64_t t, const TempoEntry& e) { return t < e.tick; });
    return static_cast<std::size_t>(after - tempo_map_.begin()) - 1;
  }

  // Bars are counted from the start, each as long as the metre in force at
  // its start says; a stretch of one metre is crossed at once.
  void bars() {
    std::int64_t start = 0;
    std::int64_t bar = 1;
    while (bar < selection_.first_bar) {
      const std::size_t i = entry_at(start);
      const std::int64_t length = bar_ticks(tempo_map_[i], ppqn_);
      if (length == 0) {
        break;  // bars of no length: every later bar starts here
      }
      std::int64_t count = selection_.first_bar - bar;
      if (i + 1 < tempo_map_.size()) {
        count = std::min(count, (tempo_map_[i + 1].tick - start + length - 1) / length);
      }
      start += count * length;
      bar += count;
      if (start > kLastTick) {
        throw std::invalid_argument("The file ends long before bar " + std::to_string(selection_.first_bar));
      }
    }
    const TempoEntry& in_force = tempo_map_[entry_at(start)];
    if (in_force.denominator_power != 2) {
      throw std::invalid_argument("Time signature " + metre(in_force) + " at " + bars_text(selection_) +
                                  ": only x/4 is read");
    }
    if (in_force.numerator < 1 || in_force.numerator > kMaxBeatsPerBar) {
      throw std::invalid_argument("Time signature " + metre(in_force) + " at " + bars_text(selection_) +
                                  ": bars of 1 to 7 beats are read");
    }
    const std::int64_t end = start + std::int64_t{selection_.bars} * in_force.numerator * ppqn_;
    for (const TempoEntry& t : tempo_map_) {
      if (t.tick > start && t.tick < end) {
        if (t.microseconds_per_quarter != in_force.microseconds_per_quarter) {
          throw std::invalid_argument("Tempo change inside " + bars_text(selection_) + ", at tick " +
                                      std::to_string(t.tick));
        }
        if (t.numerator != in_force.numerator || t.denominator_power != in_force.denominator_power) {
          throw std::invalid_argument("Time signature change inside " + bars_text(selection_) + ", at tick " +
                                      std::to_string(t.tick) + ": " + metre(in_force) + " to " + metre(t));
        }
      }
    }
    start_ = start;
    end_ = end;
    microseconds_per_quarter_ = in_force.microseconds_per_quarter;
  }

  struct Note {
    std::int64_t tick;
    const char* instrument;
    int velocity;
  };

  GrooveScore hits(const smf::File& file) {
    if (!percussion_) {
      throw std::invalid_argument("No percussion channel: no note is played on channel 10");
    }
    std::vector<Note> notes;
    for (std::size_t t = 0; t < file.tracks(); ++t) {
      smf::Track track = file.track(t);
      smf::Event e;
      // Nothing past the chosen bars is needed: each track is read only so far.
      while (track.next(e) && e.tick < end_) {
        const int channel = e.status & 0x0F;
        if ((e.status & 0xF0) != 0x90 || e.data[1] == 0 || e.tick < start_) {
          continue;  // only note-ons strike
        }
        const char* instrument = nullptr;
        if (channel == kPercussionChannel) {
          instrument = instrument_of_note(e.data[0]);
        } else if (selection_.bass_channel && channel == *selection_.bass_channel - 1) {
          instrument = "bass";
        }
        if (instrument == nullptr) {
          continue;
        }
        if (notes.size() == kMaxGrooveHits) {
          throw std::invalid_argument("Too many hits: track " + std::to_string(t + 1) + ", event " +
                                      std::to_string(e.number) + ": more than the limit of " +
                                      std::to_string(kMaxGrooveHits) + " in " + bars_text(selection_));
        }
        notes.push_back({e.tick, instrument, e.data[1]});
      }
    }
    if (notes.empty()) {
      throw std::invalid_argument("No drum hit in " + bars_text(selection_));
    }
    // Tracks play together: at one tick, a later track's note comes later.
    std::stable_sort(notes.begin(), notes.end(), [](const Note& a, const Note& b) { return a.tick < b.tick; });
    std::vector<GrooveHit> hits;
    hits.reserve(notes.size());
    std::map<std::string_view, int> next_side;  // alternates per instrument, from the right
    for (const Note& note : notes) {
      int& side = next_side.try_emplace(note.instrument, 1).first->second;
      const double pip = static_cast<double>(note.tick - start_) * PIPS_PER_BEAT / ppqn_;
      hits.push_back({pip, note.instrument, note.velocity / kMaxVelocity, side});
      side = -side;
    }
    const double bpm = 60'000'000.0 / microseconds_per_quarter_;
    return GrooveScore(static_cast<int>(end_ - start_) * PIPS_PER_BEAT / ppqn_, std::move(hits), bpm);
  }

  std::span<const unsigned char> bytes_;
  const MidiSelection& selection_;
  std::string shown_;
  int ppqn_ = 0;
  bool percussion_ = false;
  std::vector<TempoEntry> tempo_map_;
  std::int64_t start_ = 0;
  std::int64_t end_ = 0;
  std::uint32_t microseconds_per_quarter_ = 0;
};

std::string os_reason(int error) { return std::generic_category().message(error); }

// A file descriptor closed on every way out.
struct Descriptor {
  int fd;
  ~Descriptor() {
    if (fd >= 0) {
      ::close(fd);
    }
  }
};

// The whole of a regular file no larger than the limit. Opening does not wait
// (a FIFO without a writer would block forever), and what is not a regular
// file is refused before a byte is read.
std::vector<unsigned char> file_bytes(const std::filesystem::path& file, const std::string& shown) {
  const Descriptor d{::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
  if (d.fd < 0) {
    throw std::invalid_argument("Cannot open " + shown + ": " + os_reason(errno));
  }
  struct stat status {};
  if (::fstat(d.fd, &status) != 0) {
    throw std::invalid_argument("Cannot open " + shown + ": " + os_reason(errno));
  }
  if (S_ISDIR(status.st_mode)) {
    throw std::invalid_argument("Cannot open " + shown + ": " + os_reason(EISDIR));
  }
  if (!S_ISREG(status.st_mode)) {
    const char* kind = S_ISFIFO(status.st_mode)  ? "a FIFO"
                       : S_ISCHR(status.st_mode) ? "a character device"
                       : S_ISBLK(status.st_mode) ? "a block device"
                                                 : "a special file";
    throw std::invalid_argument("Cannot open " + shown + ": not a regular file but " + kind);
  }
  if (static_cast<std::uintmax_t>(status.st_size) > kMaxMidiFileBytes) {
    throw std::invalid_argument("Too large a MIDI file: " + shown + ": " + std::to_string(status.st_size) +
                                " bytes, more than the limit of " + std::to_string(kMaxMidiFileBytes));
  }
  // One byte more than stated tells a file that grew while read.
  std::vector<unsigned char> bytes(static_cast<std::size_t>(status.st_size) + 1);
  std::size_t have = 0;
  while (have < bytes.size()) {
    const ssize_t got = ::read(d.fd, bytes.data() + have, bytes.size() - have);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got < 0) {
      throw std::invalid_argument("Cannot read " + shown + ": " + os_reason(errno));
    }
    if (got == 0) {
      break;
    }
    have += static_cast<std::size_t>(got);
  }
  if (have > static_cast<std::size_t>(status.st_size)) {
    throw std::invalid_argument("Cannot read " + shown + ": it grew while it was read");
  }
  bytes.resize(have);
  return bytes;
}

}  // namespace

namespace groove_midi {

GrooveScore midi_score(std::span<const unsigned char> bytes, const MidiSelection& selection, std::string_view shown) {
  check_selection(selection);
  return MidiReader(bytes, selection, shown).read();
}

}  // namespace groove_midi

GrooveScore read_midi(const std::filesystem::path& file, const MidiSelection& selection) {
  check_selection(selection);
  const std::string shown = groove_text::printable(file.string());
  const std::vector<unsigned char> bytes = file_bytes(file, shown);
  return groove_midi::midi_score(bytes, selection, shown);
}

GrooveScore read_groove_file(const std::filesystem::path& file, const MidiSelection& selection) {
  check_selection(selection);
  const std::string shown = groove_text::printable(file.string());
  const std::vector<unsigned char> bytes = file_bytes(file, shown);
  constexpr std::string_view kMidi = "MThd";
  if (bytes.size() >= kMidi.size() && std::equal(kMidi.begin(), kMidi.end(), bytes.begin())) {
    return groove_midi::midi_score(bytes, selection, shown);
  }
  return read_step_lanes(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

}  // namespace pipmoves::play

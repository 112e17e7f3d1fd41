// The drum part of a Standard MIDI File, read with libsmf: General MIDI
// percussion on channel 10 (and, when asked, a bass channel) within whole
// bars of one x/4 metre and one tempo.

#include <smf.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

#include "engine.hpp"

namespace pipmoves::play {
namespace {

constexpr int kPercussionChannel = 9;  // channel 10, counted from 0
constexpr int kMaxBars = 4;
constexpr int kMaxBeatsPerBar = GrooveScore::kMaxBeats / kMaxBars;
constexpr double kMaxVelocity = 127.0;
constexpr std::size_t kMaxFileBytes = std::size_t{1} << 28;

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

struct SmfDeleter {
  void operator()(smf_t* smf) const { smf_delete(smf); }
};

std::string bars_text(const MidiSelection& s) {
  return s.bars == 1 ? "bar " + std::to_string(s.first_bar)
                     : "bars " + std::to_string(s.first_bar) + " to " + std::to_string(s.first_bar + s.bars - 1);
}

// The tempo map entry in force at a tick: the last one at or before it.
const smf_tempo_t* tempo_at(smf_t* smf, int tick) {
  const smf_tempo_t* found = smf_get_tempo_by_number(smf, 0);
  for (int i = 1;; ++i) {
    const smf_tempo_t* t = smf_get_tempo_by_number(smf, i);
    if (t == nullptr || t->time_pulses > tick) {
      return found;
    }
    found = t;
  }
}

// libsmf trusts a file's chunk lengths and aborts on some damaged files, so
// every chunk and every event is walked here first; a file that passes holds
// nothing libsmf could read past.
class Structure {
 public:
  explicit Structure(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}

  bool whole() {
    if (bytes_.size() < 14 || !tag_at(0, "MThd") || be32(4) < 6) {
      return false;
    }
    std::size_t at = 8 + be32(4);
    const std::size_t tracks = be16(10);
    std::size_t found = 0;
    while (at + 8 <= bytes_.size()) {
      const std::size_t length = be32(at + 4);
      if (length > bytes_.size() - at - 8) {
        return false;
      }
      if (tag_at(at, "MTrk")) {
        if (!track(at + 8, at + 8 + length)) {
          return false;
        }
        ++found;
      }
      at += 8 + length;
    }
    return at == bytes_.size() && found == tracks && found > 0;
  }

 private:
  bool tag_at(std::size_t at, const char* tag) const { return std::equal(tag, tag + 4, bytes_.begin() + at); }
  std::size_t be16(std::size_t at) const { return std::size_t{bytes_[at]} << 8 | bytes_[at + 1]; }
  std::size_t be32(std::size_t at) const {
    return std::size_t{bytes_[at]} << 24 | std::size_t{bytes_[at + 1]} << 16 | std::size_t{bytes_[at + 2]} << 8 |
           bytes_[at + 3];
  }

  // A variable-length quantity of at most four bytes, within [at, end).
  bool quantity(std::size_t& at, std::size_t end, std::size_t& value) const {
    value = 0;
    for (int k = 0; k < 4; ++k) {
      if (at >= end) {
        return false;
      }
      const unsigned char b = bytes_[at++];
      value = value << 7 | (b & 0x7F);
      if ((b & 0x80) == 0) {
        return true;
      }
    }
    return false;
  }

  bool track(std::size_t at, std::size_t end) const {
    int running = 0;
    bool ended = false;
    while (at < end) {
      std::size_t delta = 0;
      std::size_t length = 0;
      if (ended || !quantity(at, end, delta) || at >= end) {
        return false;
      }
      int status = bytes_[at];
      if (status & 0x80) {
        ++at;
      } else if (running == 0) {
        return false;
      } else {
        status = running;
      }
      if (status == 0xFF) {
        if (at >= end) {
          return false;
        }
        const int type = bytes_[at++];
        if (!quantity(at, end, length) || length > end - at) {
          return false;
        }
        ended = type == 0x2F;
        at += length;
        running = 0;
      } else if (status == 0xF0 || status == 0xF7) {
        if (!quantity(at, end, length) || length > end - at) {
          return false;
        }
        at += length;
        running = 0;
      } else if (status >= 0xF0) {
        return false;  // system messages have no place in a file
      } else {
        const std::size_t data = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
        if (data > end - at) {
          return false;
        }
        for (std::size_t k = 0; k < data; ++k) {
          if (bytes_[at + k] & 0x80) {
            return false;
          }
        }
        at += data;
        running = status;
      }
    }
    return ended;
  }

  const std::vector<unsigned char>& bytes_;
};

std::vector<unsigned char> file_bytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::vector<unsigned char> bytes;
  if (in) {
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (!in && !in.eof()) {
    bytes.clear();
  }
  return bytes;
}

std::string metre(const smf_tempo_t* t) { return std::to_string(t->numerator) + "/" + std::to_string(t->denominator); }

}  // namespace

GrooveScore read_midi(const std::filesystem::path& file, const MidiSelection& selection) {
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
  const std::vector<unsigned char> bytes = file_bytes(file);
  if (bytes.empty() || bytes.size() > kMaxFileBytes || !Structure(bytes).whole()) {
    throw std::invalid_argument("Not a readable Standard MIDI File: " + file.string());
  }
  const std::unique_ptr<smf_t, SmfDeleter> smf(smf_load_from_memory(bytes.data(), static_cast<int>(bytes.size())));
  if (!smf) {
    throw std::invalid_argument("Not a readable Standard MIDI File: " + file.string());
  }
  if (smf->ppqn <= 0) {
    throw std::invalid_argument("Time in SMPTE frames is not read: the file needs ticks a quarter note");
  }
  const int ppqn = smf->ppqn;

  // Bars are counted from the start, each as long as the metre in force says.
  long long start = 0;
  for (int bar = 1; bar < selection.first_bar; ++bar) {
    const smf_tempo_t* t = tempo_at(smf.get(), static_cast<int>(std::min<long long>(start, INT32_MAX)));
    start += static_cast<long long>(t->numerator) * 4 * ppqn / std::max(t->denominator, 1);
    if (start > INT32_MAX) {
      throw std::invalid_argument("The file ends long before bar " + std::to_string(selection.first_bar));
    }
  }
  const smf_tempo_t* in_force = tempo_at(smf.get(), static_cast<int>(start));
  if (in_force->denominator != 4) {
    throw std::invalid_argument("Time signature " + metre(in_force) + " at " + bars_text(selection) +
                                ": only x/4 is read");
  }
  if (in_force->numerator < 1 || in_force->numerator > kMaxBeatsPerBar) {
    throw std::invalid_argument("Time signature " + metre(in_force) + " at " + bars_text(selection) +
                                ": bars of 1 to 7 beats are read");
  }
  const long long end = start + static_cast<long long>(selection.bars) * in_force->numerator * ppqn;
  for (int i = 0;; ++i) {
    const smf_tempo_t* t = smf_get_tempo_by_number(smf.get(), i);
    if (t == nullptr) {
      break;
    }
    if (t->time_pulses > start && t->time_pulses < end) {
      if (t->microseconds_per_quarter_note != in_force->microseconds_per_quarter_note) {
        throw std::invalid_argument("Tempo change inside " + bars_text(selection) + ", at tick " +
                                    std::to_string(t->time_pulses));
      }
      if (t->numerator != in_force->numerator || t->denominator != in_force->denominator) {
        throw std::invalid_argument("Time signature change inside " + bars_text(selection) + ", at tick " +
                                    std::to_string(t->time_pulses) + ": " + metre(in_force) + " to " + metre(t));
      }
    }
  }

  bool percussion = false;
  std::vector<GrooveHit> hits;
  std::map<std::string, int> next_side;  // alternates per instrument, from the right
  smf_rewind(smf.get());
  while (smf_event_t* event = smf_get_next_event(smf.get())) {
    if (smf_event_is_metadata(event) || event->midi_buffer_length < 3) {
      continue;
    }
    const int status = event->midi_buffer[0];
    const int velocity = event->midi_buffer[2];
    if ((status & 0xF0) != 0x90 || velocity == 0) {
      continue;  // only note-ons strike
    }
    const int channel = status & 0x0F;
    const char* instrument = nullptr;
    if (channel == kPercussionChannel) {
      percussion = true;
      instrument = instrument_of_note(event->midi_buffer[1]);
    } else if (selection.bass_channel && channel == *selection.bass_channel - 1) {
      instrument = "bass";
    }
    if (instrument == nullptr || event->time_pulses < start || event->time_pulses >= end) {
      continue;
    }
    int& side = next_side.try_emplace(instrument, 1).first->second;
    const double pip = static_cast<double>(event->time_pulses - start) * PIPS_PER_BEAT / ppqn;
    hits.push_back({pip, instrument, velocity / kMaxVelocity, side});
    side = -side;
  }
  if (!percussion) {
    throw std::invalid_argument("No percussion channel: no note is played on channel 10");
  }
  if (hits.empty()) {
    throw std::invalid_argument("No drum hit in " + bars_text(selection));
  }
  const double bpm = 60'000'000.0 / in_force->microseconds_per_quarter_note;
  return GrooveScore(static_cast<int>(end - start) * PIPS_PER_BEAT / ppqn, std::move(hits), bpm);
}

}  // namespace pipmoves::play

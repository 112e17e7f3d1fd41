// The MIDI reader on files built byte by byte: what the format allows is
// read, every damaged or oversized file is refused by a message naming the
// track and event, and only regular files are opened.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "midi_score.hpp"
#include "pipmoves/play/groove.hpp"

namespace pipmoves::play {
namespace {

using Bytes = std::vector<unsigned char>;

void append(Bytes& out, std::initializer_list<unsigned> bytes) {
  for (unsigned b : bytes) {
    out.push_back(static_cast<unsigned char>(b));
  }
}
void append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

void be32(Bytes& out, std::size_t v) { append(out, {unsigned(v >> 24) & 255, unsigned(v >> 16) & 255, unsigned(v >> 8) & 255, unsigned(v) & 255}); }

Bytes chunk(const char* tag, const Bytes& body) {
  Bytes out(tag, tag + 4);
  be32(out, body.size());
  append(out, body);
  return out;
}

// A header of `extra` further bytes, then the chunks.
Bytes smf(std::initializer_list<Bytes> chunks, unsigned tracks = 0, unsigned division = 96, std::size_t extra = 0,
          unsigned format = 1) {
  Bytes header;
  append(header, {format >> 8, format & 255, 0, 0, division >> 8, division & 255});
  header.resize(6 + extra, 0);
  unsigned found = 0;
  for (const Bytes& c : chunks) {
    found += c.size() >= 4 && c[0] == 'M' && c[1] == 'T' && c[2] == 'r' && c[3] == 'k';
  }
  tracks = tracks == 0 ? found : tracks;
  header[2] = static_cast<unsigned char>(tracks >> 8);
  header[3] = static_cast<unsigned char>(tracks & 255);
  Bytes out = chunk("MThd", header);
  for (const Bytes& c : chunks) {
    append(out, c);
  }
  return out;
}

const Bytes kEnd = {0, 0xFF, 0x2F, 0};
const Bytes kKick = {0, 0x99, 36, 127};  // a kick at the track's tick

Bytes track(std::initializer_list<Bytes> events, bool ended = true) {
  Bytes body;
  for (const Bytes& e : events) {
    append(body, e);
  }
  if (ended) {
    append(body, kEnd);
  }
  return chunk("MTrk", body);
}

GrooveScore read(const Bytes& bytes, MidiSelection selection = {}) {
  return groove_midi::midi_score(bytes, selection, "mem.mid");
}

std::string refusal(const Bytes& bytes, MidiSelection selection = {}) {
  try {
    read(bytes, selection);
  } catch (const std::invalid_argument& error) {
    return error.what();
  }
  return "no error";
}

// ---- what the format allows ------------------------------------------------

struct Readable {
  const char* what;
  Bytes file;
  std::vector<GrooveHit> hits;
};

class ReadsWhatTheFormatAllows : public ::testing::TestWithParam<Readable> {};

TEST_P(ReadsWhatTheFormatAllows, AsItsHits) {
  const GrooveScore score = read(GetParam().file);
  EXPECT_EQ(score.hits(), GetParam().hits);
  EXPECT_EQ(score.period_pips(), 256);
}

const GrooveHit kKickHit{0.0, "kick", 1.0, 1};

INSTANTIATE_TEST_SUITE_P(
    Files, ReadsWhatTheFormatAllows,
    ::testing::Values(
        Readable{"an escape event", smf({track({{0, 0xF7, 1, 0xF8}, kKick})}), {kKickHit}},
        Readable{"a sysex packet and its continuation",
                 smf({track({{0, 0xF0, 2, 0x7E, 0x7F}, {0, 0xF7, 1, 0xF7}, kKick})}), {kKickHit}},
        Readable{"an unknown chunk before the track", smf({chunk("XFIh", {1, 2, 3}), track({kKick})}), {kKickHit}},
        Readable{"a header of eight bytes", smf({track({kKick})}, 0, 96, 2), {kKickHit}},
        Readable{"running status", smf({track({{0, 0x99, 36, 127, 96, 38, 127}})}),
                 {kKickHit, {64.0, "snare", 1.0, 1}}},
        Readable{"a note-on of velocity 0 ends a note", smf({track({kKick, {0, 0x99, 38, 0}})}), {kKickHit}},
        Readable{"delta times summing past 2^31 ticks after the bars",
                 smf({track({kKick, {0xFF, 0xFF, 0xFF, 0x7F, 0x89, 36, 0}, {0xFF, 0xFF, 0xFF, 0x7F, 0x89, 36, 0},
                              {0xFF, 0xFF, 0xFF, 0x7F, 0x89, 36, 0}, {0xFF, 0xFF, 0xFF, 0x7F, 0x89, 36, 0},
                              {0xFF, 0xFF, 0xFF, 0x7F, 0x89, 36, 0}, {0xFF, 0xFF, 0xFF, 0x7F, 0x89, 36, 0},
                              {0xFF, 0xFF, 0xFF, 0x7F, 0x89, 36, 0}, {0xFF, 0xFF, 0xFF, 0x7F, 0x89, 36, 0},
                              {0xFF, 0xFF, 0xFF, 0x7F, 0x89, 36, 0}})}),
                 {kKickHit}},
        // Tracks play together; sides alternate in the order they sound.
        Readable{"two tracks at one tick", smf({track({kKick, {96, 0x99, 36, 127}}), track({kKick})}),
                 {kKickHit, {0.0, "kick", 1.0, -1}, {64.0, "kick", 1.0, 1}}}),
    [](const auto& info) {
      std::string name;
      for (const char c : std::string(info.param.what)) {
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      }
      return name;
    });

// ---- what is refused, and where -------------------------------------------

struct Refused {
  const char* what;
  Bytes file;
  MidiSelection selection;
  std::string message;
};

class RefusesDamagedFiles : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusesDamagedFiles, NamingWhereAndWhy) { EXPECT_EQ(refusal(GetParam().file, GetParam().selection), GetParam().message); }

const std::string kDamaged = "Not a readable Standard MIDI File: mem.mid: ";

Bytes many_events(std::size_t count) {
  Bytes body = {0, 0x99, 36, 127};
  for (std::size_t k = 1; k + 1 < count; ++k) {
    append(body, {0, 36, 0});  // running status
  }
  append(body, kEnd);
  return smf({chunk("MTrk", body)});
}

Bytes many_hits(std::size_t count) {
  Bytes body = {0, 0x99, 36, 127};
  for (std::size_t k = 1; k < count; ++k) {
    append(body, {0, 36, 127});
  }
  append(body, kEnd);
  return smf({chunk("MTrk", body)});
}

Bytes cut(Bytes bytes, std::size_t drop) {
  bytes.resize(bytes.size() - drop);
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, RefusesDamagedFiles,
    ::testing::Values(
        Refused{"a tempo event of no bytes", smf({track({{0, 0xFF, 0x51, 0}, kKick})}), {},
                kDamaged + "track 1, event 1: a tempo event of 0 bytes, not 3"},
        Refused{"a tempo of zero", smf({track({kKick, {0, 0xFF, 0x51, 3, 0, 0, 0}})}), {},
                kDamaged + "track 1, event 2: a tempo of 0 microseconds a quarter note"},
        Refused{"a short time signature", smf({track({kKick}), track({{0, 0xFF, 0x58, 2, 4, 2}})}), {},
                kDamaged + "track 2, event 1: a time signature event of 2 bytes, not 4"},
        Refused{"a meta event past the track's end", smf({track({kKick, {0, 0xFF, 0x01, 9, 'a'}}, false)}), {},
                kDamaged + "track 1, event 2: a meta event of 9 bytes runs past the track's end"},
        Refused{"a sysex event past the track's end", smf({track({{0, 0xF7, 0x8F, 0x7F}}, false)}), {},
                kDamaged + "track 1, event 1: a sysex event of 2047 bytes runs past the track's end"},
        Refused{"a delta time of five bytes", smf({track({{0x81, 0x81, 0x81, 0x81, 0x01, 0x99, 36, 1}})}), {},
                kDamaged + "track 1, event 1: a delta time longer than four bytes"},
        Refused{"no end-of-track event", smf({track({kKick}, false)}), {},
                kDamaged + "track 1, event 2: the track ends without an end-of-track event"},
        Refused{"bytes after the end of the track", smf({chunk("MTrk", {0, 0xFF, 0x2F, 0, 0, 0x99, 36, 1})}), {},
                kDamaged + "track 1, event 1: 4 bytes after the end-of-track event"},
        Refused{"a data byte with no status", smf({track({{0, 36, 127}})}), {},
                kDamaged + "track 1, event 1: a data byte 0x24 where a status byte is due"},
        Refused{"running status after a meta event", smf({track({kKick, {0, 0xFF, 0x01, 0}, {0, 36, 1}})}), {},
                kDamaged + "track 1, event 3: a data byte 0x24 where a status byte is due"},
        Refused{"a status byte inside a message", smf({track({{0, 0x99, 36, 0x99}})}), {},
                kDamaged + "track 1, event 1: a status byte 0x99 where a data byte is due"},
        Refused{"a system message", smf({track({{0, 0xF8}})}), {},
                kDamaged + "track 1, event 1: a system message 0xF8 has no place in a file"},
        Refused{"a message cut short", smf({chunk("MTrk", {0, 0x99, 36})}), {},
                kDamaged + "track 1, event 1: a channel message cut short by the track's end"},
        Refused{"a header of five bytes", chunk("MThd", {0, 1, 0, 1, 0}), {},
                kDamaged + "a header chunk of 5 bytes, fewer than 6"},
        Refused{"no header", Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0}, {}, kDamaged + "no MThd header chunk at the start"},
        Refused{"a file cut inside a chunk", cut(smf({track({kKick})}), 2), {},
                kDamaged + "the chunk 'MTrk' at byte 14 of 8 bytes runs past the end of the file"},
        Refused{"a file cut inside a chunk header", cut(smf({track({kKick}), track({kKick})}), 13), {},
                kDamaged + "3 bytes after the last chunk, too few for another"},
        Refused{"fewer tracks than the header gives", smf({track({kKick})}, 2), {},
                kDamaged + "the header gives 2 tracks, the file holds 1"},
        Refused{"more tracks than the header gives", smf({track({kKick}), track({kKick})}, 1), {},
                kDamaged + "more track chunks than the 1 the header gives"},
        Refused{"no track", smf({chunk("XFIh", {})}), {}, kDamaged + "the header gives no track"},
        Refused{"format 3", smf({track({kKick})}, 0, 96, 0, 3), {}, kDamaged + "format 3, none of 0, 1 and 2"},
        Refused{"no ticks a quarter note", smf({track({kKick})}, 0, 0), {},
                kDamaged + "the header gives 0 ticks a quarter note"},
        Refused{"SMPTE time", smf({track({kKick})}, 0, 0xE728), {},
                "Time in SMPTE frames is not read: the file needs ticks a quarter note"},
        Refused{"more tracks than the limit", smf({track({kKick})}, 1025), {},
                "Too large a MIDI file: mem.mid: the header gives 1025 tracks, more than the limit of 1024"},
        Refused{"more events than the limit", many_events(kMaxMidiEvents + 1), {},
                "Too large a MIDI file: mem.mid: track 1, event 1048577: more events than the limit of 1048576 a "
                "file"},
        Refused{"more hits than the limit", many_hits(kMaxGrooveHits + 1), {},
                "Too many hits: track 1, event " + std::to_string(kMaxGrooveHits + 1) +
                    ": more than the limit of " + std::to_string(kMaxGrooveHits) + " in bar 1"},
        Refused{"a bar past 2^31 ticks", smf({track({kKick})}), {.first_bar = 5'600'000},
                "The file ends long before bar 5600000"},
        Refused{"a time signature of 2^40", smf({track({{0, 0xFF, 0x58, 4, 4, 40, 24, 8}, kKick})}), {},
                "Time signature 4/2^40 at bar 1: only x/4 is read"},
        Refused{"bars of no length", smf({track({{0, 0xFF, 0x58, 4, 0, 2, 24, 8}, kKick})}),
                {.first_bar = 2'000'000'000}, "Time signature 0/4 at bar 2000000000: bars of 1 to 7 beats are read"}),
    [](const auto& info) {
      std::string name;
      for (const char c : std::string(info.param.what)) {
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
      }
      return name;
    });

TEST(MidiReader, FindsItsBarsAcrossChangesOfMetre) {
  // Two bars of 3/4, then 4/4: bar 3 starts at beat 6.
  const Bytes file = smf({track({{0, 0xFF, 0x58, 4, 3, 2, 24, 8}, {0x84, 0x40, 0xFF, 0x58, 4, 4, 2, 24, 8},
                                 {0, 0x99, 36, 127}, {0x83, 0x00, 0x99, 38, 127}})});
  const GrooveScore score = read(file, {.first_bar = 3, .bars = 2});
  EXPECT_EQ(score.period_pips(), 512);
  EXPECT_EQ(score.hits(), (std::vector<GrooveHit>{{0.0, "kick", 1.0, 1}, {256.0, "snare", 1.0, 1}}));
  EXPECT_EQ(score.tempo_bpm(), 120.0);
}

// ---- what is opened ----------------------------------------------------------

class MidiFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("pipmoves_midi_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  static std::string opened(const std::filesystem::path& path) {
    try {
      read_midi(path);
    } catch (const std::invalid_argument& error) {
      return error.what();
    }
    return "no error";
  }

  std::filesystem::path dir_;
};

TEST_F(MidiFiles, ThatCannotBeOpenedSayWhy) {
  const std::filesystem::path fifo = dir_ / "pipe.mid";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(opened(dir_ / "none.mid"), "Cannot open " + (dir_ / "none.mid").string() + ": No such file or directory");
  EXPECT_EQ(opened(dir_), "Cannot open " + dir_.string() + ": Is a directory");
  EXPECT_EQ(opened(fifo), "Cannot open " + fifo.string() + ": not a regular file but a FIFO");
  EXPECT_EQ(opened("/dev/zero"), "Cannot open /dev/zero: not a regular file but a character device");
}

TEST_F(MidiFiles, OfEitherKindAreReadByTheirFirstBytes) {
  const std::filesystem::path lanes = dir_ / "lanes.txt";
  const std::filesystem::path midi = dir_ / "drums.mid";
  std::ofstream(lanes) << "kick R... R...\n";
  const Bytes bytes = smf({track({kKick})});
  std::ofstream(midi, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  EXPECT_EQ(read_groove_file(lanes).hits().size(), 2u);
  EXPECT_EQ(read_groove_file(midi).hits(), std::vector<GrooveHit>{kKickHit});
  try {
    read_groove_file("/dev/zero");
    ADD_FAILURE() << "read";
  } catch (const std::invalid_argument& error) {
    EXPECT_STREQ(error.what(), "Cannot open /dev/zero: not a regular file but a character device");
  }
}

TEST_F(MidiFiles, LargerThanTheLimitAreRefusedBeforeReading) {
  const std::filesystem::path big = dir_ / "big.mid";
  std::ofstream(big).close();
  std::filesystem::resize_file(big, kMaxMidiFileBytes + 1);  // sparse: nothing is written
  EXPECT_EQ(opened(big), "Too large a MIDI file: " + big.string() + ": 16777217 bytes, more than the limit of 16777216");
}

TEST_F(MidiFiles, NamedInBytesThatAreNotUtf8AreShownEscaped) {
  const std::filesystem::path odd = dir_ / "dr\xff" "ms.mid";
  const Bytes bytes = smf({track({kKick})});
  std::ofstream(odd, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), 3);
  EXPECT_EQ(opened(odd), "Not a readable Standard MIDI File: " + dir_.string() +
                             "/dr\\xffms.mid: no MThd header chunk at the start");
}

}  // namespace
}  // namespace pipmoves::play

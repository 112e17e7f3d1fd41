#pragma once

// A Standard MIDI File read in one pass over bytes already in memory: the
// chunks are found once, and each track's events are decoded one at a time,
// every length checked against what is left of its chunk before it is used.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace pipmoves::play::smf {

// The bytes do not make a Standard MIDI File; what() says where and why.
struct Damaged : std::runtime_error {
  using std::runtime_error::runtime_error;
};
// The file is well formed but passes one of the reader's limits.
struct TooLarge : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Event {
  std::int64_t tick = 0;    // from the start of its track
  std::size_t number = 0;   // counted from 1 within its track
  unsigned char status = 0; // 0x80 to 0xEF a channel message, 0xF0 or 0xF7 sysex, 0xFF meta
  unsigned char data[2] = {0, 0};  // a channel message's data bytes
  unsigned char meta_type = 0;
  std::span<const unsigned char> payload;  // a meta or sysex event's bytes
};

class Track {
 public:
  Track(std::span<const unsigned char> bytes, std::size_t number) : bytes_(bytes), number_(number) {}

  // The next event into `event`, or false once the end-of-track event has
  // been given. Throws Damaged naming the track and event.
  bool next(Event& event);

 private:
  [[noreturn]] void fail(const std::string& what) const;
  std::uint32_t quantity(const char* what);

  std::span<const unsigned char> bytes_;
  std::size_t number_;
  std::size_t at_ = 0;
  std::size_t events_ = 0;
  std::int64_t tick_ = 0;
  unsigned char running_ = 0;
  bool ended_ = false;
};

class File {
 public:
  // Finds the header and the track chunks, skipping chunks of other kinds.
  // Throws Damaged, or TooLarge when the header gives more than max_tracks.
  File(std::span<const unsigned char> bytes, std::size_t max_tracks);

  int format() const noexcept { return format_; }
  // Ticks a quarter note, or an SMPTE timing when the top bit is set.
  int division() const noexcept { return division_; }
  std::size_t tracks() const noexcept { return tracks_.size(); }
  // Counted from 0.
  Track track(std::size_t index) const { return Track(tracks_.at(index), index + 1); }

 private:
  int format_ = 0;
  int division_ = 0;
  std::vector<std::span<const unsigned char>> tracks_;
};

}  // namespace pipmoves::play::smf

#include "smf_reader.hpp"

#include <cstdio>
#include <string_view>

#include "text.hpp"

namespace pipmoves::play::smf {
namespace {

std::uint32_t be16(std::span<const unsigned char> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at]) << 8 | b[at + 1];
}
std::uint32_t be32(std::span<const unsigned char> b, std::size_t at) {
  return be16(b, at) << 16 | be16(b, at + 2);
}

std::string tag_of(std::span<const unsigned char> b, std::size_t at) {
  return groove_text::printable(std::string_view(reinterpret_cast<const char*>(b.data() + at), 4));
}

std::string hex(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", value);
  return text;
}

}  // namespace

void Track::fail(const std::string& what) const {
  throw Damaged("track " + std::to_string(number_) + ", event " + std::to_string(events_) + ": " + what);
}

// A variable-length quantity: at most four bytes, seven bits each.
std::uint32_t Track::quantity(const char* what) {
  std::uint32_t value = 0;
  for (int k = 0; k < 4; ++k) {
    if (at_ >= bytes_.size()) {
      fail(std::string(what) + " cut short by the track's end");
    }
    const unsigned char b = bytes_[at_++];
    value = value << 7 | (b & 0x7Fu);
    if ((b & 0x80) == 0) {
      return value;
    }
  }
  fail(std::string(what) + " longer than four bytes");
}

bool Track::next(Event& event) {
  if (ended_) {
    return false;
  }
  ++events_;
  if (at_ >= bytes_.size()) {
    fail("the track ends without an end-of-track event");
  }
  // Ticks are summed in 64 bits: a track of the largest file allowed stays
  // far below their range, however long its delta times.
  tick_ += quantity("a delta time");
  event = Event{};
  event.tick = tick_;
  event.number = events_;
  if (at_ >= bytes_.size()) {
    fail("the track ends after a delta time");
  }
  unsigned char status = bytes_[at_];
  if (status & 0x80) {
    ++at_;
  } else if (running_ == 0) {
    fail("a data byte " + hex(status) + " where a status byte is due");
  } else {
    status = running_;
  }
  event.status = status;
  if (status == 0xFF || status == 0xF0 || status == 0xF7) {
    // Meta events and system exclusive packets (0xF7 also escapes any bytes)
    // carry their own length; they end running status.
    if (status == 0xFF) {
      if (at_ >= bytes_.size()) {
        fail("a meta event without its type");
      }
      event.meta_type = bytes_[at_++];
    }
    const std::uint32_t length = quantity(status == 0xFF ? "a meta event's length" : "a sysex event's length");
    if (length > bytes_.size() - at_) {
      fail(std::string(status == 0xFF ? "a meta event" : "a sysex event") + " of " + std::to_string(length) +
           " bytes runs past the track's end");
    }
    event.payload = bytes_.subspan(at_, length);
    at_ += length;
    running_ = 0;
    if (status == 0xFF && event.meta_type == 0x2F) {
      ended_ = true;
      if (at_ != bytes_.size()) {
        fail(std::to_string(bytes_.size() - at_) + " bytes after the end-of-track event");
      }
    }
    return true;
  }
  if (status >= 0xF0) {
    fail("a system message " + hex(status) + " has no place in a file");
  }
  const std::size_t data = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
  if (data > bytes_.size() - at_) {
    fail("a channel message cut short by the track's end");
  }
  for (std::size_t k = 0; k < data; ++k) {
    if (bytes_[at_ + k] & 0x80) {
      fail("a status byte " + hex(bytes_[at_ + k]) + " where a data byte is due");
    }
    event.data[k] = bytes_[at_ + k];
  }
  at_ += data;
  running_ = status;
  return true;
}

File::File(std::span<const unsigned char> bytes, std::size_t max_tracks) {
  if (bytes.size() < 8 || tag_of(bytes, 0) != "MThd") {
    throw Damaged("no MThd header chunk at the start");
  }
  const std::uint32_t header = be32(bytes, 4);
  // A longer header is allowed: its further bytes are skipped.
  if (header < 6) {
    throw Damaged("a header chunk of " + std::to_string(header) + " bytes, fewer than 6");
  }
  if (header > bytes.size() - 8) {
    throw Damaged("the header chunk runs past the end of the file");
  }
  format_ = static_cast<int>(be16(bytes, 8));
  const std::uint32_t promised = be16(bytes, 10);
  division_ = static_cast<int>(be16(bytes, 12));
  if (format_ > 2) {
    throw Damaged("format " + std::to_string(format_) + ", none of 0, 1 and 2");
  }
  if (promised == 0) {
    throw Damaged("the header gives no track");
  }
  if (promised > max_tracks) {
    throw TooLarge("the header gives " + std::to_string(promised) + " tracks, more than the limit of " +
                   std::to_string(max_tracks));
  }
  tracks_.reserve(promised);
  std::size_t at = 8 + std::size_t{header};
  while (at < bytes.size()) {
    if (bytes.size() - at < 8) {
      throw Damaged(std::to_string(bytes.size() - at) + " bytes after the last chunk, too few for another");
    }
    const std::uint32_t length = be32(bytes, at + 4);
    if (length > bytes.size() - at - 8) {
      throw Damaged("the chunk '" + tag_of(bytes, at) + "' at byte " + std::to_string(at) + " of " +
                    std::to_string(length) + " bytes runs past the end of the file");
    }
    // Chunks of other kinds are for other readers and are skipped.
    if (tag_of(bytes, at) == "MTrk") {
      if (tracks_.size() == promised) {
        throw Damaged("more track chunks than the " + std::to_string(promised) + " the header gives");
      }
      tracks_.push_back(bytes.subspan(at + 8, length));
    }
    at += 8 + std::size_t{length};
  }
  if (tracks_.size() != promised) {
    throw Damaged("the header gives " + std::to_string(promised) + " tracks, the file holds " +
                  std::to_string(tracks_.size()));
  }
}

}  // namespace pipmoves::play::smf

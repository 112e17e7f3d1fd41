#pragma once

#include <cstdint>
#include <string>

namespace pipmoves::play::stream {

// Where the audio comes from: a file libsndfile reads (WAV, FLAC and the
// like), played in real time, or raw mono PCM on standard input ("-").
struct AudioInput {
  enum class Format : std::uint8_t { s16, f32 };
  std::string path;
  Format format = Format::s16;
  std::int64_t rate = 48000;
};

}  // namespace pipmoves::play::stream

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "audio_tempo.hpp"

namespace pipmoves::play::stream {
namespace {

constexpr std::int64_t kRate = 22050;

std::vector<float> clicks(double bpm, double seconds) {
  std::mt19937 random(4);
  std::normal_distribution<float> noise(0.0f, 0.4f);
  std::vector<float> out(static_cast<std::size_t>(seconds * kRate));
  for (double t = 0.0; t < seconds; t += 60.0 / bpm) {
    const auto start = static_cast<std::size_t>(t * kRate);
    for (std::size_t i = 0; i < 1000 && start + i < out.size(); ++i) {
      out[start + i] += noise(random) * std::exp(-static_cast<float>(i) / 100.0f);
    }
  }
  return out;
}

TEST(RawPcm, DecodesLittleEndianSamplesSplitAcrossReads) {
  RawPcm s16(AudioInput::Format::s16);
  std::vector<float> out;
  const unsigned char first[] = {0x00, 0x40, 0x00};  // 16384, then half of -32768
  s16.decode(first, out);
  EXPECT_EQ(out, std::vector<float>{0.5f});
  const unsigned char second[] = {0x80};
  s16.decode(second, out);
  EXPECT_EQ(out, std::vector<float>{-1.0f});

  RawPcm f32(AudioInput::Format::f32);
  std::vector<unsigned char> bytes(12);
  const float values[] = {0.25f, std::numeric_limits<float>::quiet_NaN(), -0.5f};
  std::memcpy(bytes.data(), values, sizeof values);  // this machine is little-endian, as the line is
  f32.decode(std::span(bytes).first(5), out);
  EXPECT_EQ(out, std::vector<float>{0.25f});
  f32.decode(std::span(bytes).subspan(5), out);
  EXPECT_EQ(out, (std::vector<float>{0.0f, -0.5f}));  // a NaN on the line is silence
}

TEST(AudioFollower, LocksOntoHeardClicksAndSaysTheTempoOnce) {
  std::ostringstream log;
  AudioFollower follower(kRate, FollowSettings{}, log);
  const std::vector<float> audio = clicks(126.0, 16.0);
  double last = 0.0;
  for (std::size_t at = 0; at < audio.size(); at += kRate / 40) {
    follower.hear(std::span(audio).subspan(at, std::min<std::size_t>(kRate / 40, audio.size() - at)));
    const double position = follower.position_at(static_cast<double>(at) / kRate);
    ASSERT_GE(position, last);
    last = position;
  }
  const std::string said = log.str();
  ASSERT_EQ(said.rfind("pipmoves-play: following ", 0), 0u) << said;
  EXPECT_NEAR(std::stod(said.substr(std::strlen("pipmoves-play: following "))), 126.0, 1.0) << said;
  EXPECT_EQ(said.find('\n'), said.size() - 1) << said;  // said once: it never moved by more than 1 BPM
}

TEST(AudioTempo, RefusesWhatIsNoAudioFile) {
  const auto folder = std::filesystem::temp_directory_path();
  const auto text = folder / "pipmoves-not-audio.txt";
  std::ofstream(text) << "kick R...\n";
  std::ostringstream log;
  for (const std::string& path : {(folder / "pipmoves-no-such-file.wav").string(), text.string()}) {
    try {
      AudioTempo tempo(AudioInput{path}, FollowSettings{}, std::chrono::steady_clock::now(), log);
      ADD_FAILURE() << path;
    } catch (const std::runtime_error& error) {
      EXPECT_EQ(std::string(error.what()).rfind("cannot read audio from " + path + ": ", 0), 0u) << error.what();
    }
  }
  std::filesystem::remove(text);
}

// A mono 16-bit WAV file, written by hand.
void write_wav(const std::filesystem::path& path, const std::vector<float>& samples) {
  std::ofstream out(path, std::ios::binary);
  const auto put = [&out](std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
      out.put(static_cast<char>((value >> (8 * i)) & 0xff));
    }
  };
  const auto data = static_cast<std::uint32_t>(samples.size() * 2);
  out << "RIFF";
  put(36 + data, 4);
  out << "WAVEfmt ";
  put(16, 4), put(1, 2), put(1, 2), put(kRate, 4), put(kRate * 2, 4), put(2, 2), put(16, 2);
  out << "data";
  put(data, 4);
  for (const float sample : samples) {
    put(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(sample * 32767.0f))), 2);
  }
}

TEST(AudioTempo, PlaysAFileAndStopsWhenDestroyedNeverGoingBack) {
  const auto path = std::filesystem::temp_directory_path() / "pipmoves-clicks.wav";
  write_wav(path, clicks(120.0, 0.3));
  std::ostringstream log;
  {
    AudioTempo tempo(AudioInput{path.string()}, FollowSettings{}, std::chrono::steady_clock::now(), log);
    double last = 0.0;
    for (int k = 0; k < 50; ++k) {
      const double position = tempo.position_at(k * 0.01);
      ASSERT_GE(position, last);
      last = position;
    }
  }
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace pipmoves::play::stream

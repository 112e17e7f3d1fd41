#include "audio_tempo.hpp"

#include <fcntl.h>
#include <poll.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace pipmoves::play::stream {

AudioFollower::AudioFollower(std::int64_t sample_rate, FollowSettings settings, std::ostream& log,
                             double first_sample_seconds)
    : tracker_(sample_rate), clock_(settings), log_(log), offset_(first_sample_seconds) {}

void AudioFollower::hear(std::span<const float> mono) {
  const std::lock_guard lock(mutex_);
  for (const double beat : tracker_.feed(mono)) {
    clock_.beat(beat + offset_, tracker_.tempo_bpm(), tracker_.confidence());
  }
  if (clock_.locked() && (!said_bpm_ || std::abs(clock_.bpm() - *said_bpm_) > 1.0)) {
    said_bpm_ = clock_.bpm();
    log_ << "pipmoves-play: following " << std::round(*said_bpm_ * 10.0) / 10.0 << " BPM\n";
  }
}

void AudioFollower::first_sample_at(double seconds) {
  const std::lock_guard lock(mutex_);
  offset_ = seconds;
}

double AudioFollower::position_at(double seconds) {
  const std::lock_guard lock(mutex_);
  return clock_.position_at(seconds);
}

void RawPcm::decode(std::span<const unsigned char> bytes, std::vector<float>& out) {
  const std::size_t width = format_ == AudioInput::Format::s16 ? 2 : 4;
  partial_.insert(partial_.end(), bytes.begin(), bytes.end());
  const std::size_t whole = partial_.size() / width;
  out.clear();
  out.reserve(whole);
  for (std::size_t i = 0; i < whole; ++i) {
    const unsigned char* p = partial_.data() + i * width;
    if (width == 2) {
      const auto sample = static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | (p[1] << 8)));
      out.push_back(static_cast<float>(sample) / 32768.0f);
    } else {
      const std::uint32_t bits = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
                                 (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
      float sample = 0.0f;
      std::memcpy(&sample, &bits, sizeof sample);
      // A stray NaN on a live line is silence, not the end of the show.
      out.push_back(std::isfinite(sample) ? sample : 0.0f);
    }
  }
  partial_.erase(partial_.begin(), partial_.begin() + static_cast<std::ptrdiff_t>(whole * width));
}

struct AudioTempo::File {
  int fd = -1;
  SNDFILE* handle = nullptr;
  SF_INFO info{};
  ~File() {
    if (handle != nullptr) {
      sf_close(handle);
    }
    if (fd >= 0) {
      ::close(fd);
    }
  }
};

namespace {

// Opening does not wait (a FIFO without a writer would block forever), and a
// device or a FIFO is refused before a byte is read: a live line comes on
// standard input.
int open_regular(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    throw std::runtime_error("cannot read audio from " + path + ": " + std::strerror(errno));
  }
  struct stat status {};
  const int error = ::fstat(fd, &status) != 0 ? errno : S_ISDIR(status.st_mode) ? EISDIR : 0;
  if (error != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    throw std::runtime_error("cannot read audio from " + path + ": " +
                             (error != 0 ? std::strerror(error) : "not a regular file (a live line goes to --audio -)"));
  }
  return fd;
}

}  // namespace

AudioTempo::AudioTempo(const AudioInput& input, FollowSettings settings, std::chrono::steady_clock::time_point start,
                       std::ostream& log)
    : input_(input), start_(start) {
  std::int64_t rate = input.rate;
  if (input.path != "-") {
    file_ = std::make_unique<File>();
    file_->fd = open_regular(input.path);
    file_->handle = sf_open_fd(file_->fd, SFM_READ, &file_->info, SF_FALSE);
    if (file_->handle == nullptr) {
      throw std::runtime_error("cannot read audio from " + input.path + ": " + sf_strerror(nullptr));
    }
    if (file_->info.channels < 1 || file_->info.channels > 64) {
      throw std::runtime_error("cannot read audio from " + input.path + ": " +
                               std::to_string(file_->info.channels) + " channels");
    }
    rate = file_->info.samplerate;
  }
  follower_ = std::make_unique<AudioFollower>(rate, settings, log);
  reader_ = std::thread([this] { input_.path == "-" ? read_stdin() : read_file(); });
}

AudioTempo::~AudioTempo() {
  stop_.store(true);
  if (reader_.joinable()) {
    reader_.join();
  }
}

double AudioTempo::position_at(double seconds) { return follower_->position_at(seconds); }

// Plays the file in real time from the stream's start: each block is heard
// when it is due, as if from a speaker.
void AudioTempo::read_file() {
  const int channels = file_->info.channels;
  const auto frames = static_cast<sf_count_t>(std::max(1, file_->info.samplerate / 100));
  std::vector<float> interleaved(static_cast<std::size_t>(frames * channels));
  std::vector<float> mono(static_cast<std::size_t>(frames));
  std::int64_t heard = 0;
  while (!stop_.load()) {
    const sf_count_t got = sf_readf_float(file_->handle, interleaved.data(), frames);
    if (got <= 0) {
      return;  // the end: the clock holds
    }
    for (sf_count_t i = 0; i < got; ++i) {
      float sum = 0.0f;
      for (int c = 0; c < channels; ++c) {
        sum += interleaved[static_cast<std::size_t>(i * channels + c)];
      }
      const float sample = sum / static_cast<float>(channels);
      mono[static_cast<std::size_t>(i)] = std::isfinite(sample) ? sample : 0.0f;
    }
    heard += got;
    std::this_thread::sleep_until(start_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                               std::chrono::duration<double>(static_cast<double>(heard) /
                                                                             file_->info.samplerate)));
    follower_->hear(std::span(mono).first(static_cast<std::size_t>(got)));
  }
}

// Raw PCM as it arrives: the live line sets the pace.
void AudioTempo::read_stdin() {
  RawPcm pcm(input_.format);
  std::vector<unsigned char> bytes(8192);
  std::vector<float> mono;
  std::int64_t heard = 0;
  pollfd in{STDIN_FILENO, POLLIN, 0};
  while (!stop_.load()) {
    if (poll(&in, 1, 50) <= 0) {
      continue;
    }
    const ssize_t got = read(STDIN_FILENO, bytes.data(), bytes.size());
    if (got <= 0) {
      return;  // the line is gone: the clock holds
    }
    pcm.decode(std::span(bytes).first(static_cast<std::size_t>(got)), mono);
    if (heard == 0 && !mono.empty()) {
      const double now = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
      follower_->first_sample_at(now - static_cast<double>(mono.size()) / static_cast<double>(input_.rate));
    }
    heard += static_cast<std::int64_t>(mono.size());
    follower_->hear(mono);
  }
}

}  // namespace pipmoves::play::stream

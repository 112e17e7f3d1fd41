#include "osc_sender.hpp"

#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>

namespace pipmoves::play::stream {
namespace {

bool is_osc_path(const std::string& prefix) {
  if (prefix.size() < 2 || prefix.front() != '/' || prefix.back() == '/') {
    return false;
  }
  // Characters OSC reserves for address patterns, and whitespace.
  return prefix.find_first_of(" #*,?[]{}\t\n") == std::string::npos;
}

struct MessageFree {
  void operator()(lo_message message) const noexcept { lo_message_free(message); }
};
using Message = std::unique_ptr<std::remove_pointer_t<lo_message>, MessageFree>;

// Frees the bundle's messages with it.
struct BundleFree {
  void operator()(lo_bundle bundle) const noexcept { lo_bundle_free_recursive(bundle); }
};
using Bundle = std::unique_ptr<std::remove_pointer_t<lo_bundle>, BundleFree>;

// OSC counts time from 1900, in seconds and 2^-32ths of one.
lo_timetag timetag_of(std::chrono::system_clock::time_point when) {
  constexpr std::uint64_t kUnixFrom1900 = 2208988800ULL;
  const auto since = std::chrono::duration_cast<std::chrono::nanoseconds>(when.time_since_epoch()).count();
  const auto seconds = static_cast<std::uint64_t>(since / 1000000000);
  const auto nanos = static_cast<std::uint64_t>(since % 1000000000);
  return lo_timetag{static_cast<std::uint32_t>(seconds + kUnixFrom1900),
                    static_cast<std::uint32_t>((nanos << 32) / 1000000000)};
}

Message new_message() {
  Message message(lo_message_new());
  if (!message) {
    throw std::bad_alloc();
  }
  return message;
}

}  // namespace

OscSender::OscSender(const std::string& host, const std::string& port, const std::string& prefix,
                     std::size_t fixtures, std::optional<FixtureMap> map)
    : address_(nullptr), map_(std::move(map)) {
  if (!is_osc_path(prefix)) {
    throw std::invalid_argument("The address prefix must be an OSC path such as /pipmoves, not '" + prefix + "'");
  }
  pip_path_ = prefix + "/pip";
  fixture_paths_.reserve(fixtures);
  for (std::size_t n = 1; n <= fixtures; ++n) {
    fixture_paths_.push_back(prefix + "/fixture/" + std::to_string(n));
  }
  address_ = lo_address_new(host.c_str(), port.c_str());
  if (address_ == nullptr) {
    throw std::runtime_error("Cannot send to " + host + " port " + port);
  }
}

OscSender::~OscSender() { lo_address_free(address_); }

std::size_t OscSender::send(std::int32_t pip, std::span<const Offset3> frame,
                            std::chrono::system_clock::time_point shown) {
  const lo_timetag tag = timetag_of(shown);
  std::size_t failures = 0;
  Bundle bundle;
  std::size_t bytes = 0;
  const auto flush = [&] {
    if (bundle && lo_send_bundle(address_, bundle.get()) < 0) {
      ++failures;
    }
    bundle.reset();
  };
  // The bundle keeps the message and its path, so both must outlive it.
  const auto add = [&](const std::string& path, Message message) {
    const std::size_t size = lo_message_length(message.get(), path.c_str()) + 4;
    if (bundle && bytes + size > kMaxBundleBytes) {
      flush();
    }
    if (!bundle) {
      bundle.reset(lo_bundle_new(tag));
      if (!bundle) {
        throw std::bad_alloc();
      }
      bytes = 16;  // "#bundle" and the time tag
    }
    if (lo_bundle_add_message(bundle.get(), path.c_str(), message.get()) != 0) {
      throw std::bad_alloc();
    }
    static_cast<void>(message.release());
    bytes += size;
  };
  Message pip_message = new_message();
  lo_message_add_int32(pip_message.get(), pip);
  add(pip_path_, std::move(pip_message));
  for (std::size_t i = 0; i < frame.size() && i < fixture_paths_.size(); ++i) {
    const Offset3& at = frame[i];
    Message message = new_message();
    lo_message_add_float(message.get(), static_cast<float>(at.x));
    lo_message_add_float(message.get(), static_cast<float>(at.y));
    lo_message_add_float(message.get(), static_cast<float>(at.z));
    if (map_) {
      const PanTilt angles = map_->angles(at);
      const DmxPanTilt dmx = map_->dmx(at);
      lo_message_add_float(message.get(), static_cast<float>(angles.pan));
      lo_message_add_float(message.get(), static_cast<float>(angles.tilt));
      lo_message_add_int32(message.get(), dmx.pan());
      lo_message_add_int32(message.get(), dmx.tilt());
    }
    add(fixture_paths_[i], std::move(message));
  }
  flush();
  return failures;
}

std::string OscSender::last_error() const {
  const char* text = lo_address_errstr(address_);
  return text != nullptr ? text : "unknown error";
}

}  // namespace pipmoves::play::stream

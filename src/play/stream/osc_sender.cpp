#include "osc_sender.hpp"

#include <memory>
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

std::size_t OscSender::send(std::int32_t pip, std::span<const Offset3> frame) {
  std::size_t failures = 0;
  if (lo_send(address_, pip_path_.c_str(), "i", pip) < 0) {
    ++failures;
  }
  for (std::size_t i = 0; i < frame.size() && i < fixture_paths_.size(); ++i) {
    const Offset3& at = frame[i];
    const Message message(lo_message_new());
    if (!message) {
      throw std::bad_alloc();
    }
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
    if (lo_send_message(address_, fixture_paths_[i].c_str(), message.get()) < 0) {
      ++failures;
    }
  }
  return failures;
}

std::string OscSender::last_error() const {
  const char* text = lo_address_errstr(address_);
  return text != nullptr ? text : "unknown error";
}

}  // namespace pipmoves::play::stream

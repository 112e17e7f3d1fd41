#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include <lo/lo.h>

#include "pipmoves/offset3.hpp"
#include "pipmoves/play/fixture.hpp"

namespace pipmoves::play::stream {

// Sends a show's frames as Open Sound Control over UDP. A frame is the pip it
// shows, at <prefix>/pip ("i"), then one message a fixture at
// <prefix>/fixture/<n>, fixtures numbered from 1, carrying x, y, z and, with a
// fixture map, pan and tilt in degrees and their 16-bit DMX values: "fff" or
// "fffffii". A frame goes out as one bundle time-tagged with the moment it
// shows, so a receiver acts on the whole frame or none of it; a frame too
// big for one datagram is split into bundles of the same time tag.
class OscSender {
 public:
  // Throws std::invalid_argument for a prefix that is not an OSC path,
  // std::runtime_error for an address liblo cannot use.
  OscSender(const std::string& host, const std::string& port, const std::string& prefix, std::size_t fixtures,
            std::optional<FixtureMap> map);
  ~OscSender();
  OscSender(const OscSender&) = delete;
  OscSender& operator=(const OscSender&) = delete;

  // The most a bundle holds, below UDP's 65507 bytes.
  static constexpr std::size_t kMaxBundleBytes = 60000;

  // Sends the frame's bundle, tagged `shown`; returns how many bundles could
  // not be sent (a receiver that is not listening yet must not stop the show).
  std::size_t send(std::int32_t pip, std::span<const Offset3> frame, std::chrono::system_clock::time_point shown);

  // The last failure's text, for the one warning a stream prints.
  std::string last_error() const;

 private:
  lo_address address_;
  std::string pip_path_;
  std::vector<std::string> fixture_paths_;
  std::optional<FixtureMap> map_;
};

}  // namespace pipmoves::play::stream

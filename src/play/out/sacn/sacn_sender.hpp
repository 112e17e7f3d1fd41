#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "cid.hpp"

namespace pipmoves::play::out {

struct SacnDestination {
  std::string host;
  std::uint16_t port = 5568;
};

struct SacnOptions {
  std::vector<int> universes;  // 1 to 63999, each once: a frame's universes in this order
  std::string source_name = "pipmoves-play";  // at most 63 bytes
  int priority = 100;                         // 0 to 200
  Cid cid{};
  // Unicast to each of these; with none, multicast to each universe's group.
  std::vector<SacnDestination> destinations;
  // The multicast interface, by IPv4 address or name; empty: the system's route.
  std::string interface;
  std::uint16_t multicast_port = 5568;
};

// Sends DMX universes as sACN (E1.31) data packets: one stream per universe,
// its own sequence numbers counting every packet of it. A source that falls
// silent is taken for lost, so keep_alive re-sends an unchanged frame, and a
// stream is closed with stream-terminated packets rather than left to time
// out with its last look on stage.
class SacnSender {
 public:
  // The most a stream may go unsent: E1.31 asks for 0.8 to 1 second.
  static constexpr double kKeepAliveSeconds = 0.8;
  static constexpr int kMaxUniverse = 63999;
  static constexpr int kMaxPriority = 200;
  static constexpr std::size_t kMaxSourceName = 63;

  // Throws std::invalid_argument for a universe outside 1 to 63999 or twice,
  // no universe, a priority outside 0 to 200, a source name over 63 bytes or
  // a destination without a host; std::runtime_error for a destination or
  // interface that cannot be used.
  explicit SacnSender(const SacnOptions& options);
  // Terminates the streams if terminate() has not.
  ~SacnSender();
  SacnSender(const SacnSender&) = delete;
  SacnSender& operator=(const SacnSender&) = delete;

  // One frame: 512 slots for each universe, in the options' order; now is
  // any steady clock's seconds. Returns the packets that could not be sent (a
  // receiver's network may come and go without stopping the show). Throws
  // std::invalid_argument if frame is not 512 bytes a universe.
  std::size_t send(std::span<const std::uint8_t> frame, double now);

  // Re-sends the last frame if kKeepAliveSeconds have passed since it went
  // out; call it at least every 0.2 seconds between frames. Before the first
  // frame there is nothing to keep alive.
  std::size_t keep_alive(double now);

  // The last frame three times with the stream-terminated bit, on each
  // universe, once a frame went out; sends nothing more afterwards.
  std::size_t terminate();

  // The last failure's text, for the one warning a stream prints.
  const std::string& last_error() const noexcept { return last_error_; }

 private:
  struct Streams;

  std::size_t send_all();

  std::unique_ptr<Streams> streams_;
  std::string last_error_;
  double last_sent_ = 0.0;
  bool started_ = false;
  bool terminated_ = false;
};

}  // namespace pipmoves::play::out

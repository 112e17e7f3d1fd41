#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pipmoves::play::out {

struct ArtnetOptions {
  // 1 to 32768, each once: a frame's universes in this order. Universe u goes
  // out at Art-Net port-address u - 1 (net, sub-net and universe 0:0:0 for
  // universe 1), as consoles number them.
  std::vector<int> universes;
  // For each universe, how many of its slots are used (1 to 512): a packet
  // carries that many, rounded up to even as Art-Net asks. Empty: all 512.
  std::vector<int> slots_used;
  std::string host;  // a node, or a broadcast address
  std::uint16_t port = 6454;
};

// Sends DMX universes as Art-Net ArtDmx packets to one address, unicast or
// broadcast, with a sequence per universe from 1 to 255 and round again (0
// would tell nodes not to reorder).
class ArtnetSender {
 public:
  static constexpr double kKeepAliveSeconds = 0.8;
  static constexpr int kMaxUniverse = 32768;
  static constexpr std::size_t kHeaderBytes = 18;

  // Throws std::invalid_argument for a universe outside 1 to 32768 or twice,
  // no universe, no host, or slot counts that are not one per universe from
  // 1 to 512;
  // std::runtime_error for a host that cannot be resolved or a socket that
  // cannot be opened.
  explicit ArtnetSender(const ArtnetOptions& options);
  ~ArtnetSender();
  ArtnetSender(const ArtnetSender&) = delete;
  ArtnetSender& operator=(const ArtnetSender&) = delete;

  // One frame: 512 slots for each universe, in the options' order; now is
  // any steady clock's seconds. Returns the packets that could not be sent.
  // Throws std::invalid_argument if frame is not 512 bytes a universe.
  std::size_t send(std::span<const std::uint8_t> frame, double now);

  // Re-sends the last frame if kKeepAliveSeconds have passed since it went
  // out, so a node does not take the source for gone.
  std::size_t keep_alive(double now);

  const std::string& last_error() const noexcept { return last_error_; }

 private:
  struct Packet {
    std::vector<std::uint8_t> bytes;  // header and data, sent as they stand
  };

  std::size_t send_all();

  int socket_ = -1;
  sockaddr_in address_{};
  std::vector<Packet> packets_;
  std::string last_error_;
  double last_sent_ = 0.0;
  bool started_ = false;
};

}  // namespace pipmoves::play::out

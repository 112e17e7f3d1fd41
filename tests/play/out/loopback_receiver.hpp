#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace pipmoves::play::out::testing {

// A UDP socket on 127.0.0.1 at a port of the system's choosing, or in a
// multicast group joined on the loopback interface only, so nothing a test
// sends leaves the machine. Loopback delivers as it sends, so a datagram not
// there within the generous wait was never sent.
class LoopbackReceiver {
 public:
  // group: a multicast address to join; port: 0 for a free one.
  explicit LoopbackReceiver(const std::string& group = "", std::uint16_t port = 0) {
    socket_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (socket_ < 0) {
      throw std::runtime_error("no socket");
    }
    const int yes = 1;
    setsockopt(socket_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    const int buffer = 1 << 20;
    setsockopt(socket_, SOL_SOCKET, SO_RCVBUF, &buffer, sizeof buffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    inet_pton(AF_INET, group.empty() ? "127.0.0.1" : group.c_str(), &address.sin_addr);
    if (bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      close(socket_);
      throw std::runtime_error("cannot bind");
    }
    if (!group.empty()) {
      ip_mreq join{};
      inet_pton(AF_INET, group.c_str(), &join.imr_multiaddr);
      inet_pton(AF_INET, "127.0.0.1", &join.imr_interface);
      if (setsockopt(socket_, IPPROTO_IP, IP_ADD_MEMBERSHIP, &join, sizeof join) != 0) {
        close(socket_);
        throw std::runtime_error("cannot join " + group);
      }
    }
    socklen_t size = sizeof address;
    getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &size);
    port_ = ntohs(address.sin_port);
  }
  ~LoopbackReceiver() { close(socket_); }
  LoopbackReceiver(const LoopbackReceiver&) = delete;
  LoopbackReceiver& operator=(const LoopbackReceiver&) = delete;

  std::uint16_t port() const noexcept { return port_; }

  // The next datagram, or none within the wait.
  std::optional<std::vector<std::uint8_t>> next(int wait_ms = 5000) {
    pollfd ready{socket_, POLLIN, 0};
    if (poll(&ready, 1, wait_ms) <= 0) {
      return std::nullopt;
    }
    std::vector<std::uint8_t> datagram(2048);
    const ssize_t got = recv(socket_, datagram.data(), datagram.size(), 0);
    if (got < 0) {
      return std::nullopt;
    }
    datagram.resize(static_cast<std::size_t>(got));
    return datagram;
  }

  // Every datagram already waiting.
  std::vector<std::vector<std::uint8_t>> waiting() {
    std::vector<std::vector<std::uint8_t>> all;
    while (auto datagram = next(0)) {
      all.push_back(std::move(*datagram));
    }
    return all;
  }

 private:
  int socket_ = -1;
  std::uint16_t port_ = 0;
};

inline unsigned be16(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<unsigned>(bytes.at(at) << 8 | bytes.at(at + 1));
}

}  // namespace pipmoves::play::out::testing

#include "sacn_sender.hpp"

#include <arpa/inet.h>
#include <net/if.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <e131.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace pipmoves::play::out {

struct SacnSender::Streams {
  int socket = -1;
  std::vector<e131_packet_t> packets;  // one a universe, kept between frames
  std::vector<e131_addr_t> unicast;
  std::vector<e131_addr_t> multicast;  // one a universe, without unicast

  ~Streams() {
    if (socket >= 0) {
      close(socket);
    }
  }
};

namespace {

constexpr std::uint16_t kSlots = 512;
constexpr int kTerminations = 3;  // E1.31 sends the last packet three times

void check(const SacnOptions& options) {
  if (options.universes.empty()) {
    throw std::invalid_argument("sACN needs at least one universe");
  }
  std::vector<int> sorted = options.universes;
  std::sort(sorted.begin(), sorted.end());
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    if (sorted[i] < 1 || sorted[i] > SacnSender::kMaxUniverse) {
      throw std::invalid_argument("An sACN universe must be 1 to 63999, not " + std::to_string(sorted[i]));
    }
    if (i > 0 && sorted[i] == sorted[i - 1]) {
      throw std::invalid_argument("sACN universe " + std::to_string(sorted[i]) + " is named twice");
    }
  }
  if (options.priority < 0 || options.priority > SacnSender::kMaxPriority) {
    throw std::invalid_argument("sACN priority must be 0 to 200, not " + std::to_string(options.priority));
  }
  if (options.source_name.size() > SacnSender::kMaxSourceName) {
    throw std::invalid_argument("An sACN source name must be at most 63 bytes, not " +
                                std::to_string(options.source_name.size()));
  }
  for (const SacnDestination& destination : options.destinations) {
    if (destination.host.empty()) {
      throw std::invalid_argument("An sACN destination needs a host");
    }
  }
}

e131_addr_t resolved(const SacnDestination& destination) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  const int status = getaddrinfo(destination.host.c_str(), nullptr, &hints, &found);
  if (status != 0 || found == nullptr) {
    throw std::runtime_error("Cannot send sACN to " + destination.host + ": " + gai_strerror(status));
  }
  e131_addr_t address{};
  std::memcpy(&address, found->ai_addr, sizeof address);
  freeaddrinfo(found);
  address.sin_port = htons(destination.port);
  return address;
}

std::string system_error(const std::string& what) { return what + ": " + std::strerror(errno); }

void choose_interface(int socket, const std::string& interface) {
  in_addr address{};
  if (inet_pton(AF_INET, interface.c_str(), &address) == 1) {
    if (setsockopt(socket, IPPROTO_IP, IP_MULTICAST_IF, &address, sizeof address) != 0) {
      throw std::runtime_error(system_error("Cannot multicast sACN from " + interface));
    }
    return;
  }
  const unsigned index = if_nametoindex(interface.c_str());
  if (index == 0) {
    throw std::runtime_error("No network interface " + interface + " to multicast sACN from");
  }
  ip_mreqn request{};
  request.imr_ifindex = static_cast<int>(index);
  if (setsockopt(socket, IPPROTO_IP, IP_MULTICAST_IF, &request, sizeof request) != 0) {
    throw std::runtime_error(system_error("Cannot multicast sACN from " + interface));
  }
}

}  // namespace

SacnSender::SacnSender(const SacnOptions& options) : streams_(std::make_unique<Streams>()) {
  check(options);
  Streams& streams = *streams_;
  for (const SacnDestination& destination : options.destinations) {
    streams.unicast.push_back(resolved(destination));
  }
  streams.socket = e131_socket();
  if (streams.socket < 0) {
    throw std::runtime_error(system_error("Cannot open a socket for sACN"));
  }
  if (options.destinations.empty() && !options.interface.empty()) {
    choose_interface(streams.socket, options.interface);
  }
  streams.packets.resize(options.universes.size());
  for (std::size_t i = 0; i < options.universes.size(); ++i) {
    const auto universe = static_cast<std::uint16_t>(options.universes[i]);
    e131_packet_t& packet = streams.packets[i];
    e131_pkt_init(&packet, universe, kSlots);
    std::memcpy(packet.root.cid, options.cid.data(), options.cid.size());
    std::memcpy(packet.frame.source_name, options.source_name.data(), options.source_name.size());
    packet.frame.priority = static_cast<std::uint8_t>(options.priority);
    if (options.destinations.empty()) {
      e131_addr_t group{};
      e131_multicast_dest(&group, universe, options.multicast_port);
      streams.multicast.push_back(group);
    }
  }
}

SacnSender::~SacnSender() {
  if (!terminated_) {
    terminate();
  }
}

std::size_t SacnSender::send_all() {
  Streams& streams = *streams_;
  std::size_t failures = 0;
  const auto out = [&](const e131_packet_t& packet, const e131_addr_t& to) {
    if (e131_send(streams.socket, &packet, &to) < 0) {
      last_error_ = std::strerror(errno);
      ++failures;
    }
  };
  for (std::size_t i = 0; i < streams.packets.size(); ++i) {
    e131_packet_t& packet = streams.packets[i];
    if (streams.unicast.empty()) {
      out(packet, streams.multicast[i]);
    }
    for (const e131_addr_t& to : streams.unicast) {
      out(packet, to);
    }
    ++packet.frame.seq_number;
  }
  return failures;
}

std::size_t SacnSender::send(std::span<const std::uint8_t> frame, double now) {
  Streams& streams = *streams_;
  if (frame.size() != streams.packets.size() * kSlots) {
    throw std::invalid_argument("An sACN frame must hold 512 bytes for each of its " +
                                std::to_string(streams.packets.size()) + " universes");
  }
  if (terminated_) {
    return 0;
  }
  for (std::size_t i = 0; i < streams.packets.size(); ++i) {
    std::memcpy(streams.packets[i].dmp.prop_val + 1, frame.data() + i * kSlots, kSlots);
  }
  started_ = true;
  last_sent_ = now;
  return send_all();
}

std::size_t SacnSender::keep_alive(double now) {
  if (!started_ || terminated_ || now < last_sent_ + kKeepAliveSeconds) {
    return 0;
  }
  last_sent_ = now;
  return send_all();
}

std::size_t SacnSender::terminate() {
  if (terminated_) {
    return 0;
  }
  terminated_ = true;
  if (!started_) {
    return 0;  // no stream began, so none ends
  }
  for (e131_packet_t& packet : streams_->packets) {
    e131_set_option(&packet, E131_OPT_TERMINATED, true);
  }
  std::size_t failures = 0;
  for (int i = 0; i < kTerminations; ++i) {
    failures += send_all();
  }
  return failures;
}

}  // namespace pipmoves::play::out

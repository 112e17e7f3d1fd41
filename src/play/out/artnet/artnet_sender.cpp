#include "artnet_sender.hpp"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace pipmoves::play::out {
namespace {

constexpr std::size_t kSlots = 512;
constexpr std::uint16_t kOpDmx = 0x5000;
constexpr std::uint8_t kProtocolVersion = 14;

void check(const ArtnetOptions& options) {
  if (options.universes.empty()) {
    throw std::invalid_argument("Art-Net needs at least one universe");
  }
  std::vector<int> sorted = options.universes;
  std::sort(sorted.begin(), sorted.end());
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    if (sorted[i] < 1 || sorted[i] > ArtnetSender::kMaxUniverse) {
      throw std::invalid_argument("An Art-Net universe must be 1 to 32768, not " + std::to_string(sorted[i]));
    }
    if (i > 0 && sorted[i] == sorted[i - 1]) {
      throw std::invalid_argument("Art-Net universe " + std::to_string(sorted[i]) + " is named twice");
    }
  }
  if (options.host.empty()) {
    throw std::invalid_argument("Art-Net needs a host to send to");
  }
  if (!options.slots_used.empty() && options.slots_used.size() != options.universes.size()) {
    throw std::invalid_argument("Art-Net needs the slots used of each of its " +
                                std::to_string(options.universes.size()) + " universes");
  }
  for (const int used : options.slots_used) {
    if (used < 1 || used > static_cast<int>(kSlots)) {
      throw std::invalid_argument("An Art-Net universe uses 1 to 512 slots, not " + std::to_string(used));
    }
  }
}

sockaddr_in resolved(const ArtnetOptions& options) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  const int status = getaddrinfo(options.host.c_str(), nullptr, &hints, &found);
  if (status != 0 || found == nullptr) {
    throw std::runtime_error("Cannot send Art-Net to " + options.host + ": " + gai_strerror(status));
  }
  sockaddr_in address{};
  std::memcpy(&address, found->ai_addr, sizeof address);
  freeaddrinfo(found);
  address.sin_port = htons(options.port);
  return address;
}

}  // namespace

ArtnetSender::ArtnetSender(const ArtnetOptions& options) {
  check(options);
  address_ = resolved(options);
  for (std::size_t i = 0; i < options.universes.size(); ++i) {
    const int used = options.slots_used.empty() ? static_cast<int>(kSlots) : options.slots_used[i];
    const auto length = static_cast<std::size_t>(used + used % 2);
    const auto port_address = static_cast<std::uint16_t>(options.universes[i] - 1);
    Packet packet;
    packet.bytes.assign(kHeaderBytes + length, 0);
    std::uint8_t* header = packet.bytes.data();
    std::memcpy(header, "Art-Net", 8);  // with its terminating zero
    header[8] = kOpDmx & 0xff;          // the op code is little-endian, the rest big
    header[9] = kOpDmx >> 8;
    header[11] = kProtocolVersion;
    header[12] = 1;  // the sequence, from 1
    header[14] = static_cast<std::uint8_t>(port_address & 0xff);
    header[15] = static_cast<std::uint8_t>(port_address >> 8);
    header[16] = static_cast<std::uint8_t>(length >> 8);
    header[17] = static_cast<std::uint8_t>(length & 0xff);
    packets_.push_back(std::move(packet));
  }
  socket_ = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (socket_ < 0) {
    throw std::runtime_error(std::string("Cannot open a socket for Art-Net: ") + std::strerror(errno));
  }
  // Broadcast addresses are refused without it; unicast ignores it.
  const int yes = 1;
  if (setsockopt(socket_, SOL_SOCKET, SO_BROADCAST, &yes, sizeof yes) != 0) {
    const std::string error = std::strerror(errno);
    close(socket_);
    throw std::runtime_error("Cannot broadcast Art-Net: " + error);
  }
}

ArtnetSender::~ArtnetSender() { close(socket_); }

std::size_t ArtnetSender::send_all() {
  std::size_t failures = 0;
  for (Packet& packet : packets_) {
    if (sendto(socket_, packet.bytes.data(), packet.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&address_),
               sizeof address_) < 0) {
      last_error_ = std::strerror(errno);
      ++failures;
    }
    std::uint8_t& sequence = packet.bytes[12];
    sequence = sequence == 255 ? 1 : static_cast<std::uint8_t>(sequence + 1);
  }
  return failures;
}

std::size_t ArtnetSender::send(std::span<const std::uint8_t> frame, double now) {
  if (frame.size() != packets_.size() * kSlots) {
    throw std::invalid_argument("An Art-Net frame must hold 512 bytes for each of its " +
                                std::to_string(packets_.size()) + " universes");
  }
  for (std::size_t i = 0; i < packets_.size(); ++i) {
    std::vector<std::uint8_t>& bytes = packets_[i].bytes;
    std::memcpy(bytes.data() + kHeaderBytes, frame.data() + i * kSlots, bytes.size() - kHeaderBytes);
  }
  started_ = true;
  last_sent_ = now;
  return send_all();
}

std::size_t ArtnetSender::keep_alive(double now) {
  if (!started_ || now < last_sent_ + kKeepAliveSeconds) {
    return 0;
  }
  last_sent_ = now;
  return send_all();
}

}  // namespace pipmoves::play::out

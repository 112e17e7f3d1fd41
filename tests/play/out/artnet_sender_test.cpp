#include "artnet_sender.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "loopback_receiver.hpp"
#include "user/throws_matcher.hpp"

namespace pipmoves::play::out {
namespace {

using testing::be16;
using testing::LoopbackReceiver;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kSequence = 12;

Bytes frame_of(std::size_t universes, int salt) {
  Bytes frame(512 * universes);
  for (std::size_t i = 0; i < frame.size(); ++i) {
    frame[i] = static_cast<std::uint8_t>(i * 5 + i / 512 * 11 + static_cast<std::size_t>(salt));
  }
  return frame;
}

ArtnetOptions to(std::uint16_t port, std::vector<int> universes, std::vector<int> slots_used = {}) {
  ArtnetOptions options;
  options.universes = std::move(universes);
  options.slots_used = std::move(slots_used);
  options.host = "127.0.0.1";
  options.port = port;
  return options;
}

TEST(ArtnetSender, ArtDmxCarriesItsPortAddressSequenceAndAnEvenLength) {
  struct Case {
    int universe;
    int used;
    unsigned sub_uni;  // the port-address's low byte
    unsigned net;      // its high seven bits
    std::size_t length;
  };
  const Case cases[] = {
      {1, 512, 0x00, 0x00, 512},    {2, 13, 0x01, 0x00, 14}, {17, 1, 0x10, 0x00, 2},
      {300, 96, 0x2b, 0x01, 96},    {32768, 511, 0xff, 0x7f, 512},
  };
  LoopbackReceiver receiver;
  std::vector<int> universes;
  std::vector<int> used;
  for (const Case& c : cases) {
    universes.push_back(c.universe);
    used.push_back(c.used);
  }
  ArtnetSender sender(to(receiver.port(), universes, used));
  for (int frame = 0; frame < 2; ++frame) {
    const Bytes slots = frame_of(universes.size(), frame);
    ASSERT_EQ(0u, sender.send(slots, frame)) << sender.last_error();
    const auto packets = receiver.waiting();
    ASSERT_EQ(universes.size(), packets.size());
    for (std::size_t i = 0; i < packets.size(); ++i) {
      const Case& c = cases[i];
      const Bytes& packet = packets[i];
      ASSERT_EQ(18 + c.length, packet.size()) << c.universe;
      EXPECT_EQ(0, std::memcmp(packet.data(), "Art-Net\0", 8));
      EXPECT_EQ(Bytes({0x00, 0x50, 0, 14}), Bytes(packet.begin() + 8, packet.begin() + 12)) << "OpDmx, version 14";
      EXPECT_EQ(frame + 1, packet[kSequence]);
      EXPECT_EQ(0, packet[13]) << "physical port";
      EXPECT_EQ(c.sub_uni, packet[14]) << c.universe;
      EXPECT_EQ(c.net, packet[15]) << c.universe;
      EXPECT_EQ(c.length, be16(packet, 16));
      EXPECT_EQ(Bytes(slots.begin() + 512 * static_cast<long>(i), slots.begin() + 512 * static_cast<long>(i) +
                                                                      static_cast<long>(c.length)),
                Bytes(packet.begin() + 18, packet.end()))
          << c.universe;
    }
  }
}

TEST(ArtnetSender, TheSequenceRunsFrom1To255AndRoundAgainNeverThrough0) {
  LoopbackReceiver receiver;
  ArtnetSender sender(to(receiver.port(), {1}));
  std::vector<int> sequence;
  for (int frame = 0; frame < 257; ++frame) {
    sender.send(frame_of(1, frame), frame);
    const auto packet = receiver.next();
    ASSERT_TRUE(packet);
    sequence.push_back(packet->at(kSequence));
  }
  EXPECT_EQ(1, sequence.front());
  EXPECT_EQ(255, sequence[254]);
  EXPECT_EQ((std::vector<int>{1, 2}), std::vector<int>(sequence.begin() + 255, sequence.end()));
}

TEST(ArtnetSender, AnUnchangedFrameIsResentOnceTheKeepAliveIsDue) {
  LoopbackReceiver receiver;
  ArtnetSender sender(to(receiver.port(), {1}, {24}));
  sender.keep_alive(50.0);
  EXPECT_TRUE(receiver.waiting().empty());
  const Bytes slots = frame_of(1, 4);
  sender.send(slots, 2.0);
  receiver.waiting();
  sender.keep_alive(2.5);
  EXPECT_TRUE(receiver.waiting().empty());
  sender.keep_alive(2.0 + ArtnetSender::kKeepAliveSeconds);
  const auto packets = receiver.waiting();
  ASSERT_EQ(1u, packets.size());
  EXPECT_EQ(2, packets[0][kSequence]);
  EXPECT_EQ(Bytes(slots.begin(), slots.begin() + 24), Bytes(packets[0].begin() + 18, packets[0].end()));
}

TEST(ArtnetSender, RefusesWhatArtDmxCannotCarry) {
  struct Case {
    ArtnetOptions options;
    std::string message;
  };
  ArtnetOptions hostless = to(9, {1});
  hostless.host.clear();
  const Case cases[] = {
      {to(9, {}), "Art-Net needs at least one universe"},
      {to(9, {0}), "An Art-Net universe must be 1 to 32768, not 0"},
      {to(9, {32769}), "An Art-Net universe must be 1 to 32768, not 32769"},
      {to(9, {4, 4}), "Art-Net universe 4 is named twice"},
      {to(9, {1, 2}, {5}), "Art-Net needs the slots used of each of its 2 universes"},
      {to(9, {1}, {0}), "An Art-Net universe uses 1 to 512 slots, not 0"},
      {to(9, {1}, {513}), "An Art-Net universe uses 1 to 512 slots, not 513"},
      {hostless, "Art-Net needs a host to send to"},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(pipmoves::testing::ThrowsExactly<std::invalid_argument>([&] { ArtnetSender{c.options}; }, c.message));
  }
}

TEST(ArtnetSender, AFrameMustHoldEveryUniverse) {
  LoopbackReceiver receiver;
  ArtnetSender sender(to(receiver.port(), {1, 2, 3}));
  for (const std::size_t bytes : {0u, 1024u, 1537u}) {
    EXPECT_TRUE(pipmoves::testing::ThrowsExactly<std::invalid_argument>(
        [&] { sender.send(Bytes(bytes), 0.0); }, "An Art-Net frame must hold 512 bytes for each of its 3 universes"));
  }
  EXPECT_TRUE(receiver.waiting().empty());
}

}  // namespace
}  // namespace pipmoves::play::out

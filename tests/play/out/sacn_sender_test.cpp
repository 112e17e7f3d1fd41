#include "sacn_sender.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
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

// Where E1.31 puts each field of a data packet of 512 slots, read here by
// offset rather than through libe131's own layout.
constexpr std::size_t kPacketBytes = 638;
constexpr std::size_t kCid = 22;
constexpr std::size_t kSourceName = 44;
constexpr std::size_t kPriority = 108;
constexpr std::size_t kSequence = 111;
constexpr std::size_t kOptions = 112;
constexpr std::size_t kUniverse = 113;
constexpr std::size_t kStartCode = 125;
constexpr std::uint8_t kTerminated = 0x40;

// A frame whose every byte says which universe and slot it is, and the frame.
Bytes frame_of(std::size_t universes, int salt) {
  Bytes frame(512 * universes);
  for (std::size_t i = 0; i < frame.size(); ++i) {
    frame[i] = static_cast<std::uint8_t>(i * 7 + i / 512 * 13 + static_cast<std::size_t>(salt));
  }
  return frame;
}

SacnOptions unicast_to(const std::vector<std::uint16_t>& ports, std::vector<int> universes) {
  SacnOptions options;
  options.universes = std::move(universes);
  options.source_name = "left truss";
  options.priority = 150;
  options.cid = cid_of("rig.json");
  for (const std::uint16_t port : ports) {
    options.destinations.push_back({"127.0.0.1", port});
  }
  return options;
}

// Checks one packet's layers and returns its sequence number.
int check_packet(const Bytes& packet, const SacnOptions& options, int universe, const std::uint8_t* slots,
                 bool terminated) {
  EXPECT_EQ(kPacketBytes, packet.size());
  if (packet.size() != kPacketBytes) {
    return -1;
  }
  // Root layer: preamble, post-amble, the ACN packet identifier, vector 4.
  EXPECT_EQ(0x0010u, be16(packet, 0));
  EXPECT_EQ(0u, be16(packet, 2));
  EXPECT_EQ(0, std::memcmp(packet.data() + 4, "ASC-E1.17\0\0\0", 12));
  EXPECT_EQ(0x7000u | (kPacketBytes - 16), be16(packet, 16));
  EXPECT_EQ(Bytes({0, 0, 0, 4}), Bytes(packet.begin() + 18, packet.begin() + 22));
  EXPECT_EQ(0, std::memcmp(packet.data() + kCid, options.cid.data(), 16));
  // Framing layer: vector 2, the name zero-padded, priority, universe.
  EXPECT_EQ(0x7000u | (kPacketBytes - 38), be16(packet, 38));
  EXPECT_EQ(Bytes({0, 0, 0, 2}), Bytes(packet.begin() + 40, packet.begin() + 44));
  const std::string name(reinterpret_cast<const char*>(packet.data() + kSourceName), 64);
  EXPECT_EQ(options.source_name + std::string(64 - options.source_name.size(), '\0'), name);
  EXPECT_EQ(options.priority, packet[kPriority]);
  EXPECT_EQ(terminated ? kTerminated : 0, packet[kOptions]);
  EXPECT_EQ(static_cast<unsigned>(universe), be16(packet, kUniverse));
  // DMP layer: one property of 513 values from address 0, start code 0.
  EXPECT_EQ(0x7000u | (kPacketBytes - 115), be16(packet, 115));
  EXPECT_EQ(Bytes({0x02, 0xa1, 0, 0, 0, 1, 0x02, 0x01}), Bytes(packet.begin() + 117, packet.begin() + 125));
  EXPECT_EQ(0, packet[kStartCode]);
  EXPECT_EQ(0, std::memcmp(packet.data() + kStartCode + 1, slots, 512)) << "universe " << universe;
  return packet[kSequence];
}

TEST(SacnSender, EachUniverseIsAStreamOfItsOwnWithItsOwnSequence) {
  LoopbackReceiver first;
  LoopbackReceiver second;
  const SacnOptions options = unicast_to({first.port(), second.port()}, {7, 1, 63999});
  SacnSender sender(options);
  for (int frame = 0; frame < 3; ++frame) {
    const Bytes slots = frame_of(3, frame);
    ASSERT_EQ(0u, sender.send(slots, 0.1 * frame));
    for (LoopbackReceiver* receiver : {&first, &second}) {
      const auto packets = receiver->waiting();
      ASSERT_EQ(3u, packets.size()) << "frame " << frame;
      for (std::size_t u = 0; u < 3; ++u) {
        EXPECT_EQ(frame, check_packet(packets[u], options, options.universes[u], slots.data() + 512 * u, false));
      }
    }
  }
}

TEST(SacnSender, SequencesRunRoundPast255) {
  LoopbackReceiver receiver;
  SacnSender sender(unicast_to({receiver.port()}, {2}));
  std::vector<int> sequence;
  for (int frame = 0; frame < 258; ++frame) {
    sender.send(frame_of(1, frame), frame);
    const auto packet = receiver.next();
    ASSERT_TRUE(packet);
    sequence.push_back(packet->at(kSequence));
  }
  EXPECT_EQ(255, sequence[255]);
  EXPECT_EQ((std::vector<int>{0, 1}), std::vector<int>(sequence.begin() + 256, sequence.end()));
}

TEST(SacnSender, MulticastGoesToEachUniversesGroupOnTheChosenInterface) {
  // 239.255.<universe high byte>.<universe low byte>, one port for all.
  LoopbackReceiver one("239.255.0.1");
  LoopbackReceiver other("239.255.1.4", one.port());
  SacnOptions options = unicast_to({}, {1, 260});
  options.interface = "127.0.0.1";
  options.multicast_port = one.port();
  SacnSender sender(options);
  const Bytes slots = frame_of(2, 5);
  ASSERT_EQ(0u, sender.send(slots, 0.0)) << sender.last_error();
  const auto packets_one = one.waiting();
  const auto packets_other = other.waiting();
  ASSERT_EQ(1u, packets_one.size());
  ASSERT_EQ(1u, packets_other.size());
  check_packet(packets_one[0], options, 1, slots.data(), false);
  check_packet(packets_other[0], options, 260, slots.data() + 512, false);
}

TEST(SacnSender, TheLoopbackInterfaceCanBeNamed) {
  LoopbackReceiver group("239.255.0.9");
  SacnOptions options = unicast_to({}, {9});
  options.interface = "lo";
  options.multicast_port = group.port();
  SacnSender sender(options);
  ASSERT_EQ(0u, sender.send(frame_of(1, 0), 0.0)) << sender.last_error();
  EXPECT_EQ(1u, group.waiting().size());
}

TEST(SacnSender, AnUnchangedFrameIsResentOnlyOnceTheKeepAliveIsDue) {
  LoopbackReceiver receiver;
  const SacnOptions options = unicast_to({receiver.port()}, {3});
  SacnSender sender(options);
  EXPECT_EQ(0u, sender.keep_alive(100.0));
  EXPECT_TRUE(receiver.waiting().empty()) << "nothing to keep alive before the first frame";
  const Bytes slots = frame_of(1, 9);
  sender.send(slots, 10.0);
  receiver.waiting();
  struct Step {
    double now;
    bool resent;
  };
  // Each re-send starts the wait again.
  const Step steps[] = {{10.5, false}, {10.0 + SacnSender::kKeepAliveSeconds, true}, {11.0, false},
                        {11.65, true}, {12.4, false}};
  int expected_sequence = 1;
  for (const Step& step : steps) {
    sender.keep_alive(step.now);
    const auto packets = receiver.waiting();
    ASSERT_EQ(step.resent ? 1u : 0u, packets.size()) << "at " << step.now;
    if (step.resent) {
      EXPECT_EQ(expected_sequence++, check_packet(packets[0], options, 3, slots.data(), false));
    }
  }
}

TEST(SacnSender, TerminatingSendsTheLastFrameThriceMarkedAndThenNothing) {
  LoopbackReceiver receiver;
  const SacnOptions options = unicast_to({receiver.port()}, {4, 5});
  const Bytes slots = frame_of(2, 3);
  {
    SacnSender sender(options);
    sender.send(slots, 0.0);
    sender.send(slots, 0.1);
    receiver.waiting();
    ASSERT_EQ(0u, sender.terminate());
    const auto packets = receiver.waiting();
    ASSERT_EQ(6u, packets.size());
    for (std::size_t i = 0; i < packets.size(); ++i) {
      const std::size_t u = i % 2;
      EXPECT_EQ(static_cast<int>(2 + i / 2),
                check_packet(packets[i], options, options.universes[u], slots.data() + 512 * u, true));
    }
    sender.send(slots, 0.2);
    sender.keep_alive(5.0);
    EXPECT_EQ(0u, sender.terminate());
    EXPECT_TRUE(receiver.waiting().empty());
  }
  EXPECT_TRUE(receiver.waiting().empty()) << "terminated once only";
}

TEST(SacnSender, ASenderLeftUnterminatedTerminatesAsItGoes) {
  LoopbackReceiver receiver;
  const SacnOptions options = unicast_to({receiver.port()}, {4});
  const Bytes slots = frame_of(1, 1);
  {
    SacnSender unused(options);  // a stream that never began has nothing to end
    SacnSender sender(options);
    sender.send(slots, 0.0);
  }
  const auto packets = receiver.waiting();
  ASSERT_EQ(4u, packets.size());
  for (std::size_t i = 1; i < packets.size(); ++i) {
    EXPECT_EQ(static_cast<int>(i), check_packet(packets[i], options, 4, slots.data(), true));
  }
}

TEST(SacnSender, RefusesWhatNoStreamCanCarry) {
  struct Case {
    const char* name;
    void (*edit)(SacnOptions&);
    bool runtime;
    std::string message;
  };
  const Case cases[] = {
      {"no universe", [](SacnOptions& o) { o.universes.clear(); }, false, "sACN needs at least one universe"},
      {"universe 0", [](SacnOptions& o) { o.universes = {1, 0}; }, false, "An sACN universe must be 1 to 63999, not 0"},
      {"universe 64000", [](SacnOptions& o) { o.universes = {64000}; }, false,
       "An sACN universe must be 1 to 63999, not 64000"},
      {"a universe twice", [](SacnOptions& o) { o.universes = {3, 2, 3}; }, false, "sACN universe 3 is named twice"},
      {"priority 201", [](SacnOptions& o) { o.priority = 201; }, false, "sACN priority must be 0 to 200, not 201"},
      {"priority -1", [](SacnOptions& o) { o.priority = -1; }, false, "sACN priority must be 0 to 200, not -1"},
      {"a name of 64 bytes", [](SacnOptions& o) { o.source_name.assign(64, 'n'); }, false,
       "An sACN source name must be at most 63 bytes, not 64"},
      {"no host", [](SacnOptions& o) { o.destinations.push_back({"", 5568}); }, false,
       "An sACN destination needs a host"},
      {"an unknown interface", [](SacnOptions& o) { o.destinations.clear(), o.interface = "nosuch9"; }, true,
       "No network interface nosuch9 to multicast sACN from"},
  };
  for (const Case& c : cases) {
    SacnOptions options = unicast_to({9}, {1});
    c.edit(options);
    if (c.runtime) {
      EXPECT_TRUE(pipmoves::testing::ThrowsExactly<std::runtime_error>([&] { SacnSender{options}; }, c.message))
          << c.name;
    } else {
      EXPECT_TRUE(pipmoves::testing::ThrowsExactly<std::invalid_argument>([&] { SacnSender{options}; }, c.message))
          << c.name;
    }
  }
  SacnOptions longest = unicast_to({9}, {1});
  longest.source_name.assign(63, 'n');
  EXPECT_NO_THROW(SacnSender{longest});
}

TEST(SacnSender, AFrameMustHoldEveryUniverse) {
  LoopbackReceiver receiver;
  SacnSender sender(unicast_to({receiver.port()}, {1, 2}));
  for (const std::size_t bytes : {0u, 512u, 1023u, 1536u}) {
    EXPECT_TRUE(pipmoves::testing::ThrowsExactly<std::invalid_argument>(
        [&] { sender.send(Bytes(bytes), 0.0); }, "An sACN frame must hold 512 bytes for each of its 2 universes"))
        << bytes;
  }
  EXPECT_TRUE(receiver.waiting().empty());
}

}  // namespace
}  // namespace pipmoves::play::out

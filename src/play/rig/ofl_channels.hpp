#pragma once

// The channels of an Open Fixture Library definition, as far as the mapping
// reads them: their capabilities' DMX ranges and types, the angles of pan and
// tilt, the speeds of a pan/tilt speed channel, fine channel aliases,
// default values and switching channels, with template channels resolved for
// every pixel and pixel group.

#include <nlohmann/json.hpp>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "ofl_matrix.hpp"

namespace pipmoves::play::rig {

struct Capability {
  std::uint32_t lo = 0;  // DMX range, in the channel's stated resolution
  std::uint32_t hi = 0;
  std::string type;
  // Pan and Tilt: angle, or angleStart and angleEnd, as written.
  std::vector<std::string> angles;
  // PanTiltSpeed: speed or move time at the range's start and end (the same
  // text twice for a step), whichever the capability gives.
  std::optional<std::pair<std::string, std::string>> speed;
  std::optional<std::pair<std::string, std::string>> duration;
  // Switching channel alias to the channel key it stands for here.
  std::map<std::string, std::string> switches;
};

struct Channel {
  std::string key;
  std::vector<std::string> fine_aliases;
  int stated_bytes = 1;  // the resolution its values are written in
  std::uint32_t default_value = 0;
  std::vector<Capability> capabilities;
  // Why the channel cannot be used, found when it was read; the modes using
  // it are refused with it.
  std::string fault;

  bool has(std::string_view type) const;
};

// What a key in a mode's channel list stands for: a byte of a channel (0 its
// coarse one, then its fine aliases in order), or a switching alias of one.
struct ChannelRef {
  std::string channel;
  int byte = 0;
};

class ChannelTable {
 public:
  // Every available channel, and every template channel resolved for every
  // pixel and group key that no available channel overrides. Throws
  // std::invalid_argument when the channels are no objects of channels, or
  // resolve to more than kMaxChannels.
  static constexpr std::size_t kMaxChannels = 16384;
  ChannelTable(const nlohmann::ordered_json& fixture, const Matrix& matrix);

  const Channel* channel(const std::string& key) const;
  const ChannelRef* ref(const std::string& key) const;
  // The channel whose capabilities switch this alias; null for any other key.
  const Channel* switch_owner(const std::string& alias) const;

 private:
  void add(const std::string& key, const nlohmann::ordered_json& body, const std::string* pixel_key);

  std::map<std::string, Channel> channels_;
  std::map<std::string, ChannelRef> refs_;
  std::map<std::string, std::string> switch_owners_;
};

}  // namespace pipmoves::play::rig

#include "ofl_channels.hpp"

#include <stdexcept>

#include "ofl_entities.hpp"

namespace pipmoves::play::rig {
namespace {

using json = nlohmann::ordered_json;

std::string text_of(const json& value, const char* what, const std::string* pixel_key) {
  if (!value.is_string()) {
    throw std::invalid_argument(std::string(what) + " " + value.dump() + " is not a text");
  }
  return pixel_key == nullptr ? value.get<std::string>() : with_pixel_key(value.get<std::string>(), *pixel_key);
}

// A start and end entity of a proportional capability, or one entity twice for a step.
std::optional<std::pair<std::string, std::string>> entity_pair(const json& cap, const char* step, const char* start,
                                                               const char* end) {
  if (cap.contains(step)) {
    const std::string value = text_of(cap[step], step, nullptr);
    return std::pair{value, value};
  }
  if (cap.contains(start) || cap.contains(end)) {
    if (!cap.contains(start) || !cap.contains(end)) {
      throw std::invalid_argument(std::string("a capability gives ") + start + " without " + end + " or the reverse");
    }
    return std::pair{text_of(cap[start], start, nullptr), text_of(cap[end], end, nullptr)};
  }
  return std::nullopt;
}

std::uint32_t dmx_bound(const json& value, std::uint32_t top) {
  if (!value.is_number_unsigned() || value.get<std::uint64_t>() > top) {
    throw std::invalid_argument("a capability's dmxRange " + value.dump() + " lies outside 0 to " +
                                std::to_string(top));
  }
  return static_cast<std::uint32_t>(value.get<std::uint64_t>());
}

Capability parse_capability(const json& cap, std::uint32_t top, bool ranged, const std::string* pixel_key) {
  if (!cap.is_object() || !cap.contains("type") || !cap["type"].is_string()) {
    throw std::invalid_argument("a capability has no type");
  }
  Capability out;
  out.type = cap["type"].get<std::string>();
  out.hi = top;
  if (ranged) {
    const json range = cap.value("dmxRange", json());
    if (!range.is_array() || range.size() != 2) {
      throw std::invalid_argument("a capability has no dmxRange of two values");
    }
    out.lo = dmx_bound(range[0], top);
    out.hi = dmx_bound(range[1], top);
    if (out.lo > out.hi) {
      throw std::invalid_argument("a capability's dmxRange runs backwards");
    }
  }
  if (out.type == "Pan" || out.type == "Tilt") {
    if (const auto angles = entity_pair(cap, "angle", "angleStart", "angleEnd")) {
      out.angles = {angles->first, angles->second};
    }
  }
  if (out.type == "PanTiltSpeed") {
    out.speed = entity_pair(cap, "speed", "speedStart", "speedEnd");
    out.duration = entity_pair(cap, "duration", "durationStart", "durationEnd");
  }
  if (const auto found = cap.find("switchChannels"); found != cap.end()) {
    if (!found->is_object()) {
      throw std::invalid_argument("a capability's switchChannels are not an object");
    }
    for (const auto& [alias, target] : found->items()) {
      const std::string resolved = pixel_key == nullptr ? alias : with_pixel_key(alias, *pixel_key);
      out.switches[resolved] = text_of(target, "a switching channel", pixel_key);
    }
  }
  return out;
}

void parse_channel(Channel& channel, const json& body, const std::string* pixel_key) {
  if (!body.is_object()) {
    throw std::invalid_argument("it is not an object");
  }
  if (const auto found = body.find("fineChannelAliases"); found != body.end()) {
    if (!found->is_array()) {
      throw std::invalid_argument("its fineChannelAliases are not a list");
    }
    for (const json& alias : *found) {
      channel.fine_aliases.push_back(text_of(alias, "a fine channel alias", pixel_key));
    }
  }
  channel.stated_bytes = static_cast<int>(channel.fine_aliases.size()) + 1;
  if (const auto found = body.find("dmxValueResolution"); found != body.end()) {
    const std::string resolution = found->is_string() ? found->get<std::string>() : std::string();
    if (resolution != "8bit" && resolution != "16bit" && resolution != "24bit") {
      throw std::invalid_argument("its dmxValueResolution " + found->dump() + " is not 8bit, 16bit or 24bit");
    }
    channel.stated_bytes = resolution == "8bit" ? 1 : resolution == "16bit" ? 2 : 3;
  }
  if (channel.stated_bytes > 3) {
    throw std::invalid_argument("it is finer than 24 bits");
  }
  const std::uint32_t top = (std::uint32_t{1} << (8 * channel.stated_bytes)) - 1;
  if (const auto found = body.find("defaultValue"); found != body.end()) {
    channel.default_value = dmx_value_of(*found, channel.stated_bytes);
  }
  if (const auto one = body.find("capability"); one != body.end()) {
    channel.capabilities.push_back(parse_capability(*one, top, false, pixel_key));
  } else if (const auto many = body.find("capabilities"); many != body.end() && many->is_array()) {
    for (const json& cap : *many) {
      channel.capabilities.push_back(parse_capability(cap, top, true, pixel_key));
    }
  }
  if (channel.capabilities.empty()) {
    throw std::invalid_argument("it has no capability");
  }
}

}  // namespace

bool Channel::has(std::string_view type) const {
  for (const Capability& cap : capabilities) {
    if (cap.type == type) {
      return true;
    }
  }
  return false;
}

ChannelTable::ChannelTable(const json& fixture, const Matrix& matrix) {
  const json none = json::object();
  const json& available = fixture.contains("availableChannels") ? fixture["availableChannels"] : none;
  const json& templates = fixture.contains("templateChannels") ? fixture["templateChannels"] : none;
  if (!available.is_object() || !templates.is_object()) {
    throw std::invalid_argument("its availableChannels and templateChannels must be objects of channels");
  }
  for (const auto& [key, body] : available.items()) {
    add(key, body, nullptr);
  }
  const std::vector<std::string> keys = matrix.keys();
  for (const auto& [key, body] : templates.items()) {
    for (const std::string& pixel : keys) {
      const std::string resolved = with_pixel_key(key, pixel);
      if (!channels_.contains(resolved)) {
        add(resolved, body, &pixel);
      }
    }
  }
}

void ChannelTable::add(const std::string& key, const json& body, const std::string* pixel_key) {
  if (channels_.size() == kMaxChannels) {
    throw std::invalid_argument("its channels resolve to more than " + std::to_string(kMaxChannels));
  }
  Channel& channel = channels_[key];
  channel.key = key;
  try {
    parse_channel(channel, body, pixel_key);
  } catch (const std::invalid_argument& error) {
    channel.fault = error.what();
  }
  // A key already taken keeps its first meaning.
  refs_.try_emplace(key, ChannelRef{key, 0});
  for (std::size_t i = 0; i < channel.fine_aliases.size(); ++i) {
    refs_.try_emplace(channel.fine_aliases[i], ChannelRef{key, static_cast<int>(i) + 1});
  }
  for (const Capability& cap : channel.capabilities) {
    for (const auto& [alias, target] : cap.switches) {
      switch_owners_.try_emplace(alias, key);
    }
  }
}

const Channel* ChannelTable::channel(const std::string& key) const {
  const auto found = channels_.find(key);
  return found == channels_.end() ? nullptr : &found->second;
}

const ChannelRef* ChannelTable::ref(const std::string& key) const {
  const auto found = refs_.find(key);
  return found == refs_.end() ? nullptr : &found->second;
}

const Channel* ChannelTable::switch_owner(const std::string& alias) const {
  const auto found = switch_owners_.find(alias);
  return found == switch_owners_.end() ? nullptr : channel(found->second);
}

}  // namespace pipmoves::play::rig

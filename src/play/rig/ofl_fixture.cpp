#include "pipmoves/play/ofl_fixture.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>
#include <utility>

#include "json_text.hpp"
#include "ofl_channels.hpp"
#include "ofl_entities.hpp"
#include "ofl_matrix.hpp"

namespace pipmoves::play {
namespace {

using json = nlohmann::ordered_json;
using rig::Capability;
using rig::Channel;
using rig::ChannelRef;
using rig::ChannelTable;

// A refusal of one mode, caught and kept with the mode.
struct Refusal : std::invalid_argument {
  using std::invalid_argument::invalid_argument;
};

std::string in_quotes(std::string_view text) { return "'" + std::string(text) + "'"; }

// What one channel of the mode sends, in its stated resolution, unless it carries pan or tilt.
struct Held {
  SlotRole role;
  std::uint32_t value;
};

// The fastest value of a channel mostly of PanTiltSpeed capabilities; nothing
// for any other channel.
std::optional<std::uint32_t> fastest_speed(const Channel& channel) {
  std::uint64_t covered = 0;
  for (const Capability& cap : channel.capabilities) {
    if (cap.type == "PanTiltSpeed") {
      covered += cap.hi - cap.lo + 1;
    }
  }
  const std::uint64_t all = std::uint64_t{1} << (8 * channel.stated_bytes);
  if (2 * covered <= all) {
    return std::nullopt;
  }
  std::optional<std::pair<rig::Fastness, std::uint32_t>> best;
  const auto consider = [&best](rig::Fastness fastness, std::uint32_t value) {
    if (!best || best->first < fastness || (!(fastness < best->first) && value < best->second)) {
      best = {fastness, value};
    }
  };
  try {
    for (const Capability& cap : channel.capabilities) {
      if (cap.type != "PanTiltSpeed") {
        continue;
      }
      if (cap.speed) {
        consider(rig::fastness_of_speed(cap.speed->first), cap.lo);
        consider(rig::fastness_of_speed(cap.speed->second), cap.hi);
      } else if (cap.duration) {
        consider(rig::fastness_of_duration(cap.duration->first), cap.lo);
        consider(rig::fastness_of_duration(cap.duration->second), cap.hi);
      }
    }
  } catch (const std::invalid_argument& error) {
    throw Refusal("its speed channel " + in_quotes(channel.key) + " cannot be held at its fastest: " + error.what());
  }
  if (!best) {
    throw Refusal("its speed channel " + in_quotes(channel.key) + " gives no speed");
  }
  return best->second;
}

Held held_value(const Channel& channel) {
  if (const std::optional<std::uint32_t> fastest = fastest_speed(channel)) {
    return {SlotRole::speed, *fastest};
  }
  for (const Capability& cap : channel.capabilities) {
    if (cap.type == "Maintenance" && cap.lo <= channel.default_value && channel.default_value <= cap.hi) {
      return {SlotRole::maintenance, 0};
    }
  }
  return {SlotRole::held, channel.default_value};
}

// The travel of a Pan or Tilt channel in degrees: from its lowest DMX value's
// angle to its highest's.
double axis_range(const Channel& channel, const char* type) {
  std::vector<double> angles;
  for (const Capability& cap : channel.capabilities) {
    if (cap.type != type) {
      throw Refusal("its " + std::string(type) + " channel " + in_quotes(channel.key) + " also does other things (" +
                    cap.type + ")");
    }
    if (cap.angles.empty()) {
      throw Refusal("its " + std::string(type) + " channel " + in_quotes(channel.key) + " gives no angle");
    }
    for (const std::string& text : cap.angles) {
      const std::optional<double> degrees = rig::degrees_of(text);
      if (!degrees) {
        throw Refusal("its " + std::string(type) + " channel " + in_quotes(channel.key) +
                      " gives its angle as \"" + text + "\", not in degrees");
      }
      angles.push_back(*degrees);
    }
  }
  const double range = std::abs(angles.back() - angles.front());
  if (!(range > 0.0)) {
    throw Refusal("its " + std::string(type) + " channel " + in_quotes(channel.key) + " does not move");
  }
  return range;
}

// physical.focus.panMax or tiltMax, where the physical data gives it.
std::optional<double> focus_range(const json* physical, const char* key) {
  if (physical == nullptr || !physical->is_object() || !physical->contains("focus")) {
    return std::nullopt;
  }
  const json& focus = (*physical)["focus"];
  if (!focus.is_object() || !focus.contains(key)) {
    return std::nullopt;
  }
  const json& value = focus[key];
  if (!value.is_number() || !(value.get<double>() > 0.0) || !std::isfinite(value.get<double>())) {
    throw Refusal(std::string("its physical.focus.") + key + " " + value.dump() + " is no number of degrees");
  }
  return value.get<double>();
}

const json* member(const json& object, const char* key) {
  return object.is_object() && object.contains(key) ? &object[key] : nullptr;
}

// The mode's slots as the channel list names them.
struct Listed {
  std::string key;  // empty for an unused slot
  const Channel* channel = nullptr;
  int byte = 0;
};

class ModeReader {
 public:
  ModeReader(const ChannelTable& table, const rig::Matrix& matrix, const json& fixture, std::string source)
      : table_(table), matrix_(matrix), fixture_(fixture), source_(std::move(source)) {}

  ChannelLayout read(const json& mode) {
    std::vector<Listed> listed = list(mode);
    check_bytes(listed);
    std::vector<ChannelSlot> slots;
    std::map<std::string, std::uint8_t> heads[2];
    std::optional<double> ranges[2];
    for (const Listed& entry : listed) {
      ChannelSlot slot;
      slot.name = entry.key;
      if (entry.channel == nullptr) {
        slot.role = SlotRole::unused;
        slots.push_back(slot);
        continue;
      }
      const Channel& channel = *entry.channel;
      const int axis = channel.has("Pan") ? 0 : channel.has("Tilt") ? 1 : -1;
      if (axis >= 0) {
        const char* type = axis == 0 ? "Pan" : "Tilt";
        const double range = axis_range(channel, type);
        if (ranges[axis] && *ranges[axis] != range) {
          throw Refusal(std::string("its ") + type + " channels differ in range");
        }
        ranges[axis] = range;
        slot.role = axis == 0 ? SlotRole::pan : SlotRole::tilt;
        slot.byte = static_cast<std::uint8_t>(entry.byte);
        slot.head = heads[axis].try_emplace(channel.key, static_cast<std::uint8_t>(heads[axis].size())).first->second;
      } else {
        const Held held = held_value(channel);
        slot.role = held.role;
        slot.value = byte_of(held.value, channel, entry.byte);
      }
      slots.push_back(slot);
    }
    if (!ranges[0]) {
      throw Refusal("it has no Pan channel");
    }
    if (!ranges[1]) {
      throw Refusal("it has no Tilt channel");
    }
    const json* own = member(mode, "physical");
    const json* shared = member(fixture_, "physical");
    const double pan = focus_range(own, "panMax").value_or(focus_range(shared, "panMax").value_or(*ranges[0]));
    const double tilt = focus_range(own, "tiltMax").value_or(focus_range(shared, "tiltMax").value_or(*ranges[1]));
    try {
      return ChannelLayout(source_, pan, tilt, std::move(slots));
    } catch (const std::invalid_argument& error) {
      throw Refusal(std::string(error.what()).substr(source_.size() + 2));
    }
  }

 private:
  std::vector<Listed> list(const json& mode) {
    std::vector<json> keys;
    try {
      keys = rig::expand_mode_channels(mode.value("channels", json()), matrix_, ChannelLayout::kMaxFootprint);
    } catch (const std::invalid_argument& error) {
      throw Refusal(error.what());
    }
    std::vector<Listed> listed;
    std::vector<std::size_t> switched;
    for (const json& key : keys) {
      if (key.is_null()) {
        listed.push_back({});
        continue;
      }
      const std::string name = key.get<std::string>();
      if (const ChannelRef* ref = table_.ref(name)) {
        listed.push_back({name, usable(table_.channel(ref->channel)), ref->byte});
      } else if (table_.switch_owner(name) != nullptr) {
        switched.push_back(listed.size());
        listed.push_back({name});
      } else {
        throw Refusal("it lists " + in_quotes(name) + ", which is no channel of the fixture");
      }
    }
    for (const std::size_t at : switched) {
      listed[at] = switched_to(listed, listed[at].key);
    }
    return listed;
  }

  const Channel* usable(const Channel* channel) const {
    if (!channel->fault.empty()) {
      throw Refusal("its channel " + in_quotes(channel->key) + " cannot be read: " + channel->fault);
    }
    return channel;
  }

  // A switching alias stands for the channel its switch selects at the value
  // the switch is held at.
  Listed switched_to(const std::vector<Listed>& listed, const std::string& alias) const {
    const Channel& owner = *usable(table_.switch_owner(alias));
    const bool present = std::any_of(listed.begin(), listed.end(), [&owner](const Listed& entry) {
      return entry.channel == &owner && entry.byte == 0;
    });
    if (!present) {
      throw Refusal("its switching channel " + in_quotes(alias) + " depends on " + in_quotes(owner.key) +
                    ", which the mode lacks");
    }
    const std::uint32_t value = held_value(owner).value;
    for (const Capability& cap : owner.capabilities) {
      if (cap.lo <= value && value <= cap.hi) {
        const auto target = cap.switches.find(alias);
        const ChannelRef* ref = target == cap.switches.end() ? nullptr : table_.ref(target->second);
        if (ref == nullptr) {
          break;
        }
        return {alias, usable(table_.channel(ref->channel)), ref->byte};
      }
    }
    throw Refusal("its switching channel " + in_quotes(alias) + " stands for no channel while " + in_quotes(owner.key) +
                  " is at " + std::to_string(value));
  }

  // Each channel the mode uses carries its coarse byte and the fine ones in
  // order, each once.
  void check_bytes(const std::vector<Listed>& listed) {
    std::map<const Channel*, std::vector<int>> bytes;
    for (const Listed& entry : listed) {
      if (entry.channel != nullptr) {
        bytes[entry.channel].push_back(entry.byte);
      }
    }
    for (auto& [channel, seen] : bytes) {
      std::sort(seen.begin(), seen.end());
      for (std::size_t b = 0; b < seen.size(); ++b) {
        if (seen[b] != static_cast<int>(b)) {
          throw Refusal(seen[b] < static_cast<int>(b)
                            ? "it lists a byte of " + in_quotes(channel->key) + " twice"
                            : "it lists a fine channel of " + in_quotes(channel->key) + " without the coarser ones");
        }
      }
      mode_bytes_[channel] = static_cast<int>(seen.size());
    }
  }

  // Byte `byte` of a value stated in the channel's own resolution, once the
  // value is brought to the resolution the mode gives the channel.
  std::uint8_t byte_of(std::uint32_t value, const Channel& channel, int byte) const {
    const int bytes = mode_bytes_.at(&channel);
    const int shift = 8 * (channel.stated_bytes - bytes);
    const std::uint32_t in_mode = shift >= 0 ? value >> shift : value << -shift;
    return static_cast<std::uint8_t>(in_mode >> (8 * (bytes - 1 - byte)));
  }

  const ChannelTable& table_;
  const rig::Matrix& matrix_;
  const json& fixture_;
  std::string source_;
  std::map<const Channel*, int> mode_bytes_;
};

std::string text_or(const json& object, const char* key, const std::string& fallback) {
  const json* value = member(object, key);
  return value != nullptr && value->is_string() ? value->get<std::string>() : fallback;
}

}  // namespace

OflFixture::OflFixture(const std::filesystem::path& file) : file_(file) {
  const std::string where = file.string();
  const json fixture =
      rig::read_json_file(file, {.max_bytes = kMaxFileBytes, .max_depth = kMaxDepth, .max_elements = kMaxElements});
  try {
    const json* modes = member(fixture, "modes");
    if (!fixture.is_object() || !member(fixture, "name") || !fixture["name"].is_string() || modes == nullptr ||
        !modes->is_array() || modes->empty()) {
      throw std::invalid_argument("no fixture definition (a name and a list of modes)");
    }
    name_ = fixture["name"].get<std::string>();
    const rig::Matrix matrix(member(fixture, "matrix"));
    const ChannelTable table(fixture, matrix);
    for (const json& mode : *modes) {
      if (!mode.is_object() || !mode.contains("name") || !mode["name"].is_string()) {
        throw std::invalid_argument("a mode has no name");
      }
      OflMode read{mode["name"].get<std::string>(), text_or(mode, "shortName", mode["name"].get<std::string>()),
                   std::nullopt, ""};
      try {
        read.layout = ModeReader(table, matrix, fixture, where + ", mode " + read.name).read(mode);
      } catch (const Refusal& refusal) {
        read.refusal = refusal.what();
      }
      modes_.push_back(std::move(read));
    }
  } catch (const std::invalid_argument& error) {
    throw std::invalid_argument(where + ": " + error.what());
  }
  if (std::none_of(modes_.begin(), modes_.end(), [](const OflMode& mode) { return mode.layout.has_value(); })) {
    std::string why = where + ": no mode can be driven";
    for (const OflMode& mode : modes_) {
      why += (&mode == &modes_.front() ? ": mode " : "; mode ") + in_quotes(mode.name) + ": " + mode.refusal;
    }
    throw std::invalid_argument(why);
  }
}

const ChannelLayout& OflFixture::layout(std::string_view name) const {
  const auto by = [&](auto field) {
    return std::find_if(modes_.begin(), modes_.end(), [&](const OflMode& mode) { return mode.*field == name; });
  };
  auto found = by(&OflMode::name);
  if (found == modes_.end()) {
    found = by(&OflMode::short_name);
  }
  if (found == modes_.end()) {
    std::string names;
    for (const OflMode& mode : modes_) {
      names += (names.empty() ? "" : ", ") + mode.name;
    }
    throw std::invalid_argument(file_.string() + " has no mode " + in_quotes(name) + " (its modes: " + names + ")");
  }
  if (!found->layout) {
    throw std::invalid_argument(file_.string() + ": mode " + in_quotes(found->name) + ": " + found->refusal);
  }
  return *found->layout;
}

}  // namespace pipmoves::play

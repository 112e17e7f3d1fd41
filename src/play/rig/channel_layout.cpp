#include "pipmoves/play/channel_layout.hpp"

#include <cmath>
#include <stdexcept>
#include <utility>

namespace pipmoves::play {
namespace {

constexpr std::uint16_t kNoSlot = 0xFFFF;

// The byte offsets of each head of one axis, from its slots.
std::vector<AxisChannel> axis_channels(const std::string& source, const std::vector<ChannelSlot>& slots,
                                       SlotRole role, const char* axis) {
  std::vector<std::vector<std::uint16_t>> heads;
  for (std::size_t offset = 0; offset < slots.size(); ++offset) {
    const ChannelSlot& slot = slots[offset];
    if (slot.role != role) {
      continue;
    }
    if (slot.byte >= ChannelLayout::kMaxBytes) {
      throw std::invalid_argument(source + ": " + axis + " is carried by at most three bytes");
    }
    if (slot.head >= heads.size()) {
      heads.resize(slot.head + 1);
    }
    std::vector<std::uint16_t>& bytes = heads[slot.head];
    if (slot.byte >= bytes.size()) {
      bytes.resize(slot.byte + 1, kNoSlot);
    }
    if (bytes[slot.byte] != kNoSlot) {
      throw std::invalid_argument(source + ": " + axis + " byte " + std::to_string(slot.byte) + " is given twice");
    }
    bytes[slot.byte] = static_cast<std::uint16_t>(offset);
  }
  if (heads.empty()) {
    throw std::invalid_argument(source + ": no " + axis + " channel");
  }
  std::vector<AxisChannel> channels;
  for (std::vector<std::uint16_t>& bytes : heads) {
    if (bytes.empty()) {
      throw std::invalid_argument(source + ": the " + axis + " heads are not numbered from 0 without a gap");
    }
    for (std::size_t b = 0; b < bytes.size(); ++b) {
      if (bytes[b] == kNoSlot) {
        throw std::invalid_argument(source + ": a " + axis + " channel lacks its " +
                                    (b == 0 ? std::string("coarse byte") : "byte " + std::to_string(b)));
      }
    }
    channels.push_back({std::move(bytes)});
  }
  return channels;
}

}  // namespace

ChannelLayout::ChannelLayout(std::string source, double pan_range_degrees, double tilt_range_degrees,
                             std::vector<ChannelSlot> slots)
    : source_(std::move(source)), pan_range_(pan_range_degrees), tilt_range_(tilt_range_degrees),
      slots_(std::move(slots)) {
  if (slots_.empty() || slots_.size() > kMaxFootprint) {
    throw std::invalid_argument(source_ + ": a footprint is 1 to 512 channels, not " + std::to_string(slots_.size()));
  }
  const auto valid = [](double range) { return std::isfinite(range) && range > 0.0; };
  if (!valid(pan_range_) || !valid(tilt_range_)) {
    throw std::invalid_argument(source_ + ": pan and tilt ranges must be finite and positive");
  }
  pan_ = axis_channels(source_, slots_, SlotRole::pan, "pan");
  tilt_ = axis_channels(source_, slots_, SlotRole::tilt, "tilt");
}

}  // namespace pipmoves::play

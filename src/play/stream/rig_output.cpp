#include "rig_output.hpp"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <utility>

namespace pipmoves::play::stream {
namespace {

// The slots of each universe its fixtures reach, for Art-Net's length.
std::vector<int> slots_used(const Patch& patch) {
  const std::vector<int>& universes = patch.universes();
  std::vector<int> used(universes.size(), 1);
  for (const PatchedFixture& fixture : patch.fixtures()) {
    const auto at = static_cast<std::size_t>(
        std::lower_bound(universes.begin(), universes.end(), fixture.universe) - universes.begin());
    used[at] = std::max(used[at], fixture.address - 1 + static_cast<int>(fixture.layout.footprint()));
  }
  return used;
}

std::string host_name() {
  std::array<char, 256> name{};
  if (gethostname(name.data(), name.size() - 1) != 0) {
    return {};
  }
  return name.data();
}

}  // namespace

out::Cid cid_of_patch(const Patch& patch) {
  // The file's place, not its contents: a console should not see a new
  // source each time a home position is nudged. With the host, two machines
  // playing copies of one rig are two sources, as they are.
  std::string key = "pipmoves-play sACN source\n" + host_name() + "\n";
  if (patch.path()) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::weakly_canonical(*patch.path(), error);
    key += (error ? std::filesystem::absolute(*patch.path()) : absolute).string();
  }
  return out::cid_of(key);
}

RigOutput::RigOutput(Patch patch, const RigOptions& options)
    : player_(std::move(patch)), frame_(player_.frame_bytes()) {
  const Patch& rig = player_.patch();
  if (options.sacn) {
    out::SacnOptions sacn;
    sacn.universes = rig.universes();
    sacn.source_name = options.sacn_name;
    sacn.priority = options.sacn_priority;
    sacn.cid = cid_of_patch(rig);
    for (const HostPort& destination : options.sacn_destinations) {
      sacn.destinations.push_back({destination.host, destination.port});
    }
    sacn.interface = options.sacn_interface;
    sacn_.emplace(sacn);
  }
  if (options.artnet) {
    out::ArtnetOptions artnet;
    artnet.universes = rig.universes();
    artnet.slots_used = slots_used(rig);
    artnet.host = options.artnet->host;
    artnet.port = options.artnet->port;
    artnet_.emplace(artnet);
  }
}

std::size_t RigOutput::send(std::span<const Offset3> positions, double shown, double now) {
  player_.frame(positions, std::max(0.0, shown - last_shown_), frame_);
  last_shown_ = shown;
  std::size_t failures = 0;
  if (sacn_) {
    const std::size_t failed = sacn_->send(frame_, now);
    if (failed > 0) {
      last_error_ = sacn_->last_error();
    }
    failures += failed;
  }
  if (artnet_) {
    const std::size_t failed = artnet_->send(frame_, now);
    if (failed > 0) {
      last_error_ = artnet_->last_error();
    }
    failures += failed;
  }
  return failures;
}

std::size_t RigOutput::keep_alive(double now) {
  std::size_t failures = 0;
  if (sacn_) {
    failures += sacn_->keep_alive(now);
  }
  if (artnet_) {
    failures += artnet_->keep_alive(now);
  }
  return failures;
}

void RigOutput::terminate() {
  if (sacn_) {
    sacn_->terminate();
  }
}

std::string RigOutput::last_error() const { return last_error_.empty() ? "unknown error" : last_error_; }

}  // namespace pipmoves::play::stream

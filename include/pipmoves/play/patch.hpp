#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "pipmoves/offset3.hpp"
#include "pipmoves/play/channel_layout.hpp"
#include "pipmoves/play/fixture.hpp"
#include "pipmoves/play/rows.hpp"

namespace pipmoves::play {

enum class Mounting : std::uint8_t {
  standing,
  hung,  // upside down from a truss: tilt runs the other way
};

// By name: "standing", "hung". Throws std::invalid_argument "Unknown
// mounting: <name>".
Mounting mounting_named(std::string_view name);
std::string_view mounting_name(Mounting mounting) noexcept;

struct DegreeLimits {
  double min = 0.0;
  double max = 0.0;
};

// How a pattern's positions become one head's pan and tilt, in degrees from
// the end of each axis that DMX value 0 reaches. Axes: x pans, y tilts, z is
// depth and plays no part. Before limits and slew,
//   pan  = home_pan  + reach_pan  * x   (minus with invert_pan)
//   tilt = home_tilt + reach_tilt * y   (minus with invert_tilt, and again when hung)
// with x and y exchanged first by swap_pan_tilt. The head then moves from
// where it was towards that aim by at most max_speed degrees a second on each
// axis, and is held within the limits, never wrapped.
struct Calibration {
  double home_pan = 0.0;
  double home_tilt = 0.0;
  double reach_pan = 0.0;
  double reach_tilt = 0.0;
  bool invert_pan = false;
  bool invert_tilt = false;
  bool swap_pan_tilt = false;
  Mounting mounting = Mounting::standing;
  DegreeLimits pan_limits;
  DegreeLimits tilt_limits;
  std::optional<double> max_speed = std::nullopt;  // degrees a second; none: no limit
};

// The calibration a patch file's optional keys default to: home at the middle
// of each range, a reach of half of each range, no inversion or swap,
// standing, limits the whole range, no speed limit.
Calibration default_calibration(const ChannelLayout& layout);

// Where a fixture hangs on stage, in metres; x runs across the stage.
struct StagePosition {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

struct PatchedFixture {
  std::string name;
  int universe = 1;  // 1 to 63999
  int address = 1;   // its first slot, 1 to 512
  ChannelLayout layout;
  Calibration calibration;
  StagePosition position;
};

// A rig: fixtures at their universes and addresses, each with its channel
// layout and calibration, in the order a spread plays them. Immutable once
// built; copies share the fixtures.
class Patch {
 public:
  static constexpr int kMaxUniverse = 63999;
  static constexpr int kSlots = 512;
  static constexpr std::uintmax_t kMaxFileBytes = std::uintmax_t{1} << 22;
  static constexpr int kMaxDepth = 8;
  static constexpr std::size_t kMaxElements = 1 << 20;

  // Throws std::invalid_argument naming the fixture (and the key) at fault:
  // - no fixture, or two of one name;
  // - a universe outside 1 to 63999, an address outside 1 to 512, or a
  //   footprint running past slot 512;
  // - two fixtures overlapping on a universe;
  // - limits outside the fixture's range or reversed, a home outside the
  //   limits, a reach or a speed that is not finite and positive (a reach may
  //   be 0), a position that is not finite.
  explicit Patch(std::vector<PatchedFixture> fixtures);

  // A patch file (the keys are described in the README). Each fixture's `ofl`
  // file is looked up beside the patch file, then in fixtures_dir. Throws
  // std::invalid_argument naming the file and the fixture and key at fault:
  // unknown or missing keys, values of the wrong kind, an OFL file that cannot
  // be found or read, an unknown mode or one that cannot be driven, or any of
  // the refusals above.
  explicit Patch(const std::filesystem::path& file, const std::optional<std::filesystem::path>& fixtures_dir = {});

  // The same from JSON text; `ofl` files are looked up in fixtures_dir, or
  // from the working folder without one.
  static Patch from_json(std::string_view text, const std::optional<std::filesystem::path>& fixtures_dir = {});

  // In file order.
  const std::vector<PatchedFixture>& fixtures() const noexcept { return data_->fixtures; }
  std::size_t size() const noexcept { return data_->fixtures.size(); }
  // The universes the fixtures use, ascending: the order of a frame's universes.
  const std::vector<int>& universes() const noexcept { return data_->universes; }
  // The file the patch was read from, when it was.
  const std::optional<std::filesystem::path>& path() const noexcept { return data_->path; }
  // Each fixture's x on stage, in patch order: a spread's stage positions.
  std::vector<double> stage_x() const;

  // Where each head aims for a frame of positions (one per fixture, in patch
  // order): pan and tilt in degrees after reach, swap, inversion, mounting and
  // limits, without slew. Throws std::invalid_argument "Positions must be one
  // per fixture: the patch has N" or "Positions must be finite", and
  // "Output rows must match the positions".
  void angles(std::span<const Offset3> positions, std::span<PanTilt> out) const;
  Rows<PanTilt> angles(std::span<const Offset3> positions) const;

 private:
  struct Data {
    std::vector<PatchedFixture> fixtures;
    std::vector<int> universes;
    std::optional<std::filesystem::path> path;
  };

  // Refusals are prefixed with where, unless it is empty.
  Patch(std::vector<PatchedFixture> fixtures, std::optional<std::filesystem::path> path, std::string_view where);

  std::shared_ptr<const Data> data_;
};

}  // namespace pipmoves::play

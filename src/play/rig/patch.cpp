#include "pipmoves/play/patch.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <format>
#include <set>
#include <stdexcept>
#include <utility>

#include "aim.hpp"
#include "json_text.hpp"
#include "patch_file.hpp"

namespace pipmoves::play {
namespace {

constexpr std::array<std::string_view, 2> kMountingNames = {"standing", "hung"};

[[noreturn]] void refuse(const PatchedFixture& fixture, const std::string& why) {
  throw std::invalid_argument("fixture '" + fixture.name + "': " + why);
}

std::string limits_text(const DegreeLimits& limits) { return std::format("[{}, {}]", limits.min, limits.max); }

void check_axis(const PatchedFixture& fixture, const char* axis, double range, const DegreeLimits& limits,
                double home, double reach) {
  const std::string name(axis);
  if (!std::isfinite(limits.min) || !std::isfinite(limits.max) || limits.min > limits.max) {
    refuse(fixture, name + "_limits " + limits_text(limits) + " must be two finite degrees, the lower first");
  }
  if (limits.min < 0.0 || limits.max > range) {
    refuse(fixture,
           std::format("{}_limits {} lie outside its {} range [0, {}]", name, limits_text(limits), name, range));
  }
  if (!(home >= limits.min && home <= limits.max)) {
    refuse(fixture, std::format("home_{} {} lies outside {}_limits {}", name, home, name, limits_text(limits)));
  }
  if (!(std::isfinite(reach) && reach >= 0.0)) {
    refuse(fixture, std::format("reach_{} {} must be finite and not negative", name, reach));
  }
}

void check_fixture(const PatchedFixture& fixture) {
  if (fixture.name.empty()) {
    throw std::invalid_argument("a fixture has an empty name");
  }
  if (fixture.universe < 1 || fixture.universe > Patch::kMaxUniverse) {
    refuse(fixture, std::format("universe {} lies outside 1 to {}", fixture.universe, Patch::kMaxUniverse));
  }
  if (fixture.address < 1 || fixture.address > Patch::kSlots) {
    refuse(fixture, std::format("address {} lies outside 1 to {}", fixture.address, Patch::kSlots));
  }
  const std::size_t last = static_cast<std::size_t>(fixture.address) + fixture.layout.footprint() - 1;
  if (last > static_cast<std::size_t>(Patch::kSlots)) {
    refuse(fixture, std::format("its {} channels from address {} run past slot {}", fixture.layout.footprint(),
                                fixture.address, Patch::kSlots));
  }
  const Calibration& c = fixture.calibration;
  check_axis(fixture, "pan", fixture.layout.pan_range_degrees(), c.pan_limits, c.home_pan, c.reach_pan);
  check_axis(fixture, "tilt", fixture.layout.tilt_range_degrees(), c.tilt_limits, c.home_tilt, c.reach_tilt);
  if (c.max_speed && !(std::isfinite(*c.max_speed) && *c.max_speed > 0.0)) {
    refuse(fixture, std::format("max_speed {} must be finite and positive", *c.max_speed));
  }
  const StagePosition& p = fixture.position;
  if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) {
    refuse(fixture, "position must be three finite numbers");
  }
}

std::string slots_text(const PatchedFixture& f) {
  return std::format("{}-{}", f.address, f.address + static_cast<int>(f.layout.footprint()) - 1);
}

void check_overlaps(const std::vector<PatchedFixture>& fixtures) {
  std::vector<const PatchedFixture*> by_slot;
  for (const PatchedFixture& f : fixtures) {
    by_slot.push_back(&f);
  }
  std::stable_sort(by_slot.begin(), by_slot.end(), [](const PatchedFixture* a, const PatchedFixture* b) {
    return std::pair(a->universe, a->address) < std::pair(b->universe, b->address);
  });
  // Were any two to overlap, one of them would overlap the fixture starting next after its own start.
  for (std::size_t i = 1; i < by_slot.size(); ++i) {
    const PatchedFixture& a = *by_slot[i - 1];
    const PatchedFixture& b = *by_slot[i];
    if (a.universe == b.universe && b.address < a.address + static_cast<int>(a.layout.footprint())) {
      throw std::invalid_argument(std::format("fixtures '{}' and '{}' overlap on universe {} (channels {} and {})",
                                              a.name, b.name, a.universe, slots_text(a), slots_text(b)));
    }
  }
}

}  // namespace

Mounting mounting_named(std::string_view name) {
  for (std::size_t i = 0; i < kMountingNames.size(); ++i) {
    if (kMountingNames[i] == name) {
      return static_cast<Mounting>(i);
    }
  }
  throw std::invalid_argument("Unknown mounting: " + std::string(name));
}

std::string_view mounting_name(Mounting mounting) noexcept {
  return kMountingNames[static_cast<std::size_t>(mounting)];
}

Calibration default_calibration(const ChannelLayout& layout) {
  const double pan = layout.pan_range_degrees();
  const double tilt = layout.tilt_range_degrees();
  Calibration c;
  c.home_pan = pan / 2.0;
  c.home_tilt = tilt / 2.0;
  c.reach_pan = pan / 2.0;
  c.reach_tilt = tilt / 2.0;
  c.pan_limits = {0.0, pan};
  c.tilt_limits = {0.0, tilt};
  return c;
}

Patch::Patch(std::vector<PatchedFixture> fixtures) : Patch(std::move(fixtures), std::nullopt, "") {}

Patch::Patch(std::vector<PatchedFixture> fixtures, std::optional<std::filesystem::path> path, std::string_view where) {
  try {
    if (fixtures.empty()) {
      throw std::invalid_argument("a patch needs at least one fixture");
    }
    std::set<std::string_view> names;
    for (const PatchedFixture& fixture : fixtures) {
      check_fixture(fixture);
      if (!names.insert(fixture.name).second) {
        throw std::invalid_argument("two fixtures are named '" + fixture.name + "'");
      }
    }
    check_overlaps(fixtures);
  } catch (const std::invalid_argument& error) {
    if (where.empty()) {
      throw;
    }
    throw std::invalid_argument(std::string(where) + ": " + error.what());
  }
  std::set<int> universes;
  for (const PatchedFixture& fixture : fixtures) {
    universes.insert(fixture.universe);
  }
  data_ = std::make_shared<const Data>(
      Data{std::move(fixtures), std::vector<int>(universes.begin(), universes.end()), std::move(path)});
}

Patch::Patch(const std::filesystem::path& file, const std::optional<std::filesystem::path>& fixtures_dir)
    : Patch(rig::read_patch_fixtures(rig::read_text_file(file, kMaxFileBytes), file.string(), file.parent_path(),
                                     fixtures_dir),
            file, file.string()) {}

Patch Patch::from_json(std::string_view text, const std::optional<std::filesystem::path>& fixtures_dir) {
  return Patch(rig::read_patch_fixtures(text, "", std::nullopt, fixtures_dir), std::nullopt, "");
}

std::vector<double> Patch::stage_x() const {
  std::vector<double> x;
  x.reserve(size());
  for (const PatchedFixture& fixture : fixtures()) {
    x.push_back(fixture.position.x);
  }
  return x;
}

void Patch::angles(std::span<const Offset3> positions, std::span<PanTilt> out) const {
  rig::check_positions(positions, size());
  if (out.size() != positions.size()) {
    throw std::invalid_argument("Output rows must match the positions");
  }
  for (std::size_t i = 0; i < positions.size(); ++i) {
    const rig::Aimer aimer(fixtures()[i].calibration);
    out[i] = aimer.within_limits(aimer.aim(positions[i]));
  }
}

Rows<PanTilt> Patch::angles(std::span<const Offset3> positions) const {
  rig::check_positions(positions, size());
  Rows<PanTilt> rows(static_cast<std::int64_t>(positions.size()));
  angles(positions, rows.rows());
  return rows;
}

}  // namespace pipmoves::play

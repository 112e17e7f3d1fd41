#include "patch_file.hpp"

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>

#include "json_text.hpp"
#include "pipmoves/play/ofl_fixture.hpp"

namespace pipmoves::play::rig {
namespace {

using json = nlohmann::ordered_json;

constexpr std::array<std::string_view, 18> kFixtureKeys = {
    "name",      "universe",   "address",    "ofl",        "mode",        "layout",
    "home_pan",  "home_tilt",  "reach_pan",  "reach_tilt", "invert_pan",  "invert_tilt",
    "swap_pan_tilt", "mounting", "pan_limits", "tilt_limits", "max_speed", "position"};
constexpr std::array<std::string_view, 3> kLayoutKeys = {"channels", "pan_range", "tilt_range"};
constexpr std::array<std::string_view, 1> kPatchKeys = {"fixtures"};

// Edits (insertions, deletions, substitutions) from a to b.
std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

template <std::size_t N>
void check_keys(const json& object, const std::array<std::string_view, N>& known, const std::string& label) {
  for (const auto& [key, value] : object.items()) {
    if (std::find(known.begin(), known.end(), key) != known.end()) {
      continue;
    }
    std::string why = label + "unknown key '" + key + "'";
    for (const std::string_view candidate : known) {
      if (edit_distance(key, candidate) <= 2) {
        why += " (did you mean '" + std::string(candidate) + "'?)";
        break;
      }
    }
    throw std::invalid_argument(why);
  }
}

// One fixture's object, read key by key; every fault names the fixture.
class FixtureReader {
 public:
  FixtureReader(const json& object, std::size_t number) : object_(object) {
    if (!object.is_object()) {
      throw std::invalid_argument("fixture " + std::to_string(number) + " is not an object");
    }
    const json* name = find("name");
    label_ = name != nullptr && name->is_string() && !name->get<std::string>().empty()
                 ? "fixture '" + name->get<std::string>() + "'"
                 : "fixture " + std::to_string(number);
    check_keys(object, kFixtureKeys, label_ + ": ");
  }

  const std::string& label() const noexcept { return label_; }

  [[noreturn]] void refuse(const std::string& why) const { throw std::invalid_argument(label_ + ": " + why); }

  const json* find(const char* key) const {
    const auto found = object_.find(key);
    return found == object_.end() ? nullptr : &*found;
  }

  const json& required(const char* key) const {
    const json* value = find(key);
    if (value == nullptr) {
      refuse(std::string("missing '") + key + "'");
    }
    return *value;
  }

  std::string text(const char* key) const {
    const json& value = required(key);
    if (!value.is_string() || value.get<std::string>().empty()) {
      refuse(std::string("'") + key + "' must be a non-empty text, not " + json_text(value));
    }
    return value.get<std::string>();
  }

  int whole(const char* key, int lo, int hi) const {
    const json& value = required(key);
    if (!value.is_number_integer() || value.get<std::int64_t>() < lo || value.get<std::int64_t>() > hi) {
      refuse(std::string("'") + key + "' must be a whole number from " + std::to_string(lo) + " to " +
             std::to_string(hi) + ", not " + json_text(value));
    }
    return value.get<int>();
  }

  void number(const char* key, double& out) const {
    if (const json* value = find(key)) {
      out = number_of(*value, key);
    }
  }

  void flag(const char* key, bool& out) const {
    if (const json* value = find(key)) {
      if (!value->is_boolean()) {
        refuse(std::string("'") + key + "' must be true or false, not " + json_text(*value));
      }
      out = value->get<bool>();
    }
  }

  // A list of `count` numbers, or nothing when the key is absent.
  template <std::size_t Count>
  std::optional<std::array<double, Count>> numbers(const char* key, const char* shape) const {
    const json* value = find(key);
    if (value == nullptr) {
      return std::nullopt;
    }
    if (!value->is_array() || value->size() != Count ||
        !std::all_of(value->begin(), value->end(), [](const json& v) { return v.is_number(); })) {
      refuse(std::string("'") + key + "' must be " + shape + ", not " + value->dump());
    }
    std::array<double, Count> out{};
    for (std::size_t i = 0; i < Count; ++i) {
      out[i] = (*value)[i].get<double>();
    }
    return out;
  }

  double number_of(const json& value, const char* key) const {
    if (!value.is_number()) {
      refuse(std::string("'") + key + "' must be a number, not " + json_text(value));
    }
    return value.get<double>();
  }

 private:
  const json& object_;
  std::string label_;
};

ChannelSlot inline_slot(const FixtureReader& reader, const json& entry, std::size_t slot) {
  static constexpr std::array<std::pair<std::string_view, std::pair<SlotRole, std::uint8_t>>, 4> kMoved = {{
      {"pan", {SlotRole::pan, 0}},
      {"pan_fine", {SlotRole::pan, 1}},
      {"tilt", {SlotRole::tilt, 0}},
      {"tilt_fine", {SlotRole::tilt, 1}},
  }};
  if (entry.is_string()) {
    for (const auto& [name, role] : kMoved) {
      if (entry.get<std::string>() == name) {
        return ChannelSlot{std::string(name), role.first, 0, role.second, 0};
      }
    }
  }
  if (entry.is_number_integer() && entry.get<std::int64_t>() >= 0 && entry.get<std::int64_t>() <= 255) {
    return ChannelSlot{"", SlotRole::held, static_cast<std::uint8_t>(entry.get<int>()), 0, 0};
  }
  reader.refuse("layout channel " + std::to_string(slot + 1) +
                " must be \"pan\", \"pan_fine\", \"tilt\", \"tilt_fine\" or a value from 0 to 255, not " +
                json_text(entry));
}

ChannelLayout inline_layout(const FixtureReader& reader, const json& layout) {
  if (!layout.is_object()) {
    reader.refuse("'layout' must be an object, not " + json_text(layout));
  }
  check_keys(layout, kLayoutKeys, reader.label() + ": layout: ");
  const auto range = [&](const char* key) {
    if (!layout.contains(key)) {
      reader.refuse(std::string("layout: missing '") + key + "'");
    }
    return reader.number_of(layout[key], key);
  };
  const double pan = range("pan_range");
  const double tilt = range("tilt_range");
  const json channels = layout.value("channels", json());
  if (!channels.is_array()) {
    reader.refuse("layout: 'channels' must be a list, not " + json_text(channels));
  }
  if (channels.size() > ChannelLayout::kMaxFootprint) {
    reader.refuse("layout: a footprint is 1 to 512 channels, not " + std::to_string(channels.size()));
  }
  std::vector<ChannelSlot> slots;
  for (std::size_t i = 0; i < channels.size(); ++i) {
    slots.push_back(inline_slot(reader, channels[i], i));
  }
  try {
    return ChannelLayout("inline layout", pan, tilt, std::move(slots));
  } catch (const std::invalid_argument& error) {
    reader.refuse(error.what());
  }
}

// Every OFL file is read once, however many fixtures use it.
class OflFiles {
 public:
  OflFiles(const std::optional<std::filesystem::path>& beside, const std::optional<std::filesystem::path>& fixtures_dir)
      : beside_(beside), fixtures_dir_(fixtures_dir) {}

  const OflFixture& read(const FixtureReader& reader, const std::string& name) {
    const std::filesystem::path file = locate(reader, name);
    const std::string key = file.lexically_normal().string();
    auto found = read_.find(key);
    if (found == read_.end()) {
      try {
        found = read_.emplace(key, std::make_unique<OflFixture>(file)).first;
      } catch (const std::invalid_argument& error) {
        reader.refuse(error.what());
      }
    }
    return *found->second;
  }

 private:
  std::filesystem::path locate(const FixtureReader& reader, const std::string& name) const {
    std::vector<std::filesystem::path> candidates;
    std::string places;
    if (beside_) {
      candidates.push_back(*beside_ / name);
      places += " beside the patch (in " + (beside_->empty() ? std::string(".") : beside_->string()) + ")";
    }
    if (fixtures_dir_) {
      candidates.push_back(*fixtures_dir_ / name);
      places += std::string(places.empty() ? "" : " or") + " in the fixtures folder " + fixtures_dir_->string();
    }
    if (candidates.empty()) {
      candidates.push_back(name);
      places = " from the working folder";
    }
    for (const std::filesystem::path& candidate : candidates) {
      std::error_code error;
      if (std::filesystem::is_regular_file(candidate, error)) {
        return candidate;
      }
    }
    reader.refuse("cannot find the OFL file '" + name + "'" + places);
  }

  std::optional<std::filesystem::path> beside_;
  std::optional<std::filesystem::path> fixtures_dir_;
  std::map<std::string, std::unique_ptr<OflFixture>> read_;
};

ChannelLayout layout_of(const FixtureReader& reader, OflFiles& files) {
  if (const json* layout = reader.find("layout")) {
    if (reader.find("ofl") != nullptr || reader.find("mode") != nullptr) {
      reader.refuse("give either 'ofl' and 'mode' or 'layout', not both");
    }
    return inline_layout(reader, *layout);
  }
  if (reader.find("ofl") == nullptr && reader.find("mode") == nullptr) {
    reader.refuse("missing 'ofl' and 'mode' (or an inline 'layout')");
  }
  const std::string ofl = reader.text("ofl");
  const std::string mode = reader.text("mode");
  const OflFixture& profile = files.read(reader, ofl);
  try {
    return profile.layout(mode);
  } catch (const std::invalid_argument& error) {
    reader.refuse(error.what());
  }
}

Calibration calibration_of(const FixtureReader& reader, const ChannelLayout& layout) {
  Calibration c = default_calibration(layout);
  reader.number("home_pan", c.home_pan);
  reader.number("home_tilt", c.home_tilt);
  reader.number("reach_pan", c.reach_pan);
  reader.number("reach_tilt", c.reach_tilt);
  reader.flag("invert_pan", c.invert_pan);
  reader.flag("invert_tilt", c.invert_tilt);
  reader.flag("swap_pan_tilt", c.swap_pan_tilt);
  if (const json* mounting = reader.find("mounting")) {
    if (*mounting != "standing" && *mounting != "hung") {
      reader.refuse("'mounting' must be \"standing\" or \"hung\", not " + json_text(*mounting));
    }
    c.mounting = mounting_named(mounting->get<std::string>());
  }
  if (const auto limits = reader.numbers<2>("pan_limits", "a list of the lowest and highest pan in degrees")) {
    c.pan_limits = {(*limits)[0], (*limits)[1]};
  }
  if (const auto limits = reader.numbers<2>("tilt_limits", "a list of the lowest and highest tilt in degrees")) {
    c.tilt_limits = {(*limits)[0], (*limits)[1]};
  }
  if (const json* speed = reader.find("max_speed")) {
    c.max_speed = reader.number_of(*speed, "max_speed");
  }
  return c;
}

PatchedFixture read_fixture(const json& object, std::size_t number, OflFiles& files) {
  const FixtureReader reader(object, number);
  std::string name = reader.text("name");
  const int universe = reader.whole("universe", 1, Patch::kMaxUniverse);
  const int address = reader.whole("address", 1, Patch::kSlots);
  ChannelLayout layout = layout_of(reader, files);
  const Calibration calibration = calibration_of(reader, layout);
  StagePosition position;
  if (const auto at = reader.numbers<3>("position", "a list of x, y and z in metres")) {
    position = {(*at)[0], (*at)[1], (*at)[2]};
  }
  return PatchedFixture{std::move(name), universe, address, std::move(layout), calibration, position};
}

}  // namespace

std::vector<PatchedFixture> read_patch_fixtures(std::string_view text, std::string_view where,
                                                const std::optional<std::filesystem::path>& beside,
                                                const std::optional<std::filesystem::path>& fixtures_dir) {
  const std::string prefix = where.empty() ? std::string() : std::string(where) + ": ";
  const json patch = parse_json(
      text, {.max_bytes = Patch::kMaxFileBytes, .max_depth = Patch::kMaxDepth, .max_elements = Patch::kMaxElements},
      where.empty() ? "the patch" : where);
  try {
    if (!patch.is_object()) {
      throw std::invalid_argument("a patch is an object holding 'fixtures', not " + json_text(patch));
    }
    check_keys(patch, kPatchKeys, "");
    const json fixtures = patch.value("fixtures", json());
    if (!fixtures.is_array()) {
      throw std::invalid_argument("'fixtures' must be a list of fixtures, not " + json_text(fixtures));
    }
    OflFiles files(beside, fixtures_dir);
    std::vector<PatchedFixture> out;
    out.reserve(fixtures.size());
    for (std::size_t i = 0; i < fixtures.size(); ++i) {
      out.push_back(read_fixture(fixtures[i], i + 1, files));
    }
    return out;
  } catch (const std::invalid_argument& error) {
    throw std::invalid_argument(prefix + error.what());
  }
}

}  // namespace pipmoves::play::rig

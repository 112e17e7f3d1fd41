#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <filesystem>
#include <format>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "out_buffer.hpp"
#include "pipmoves/offset3.hpp"
#include "pipmoves/play/patch.hpp"
#include "pipmoves/play/patch_player.hpp"
#include "pipmoves/play/rows.hpp"
#include "positions.hpp"
#include "register.hpp"
#include "support/instances.hpp"

namespace py = pybind11;

namespace pipmoves::play::python {
namespace {

using Directory = std::optional<std::filesystem::path>;

std::string role_name(const ChannelSlot& slot) {
  switch (slot.role) {
    case SlotRole::pan:
    case SlotRole::tilt: {
      static constexpr const char* kBytes[] = {"", " fine", " fine 2"};
      return std::string(slot.role == SlotRole::pan ? "pan" : "tilt") + kBytes[slot.byte];
    }
    case SlotRole::speed: return "speed";
    case SlotRole::held: return "held";
    case SlotRole::maintenance: return "maintenance";
    case SlotRole::unused: break;
  }
  return "unused";
}

py::tuple tuple_of(const std::vector<int>& values) {
  py::tuple out(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    out[i] = values[i];
  }
  return out;
}

std::string universes_text(const Patch& patch) {
  std::string text;
  for (const int universe : patch.universes()) {
    text += (text.empty() ? "" : ", ") + std::to_string(universe);
  }
  return text;
}

// A Python dict is the same document as its JSON text.
Patch patch_of_dict(const py::dict& document, const Directory& fixtures) {
  const py::object dumps = py::module_::import("json").attr("dumps");
  const std::string text = py::cast<std::string>(dumps(document, py::arg("allow_nan") = false));
  return Patch::from_json(text, fixtures);
}

void register_layout(py::module_& m) {
  py::class_<ChannelSlot> slot(m, "ChannelSlot", "One DMX slot of a fixture's footprint and what it sends.");
  slot.def_property_readonly("name", [](const ChannelSlot& s) { return s.name; },
                             "The channel as its profile names it; empty where none is named.");
  slot.def_property_readonly("role", &role_name,
                             "'pan', 'pan fine', 'pan fine 2', the same for tilt, 'speed' (held at its fastest), "
                             "'held' (at its default), 'maintenance' (a default that would reset the fixture or "
                             "switch its lamp, held at 0) or 'unused'.");
  slot.def_property_readonly("value", [](const ChannelSlot& s) { return s.value; },
                             "What the slot sends unless it carries pan or tilt.");
  slot.def_property_readonly("head", [](const ChannelSlot& s) { return s.head; },
                             "For pan and tilt: which of the fixture's heads, 0 for a single head.");
  slot.def("__repr__", [](const ChannelSlot& s) {
    return std::format("ChannelSlot({}, {}{})", py::repr(py::str(s.name)).cast<std::string>(),
                       py::repr(py::str(role_name(s))).cast<std::string>(),
                       s.role == SlotRole::pan || s.role == SlotRole::tilt ? "" : std::format(", value={}", s.value));
  });

  py::class_<ChannelLayout> layout(m, "ChannelLayout",
                                   "The DMX slots of one kind of fixture in one mode, and the travel of its pan and "
                                   "tilt in degrees (counted from the end DMX value 0 reaches).");
  layout.def_property_readonly("source", &ChannelLayout::source,
                               "Where the layout comes from: 'maker/fixture.json, mode Name' or 'inline layout'.");
  layout.def_property_readonly("pan_range", &ChannelLayout::pan_range_degrees, "Pan travel in degrees.");
  layout.def_property_readonly("tilt_range", &ChannelLayout::tilt_range_degrees, "Tilt travel in degrees.");
  layout.def_property_readonly("footprint", &ChannelLayout::footprint, "How many slots the fixture takes.");
  layout.def_property_readonly(
      "channels", [](const ChannelLayout& l) { return py::tuple(py::cast(l.slots())); },
      "Every slot from the fixture's address on, as ChannelSlot.");
  layout.def("__repr__", [](const ChannelLayout& l) {
    return std::format("ChannelLayout({}, {} channels, pan {} deg, tilt {} deg)",
                       py::repr(py::str(l.source())).cast<std::string>(), l.footprint(), l.pan_range_degrees(),
                       l.tilt_range_degrees());
  });
}

void register_patched_fixture(py::module_& m) {
  py::class_<PatchedFixture> cls(m, "PatchedFixture",
                                 "One fixture of a patch: where it is patched, its channel layout and its "
                                 "calibration, under the keys of the patch file.");
  cls.def_property_readonly("name", [](const PatchedFixture& f) { return f.name; }, "Its name, unique in the patch.");
  cls.def_property_readonly("universe", [](const PatchedFixture& f) { return f.universe; },
                            "Its universe, 1 to 63999.");
  cls.def_property_readonly("address", [](const PatchedFixture& f) { return f.address; }, "Its first slot, from 1.");
  cls.def_property_readonly("layout", [](const PatchedFixture& f) { return f.layout; },
                            "Its ChannelLayout: every slot from the address on, and its ranges.");
  const auto calibration = [&cls](const char* name, auto field, const char* doc) {
    cls.def_property_readonly(name, [field](const PatchedFixture& f) { return f.calibration.*field; }, doc);
  };
  calibration("home_pan", &Calibration::home_pan, "Where x = 0 points, in degrees of pan.");
  calibration("home_tilt", &Calibration::home_tilt, "Where y = 0 points, in degrees of tilt.");
  calibration("reach_pan", &Calibration::reach_pan, "Degrees of pan that x = 1 moves from home.");
  calibration("reach_tilt", &Calibration::reach_tilt, "Degrees of tilt that y = 1 moves from home.");
  calibration("invert_pan", &Calibration::invert_pan, "Whether x pans the other way.");
  calibration("invert_tilt", &Calibration::invert_tilt, "Whether y tilts the other way.");
  calibration("swap_pan_tilt", &Calibration::swap_pan_tilt, "Whether x tilts and y pans.");
  calibration("max_speed", &Calibration::max_speed, "The most degrees a second either axis moves; None: no limit.");
  cls.def_property_readonly(
      "mounting", [](const PatchedFixture& f) { return mounting_name(f.calibration.mounting); },
      "'standing' or 'hung' (which inverts tilt).");
  cls.def_property_readonly(
      "pan_limits",
      [](const PatchedFixture& f) { return py::make_tuple(f.calibration.pan_limits.min, f.calibration.pan_limits.max); },
      "The lowest and highest pan in degrees.");
  cls.def_property_readonly(
      "tilt_limits",
      [](const PatchedFixture& f) {
        return py::make_tuple(f.calibration.tilt_limits.min, f.calibration.tilt_limits.max);
      },
      "The lowest and highest tilt in degrees.");
  cls.def_property_readonly(
      "position", [](const PatchedFixture& f) { return py::make_tuple(f.position.x, f.position.y, f.position.z); },
      "Where it hangs on stage, x y z in metres.");
  cls.def("__repr__", [](const PatchedFixture& f) {
    return std::format("PatchedFixture({}, universe={}, address={}, {} channels)",
                       py::repr(py::str(f.name)).cast<std::string>(), f.universe, f.address, f.layout.footprint());
  });
}

void register_universes(py::module_& m) {
  static_assert(sizeof(DmxUniverse) == Patch::kSlots);
  py::class_<Rows<DmxUniverse>> cls(m, "Universes", py::buffer_protocol(),
                                    "One frame of DMX: 512 slots of each universe of the patch, a read-only "
                                    "uint8 buffer shaped (universes, 512).");
  cls.def_buffer([](Rows<DmxUniverse>& rows) {
    return py::buffer_info(rows.rows().data(), 1, py::format_descriptor<std::uint8_t>::format(), 2,
                           {static_cast<py::ssize_t>(rows.size()), static_cast<py::ssize_t>(Patch::kSlots)},
                           {static_cast<py::ssize_t>(Patch::kSlots), py::ssize_t{1}}, /*readonly=*/true);
  });
  cls.def("__len__", &Rows<DmxUniverse>::size, "How many universes the frame holds.");
  cls.def("__repr__", [](const Rows<DmxUniverse>& rows) { return std::format("Universes({} x 512)", rows.size()); });
}

void register_patch_class(py::module_& m) {
  py::class_<Patch> cls(m, "Patch",
                        "A rig: fixtures at their universes and addresses, each with its channel layout (from an "
                        "Open Fixture Library file and mode, or inline) and calibration, in the order a spread "
                        "plays them. Immutable.");
  cls.def(py::init([](const std::filesystem::path& path, const Directory& fixtures) { return Patch(path, fixtures); }),
          py::arg("path"), py::arg("fixtures") = py::none(),
          "Reads a patch file. Each fixture's `ofl` file is looked up beside the patch file, then in the folder "
          "`fixtures`. ValueError names the file, the fixture and the key at fault.");
  cls.def(py::init(&patch_of_dict), py::arg("patch"), py::arg("fixtures") = py::none(),
          "A patch from a dict of the patch file's keys; `ofl` files are looked up in `fixtures`, or from the "
          "working folder without one.");
  cls.def_static(
      "from_json", [](std::string_view text, const Directory& fixtures) { return Patch::from_json(text, fixtures); },
      py::arg("text"), py::arg("fixtures") = py::none(), "A patch from the JSON text of a patch file.");
  cls.def_property_readonly(
      "path", [](const Patch& p) -> std::optional<std::string> {
        return p.path() ? std::optional(p.path()->string()) : std::nullopt;
      },
      "The file the patch was read from, or None.");
  cls.def_property_readonly(
      "fixtures", [](const Patch& p) { return py::tuple(py::cast(p.fixtures())); },
      "Every PatchedFixture, in file order.");
  cls.def_property_readonly(
      "universes", [](const Patch& p) { return tuple_of(p.universes()); },
      "The universes in use, ascending: the order of a frame's universes.");
  cls.def_property_readonly(
      "stage_x", [](const Patch& p) { return py::tuple(py::cast(p.stage_x())); },
      "Each fixture's x on stage, in patch order: spread(..., stage_x=patch.stage_x) phases by position.");
  cls.def("__len__", &Patch::size, "How many fixtures the patch holds.");
  cls.def(
      "angles",
      [](const Patch& p, const py::buffer& positions) {
        Positions in(positions);
        return p.angles(in.all_for(p.size()));
      },
      py::arg("positions"),
      "Where each head aims for a frame of positions (float64 rows of x, y, z, one per fixture): an Angles buffer "
      "of pan and tilt in degrees after reach, swap, inversion, mounting and limits, without slew.");
  cls.def("__repr__", [](const Patch& p) {
    const std::string from = p.path() ? py::repr(py::str(p.path()->string())).cast<std::string>() + ", " : "";
    return std::format("Patch({}{} fixtures on universe{} {})", from, p.size(), p.universes().size() == 1 ? "" : "s",
                       universes_text(p));
  });
  pipmoves::python::refuse_second_init(cls);
}

void register_player(py::module_& m) {
  py::class_<PatchPlayer> cls(m, "PatchPlayer",
                              "Plays a patch frame by frame, every head starting at home and moving no faster than "
                              "its max_speed: positions in, every universe's 512 slots out.");
  cls.def(py::init<Patch>(), py::arg("patch"), "A player of the patch, every head at home.");
  cls.def_property_readonly("patch", &PatchPlayer::patch, "The Patch it plays.");
  cls.def("reset", &PatchPlayer::reset, "Every head back at home, as when the player was made.");
  cls.def(
      "frame",
      [](PatchPlayer& player, const py::buffer& positions, double seconds, const py::object& out) -> py::object {
        Positions in(positions);
        const std::span<const Offset3> rows = in.all_for(player.patch().size());
        if (out.is_none()) {
          return py::cast(player.frame(rows, seconds));
        }
        OutBuffer buffer(out, 'B', 1, "out", "uint8");
        player.frame(rows, seconds, buffer.as<std::uint8_t>());
        return out;
      },
      py::arg("positions"), py::arg("seconds"), py::kw_only(), py::arg("out") = py::none(),
      "One frame: positions (float64 rows of x, y, z, one per fixture in patch order) and the seconds since the "
      "frame before. Returns a new Universes buffer, or fills `out` (a writable uint8 buffer of 512 bytes for each "
      "universe) and returns it.");
  cls.def_property_readonly(
      "angles",
      [](const PatchPlayer& player) {
        Rows<PanTilt> rows(static_cast<std::int64_t>(player.angles().size()));
        std::copy(player.angles().begin(), player.angles().end(), rows.rows().begin());
        return rows;
      },
      "Where each head points after the last frame, pan and tilt in degrees (an Angles buffer).");
  cls.def("__repr__", [](const PatchPlayer& player) {
    return std::format("PatchPlayer({} fixtures on universe{} {})", player.patch().size(),
                       player.patch().universes().size() == 1 ? "" : "s", universes_text(player.patch()));
  });
  pipmoves::python::refuse_second_init(cls);
}

}  // namespace

void register_patch(py::module_& m) {
  register_layout(m);
  register_patched_fixture(m);
  register_universes(m);
  register_patch_class(m);
  register_player(m);
}

}  // namespace pipmoves::play::python

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <bit>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "pipmoves/play/beat_tracker.hpp"
#include "pipmoves/play/following_clock.hpp"
#include "register.hpp"
#include "support/instances.hpp"

namespace py = pybind11;

namespace pipmoves::play::python {
namespace {

// The struct module's code of a buffer, byte order marks aside: native only.
std::string_view element_code(std::string_view format) {
  if (!format.empty() && (format.front() == '@' || format.front() == '=' ||
                          (format.front() == '<' && std::endian::native == std::endian::little))) {
    format.remove_prefix(1);
  }
  return format;
}

// Any buffer of mono samples, read where it lies.
std::vector<double> feed(BeatTracker& tracker, const py::buffer& samples) {
  const py::buffer_info info = samples.request();
  if (info.ndim != 1 || (info.size > 1 && info.strides[0] != info.itemsize)) {
    throw py::value_error("Samples must be one contiguous row of mono samples");
  }
  const std::string_view code = element_code(info.format);
  const auto count = static_cast<std::size_t>(info.size);
  if (code == "f" && info.itemsize == 4) {
    return tracker.feed(std::span(static_cast<const float*>(info.ptr), count));
  }
  if (code == "h" && info.itemsize == 2) {
    return tracker.feed(std::span(static_cast<const std::int16_t*>(info.ptr), count));
  }
  throw py::type_error("Samples must be float32 or int16, not buffer format '" + info.format + "'");
}

}  // namespace

void register_beat(py::module_& m) {
  py::class_<BeatTracker> tracker(m, "BeatTracker",
                                  "Beats in mono audio fed block by block, found by aubio's tempo tracker.");
  tracker.def(py::init<std::int64_t>(), py::arg("sample_rate"));
  tracker.def("feed", &feed, py::arg("samples"),
              "Feeds a block of samples (any buffer of float32 or int16) and returns the beats found in it, in "
              "seconds from the first sample fed.");
  tracker.def_property_readonly("sample_rate", &BeatTracker::sample_rate);
  tracker.def_property_readonly("tempo_bpm", &BeatTracker::tempo_bpm, "The tracked tempo, 0 until there is one.");
  tracker.def_property_readonly("last_beat_seconds", &BeatTracker::last_beat_seconds,
                                "The latest beat found, negative before the first.");
  tracker.def_property_readonly("confidence", &BeatTracker::confidence, "How sure the tracker is, from 0 up.");
  tracker.def_property_readonly("seconds_fed", &BeatTracker::seconds_fed);
  pipmoves::python::refuse_second_init(tracker);

  py::class_<FollowingClock> clock(m, "FollowingClock",
                                   "A clock that phase-locks to heard beats; its position never goes back or jumps.");
  clock.def(py::init([](double min_bpm, double max_bpm, double min_confidence, double max_rate_change,
                        int beats_per_bar) {
              return FollowingClock(FollowSettings{min_bpm, max_bpm, min_confidence, max_rate_change, beats_per_bar});
            }),
            py::arg("min_bpm") = FollowSettings{}.min_bpm, py::arg("max_bpm") = FollowSettings{}.max_bpm,
            py::kw_only(), py::arg("min_confidence") = FollowSettings{}.min_confidence,
            py::arg("max_rate_change") = FollowSettings{}.max_rate_change,
            py::arg("beats_per_bar") = FollowSettings{}.beats_per_bar);
  clock.def("beat", &FollowingClock::beat, py::arg("seconds"), py::arg("tracked_bpm"), py::arg("confidence"),
            "A heard beat, with the tracker's tempo and confidence then.");
  clock.def("bar_start", &FollowingClock::bar_start, py::arg("seconds"),
            "The bar starts at the beat nearest to this time.");
  clock.def("position_at", &FollowingClock::position_at, py::arg("seconds"));
  clock.def("pip_at", &FollowingClock::pip_at, py::arg("seconds"));
  clock.def_property_readonly("bpm", &FollowingClock::bpm, "The tempo followed, 0 before the first lock.");
  clock.def_property_readonly("locked", &FollowingClock::locked);
  clock.def_property_readonly("holding", &FollowingClock::holding);
  clock.def_property_readonly("ever_locked", &FollowingClock::ever_locked);
  clock.def_property_readonly("min_bpm", [](const FollowingClock& c) { return c.settings().min_bpm; });
  clock.def_property_readonly("max_bpm", [](const FollowingClock& c) { return c.settings().max_bpm; });
  pipmoves::python::refuse_second_init(clock);
}

}  // namespace pipmoves::play::python

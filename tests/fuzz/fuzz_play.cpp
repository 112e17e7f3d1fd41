#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "fuzz_targets.hpp"
#include "pipmoves/play/clock.hpp"
#include "pipmoves/play/fixture.hpp"
#include "pipmoves/play/render.hpp"

namespace pipmoves::fuzz {
namespace {

using play::Clock;
using play::TempoChange;

constexpr const char* kTempo = "Tempo must be finite and within [0.001, 1000000] BPM";
constexpr double kMaxChangeBeat = 70368744177664.0;

bool is_tempo(double bpm) { return bpm >= 0.001 && bpm <= 1e6; }

// Mostly tempos a show uses, sometimes an edge value.
double consume_bpm(FuzzedDataProvider& in) {
  return in.ConsumeBool() ? in.ConsumeFloatingPointInRange<double>(0.001, 1e6) : consume_value(in);
}

Outcome expected_clock(double bpm, double origin, const std::vector<TempoChange>& changes) {
  if (!is_tempo(bpm)) {
    return invalid(kTempo);
  }
  if (!std::isfinite(origin)) {
    return invalid("Beat origin must be finite");
  }
  double previous = 0.0;
  for (const TempoChange& change : changes) {
    if (!(change.beat > previous && change.beat < kMaxChangeBeat)) {
      return invalid("Tempo changes must come at finite increasing beats after beat zero");
    }
    if (!is_tempo(change.bpm)) {
      return invalid(kTempo);
    }
    previous = change.beat;
  }
  return {};
}

std::int32_t wrapped_before(std::int32_t pip) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(pip) - 1u);
}

// Whatever the origin, seconds_at ends and pip_at either answers or refuses
// by message; with an origin a clock of seconds can resolve, the round trip
// and the earliest-time rule hold exactly.
void check_clock(const Clock& clock, double origin, FuzzedDataProvider& in) {
  const bool resolvable = std::fabs(origin) <= 1e6;
  for (int i = 0; i < 6 && in.remaining_bytes() > 0; ++i) {
    const std::int32_t pip = consume_pip(in);
    const double t = clock.seconds_at(pip);
    require(!std::isnan(t), "seconds_at is a number");
    std::int32_t have = 0;
    const Outcome outcome = outcome_of([&] { have = clock.pip_at(t); });
    if (!resolvable) {
      require(outcome.type.empty() || outcome.message == "Time must be finite and within the clock's range",
              "pip_at refuses only by its message");
      continue;
    }
    expect(outcome, {}, "pip_at of seconds_at");
    require(have == pip, "round trip at pip " + std::to_string(pip));
    require(clock.pip_at(std::nextafter(t, -std::numeric_limits<double>::infinity())) == wrapped_before(pip),
            "earliest time of pip " + std::to_string(pip));
  }
  const double t = consume_value(in);
  const Outcome outcome = outcome_of([&] { clock.position_at(t); });
  require(outcome.type.empty() || outcome.message == "Time must be finite and within the clock's range",
          "position_at refuses only by its message");
}

std::vector<double> consume_taps(FuzzedDataProvider& in) {
  std::vector<double> taps(in.ConsumeIntegralInRange<std::size_t>(0, 12));
  double t = consume_value(in);
  for (double& tap : taps) {
    tap = t;
    t += in.ConsumeBool() ? in.ConsumeFloatingPointInRange<double>(0.0, 2.0) : consume_value(in);
  }
  return taps;
}

}  // namespace

void fuzz_clock(FuzzedDataProvider& in) {
  const double bpm = consume_bpm(in);
  const double origin = in.ConsumeBool() ? consume_value(in) : in.ConsumeFloatingPointInRange<double>(-1e4, 1e4);
  std::vector<TempoChange> changes(in.ConsumeIntegralInRange<std::size_t>(0, 4));
  double beat = 0.0;
  for (TempoChange& change : changes) {
    beat = in.ConsumeBool() ? beat + in.ConsumeFloatingPointInRange<double>(0.0, 64.0) : consume_value(in);
    change = {beat, consume_bpm(in)};
  }
  std::optional<Clock> clock;
  expect(outcome_of([&] { clock.emplace(bpm, origin, changes); }), expected_clock(bpm, origin, changes),
         "Clock(" + std::to_string(bpm) + ", " + std::to_string(origin) + ", " + std::to_string(changes.size()) +
             " changes)");
  if (clock) {
    check_clock(*clock, origin, in);
  }

  // Tap tempo refuses by its messages or gives a valid clock.
  const std::vector<double> taps = consume_taps(in);
  std::optional<Clock> tapped;
  const Outcome outcome = outcome_of([&] { tapped.emplace(play::tap_tempo(taps)); });
  bool ordered = taps.size() >= 2 && taps.size() <= 1024;
  for (std::size_t i = 0; ordered && i < taps.size(); ++i) {
    ordered = std::isfinite(taps[i]) && (i == 0 || taps[i] > taps[i - 1]);
  }
  if (taps.size() < 2 || taps.size() > 1024) {
    expect(outcome, invalid("Tap tempo needs 2..1024 taps"), "tap count");
  } else if (!ordered) {
    expect(outcome, invalid("Tap times must be finite and increasing"), "tap order");
  } else {
    require(outcome.type.empty() || outcome.message == kTempo || outcome.message == "Beat origin must be finite",
            "tap tempo refuses only by the clock's messages, not " + outcome.message);
    require(!tapped || is_tempo(tapped->bpm()), "tapped tempo within range");
  }
}

void fuzz_fixture_map(FuzzedDataProvider& in) {
  play::FixtureProfile profile;
  profile.pan_range_degrees = in.ConsumeBool() ? 540.0 : consume_value(in) * 360.0;
  profile.tilt_range_degrees = in.ConsumeBool() ? 270.0 : consume_value(in) * 360.0;
  if (in.ConsumeBool()) {
    profile.home_pan_degrees = in.ConsumeBool() ? consume_value(in) : in.ConsumeFloatingPointInRange<double>(-10.0, 600.0);
  }
  if (in.ConsumeBool()) {
    profile.home_tilt_degrees = consume_value(in) * 200.0;
  }
  profile.size = in.ConsumeBool() ? consume_value(in) : in.ConsumeProbability<double>();
  profile.invert_pan = in.ConsumeBool();
  profile.invert_tilt = in.ConsumeBool();

  const auto range_ok = [](double r) { return std::isfinite(r) && r > 0.0; };
  const auto home_ok = [](std::optional<double> home, double range) {
    const double h = home.value_or(range / 2.0);
    return h >= 0.0 && h <= range;
  };
  Outcome want;
  if (!range_ok(profile.pan_range_degrees) || !range_ok(profile.tilt_range_degrees)) {
    want = invalid("Pan and tilt ranges must be finite and positive");
  } else if (!home_ok(profile.home_pan_degrees, profile.pan_range_degrees) ||
             !home_ok(profile.home_tilt_degrees, profile.tilt_range_degrees)) {
    want = invalid("Home must be finite and within the fixture's range");
  } else if (!(profile.size >= 0.0 && profile.size <= 1.0)) {
    want = invalid("Size must be finite and within [0, 1]");
  }
  std::optional<play::FixtureMap> fixture;
  expect(outcome_of([&] { fixture.emplace(profile); }), want, "FixtureMap");
  if (!fixture) {
    return;
  }
  for (int i = 0; i < 4 && in.remaining_bytes() > 0; ++i) {
    const Offset3 position{consume_value(in), consume_value(in), consume_value(in)};
    play::PanTilt angles;
    const Outcome outcome = outcome_of([&] { angles = fixture->angles(position); });
    if (!std::isfinite(position.x) || !std::isfinite(position.y)) {
      expect(outcome, invalid("Positions must be finite"), "non-finite position");
      continue;
    }
    expect(outcome, {}, "finite position");
    require(angles.pan >= 0.0 && angles.pan <= profile.pan_range_degrees, "pan within range");
    require(angles.tilt >= 0.0 && angles.tilt <= profile.tilt_range_degrees, "tilt within range");
    // DMX is the nearest 16-bit value of the clamped angle.
    const play::DmxPanTilt dmx = fixture->dmx(position);
    const double pan_steps = angles.pan / profile.pan_range_degrees * 65535.0;
    require(std::fabs(dmx.pan() - pan_steps) <= 0.5 && std::fabs(dmx.tilt() - angles.tilt / profile.tilt_range_degrees * 65535.0) <= 0.5,
            "DMX rounds to the nearest value");
  }
}

// Whole frames of a small caller's pattern from any pip by any step stay
// bit-identical to sampling each row.
void fuzz_render(FuzzedDataProvider& in) {
  std::vector<Offset3> samples(in.ConsumeIntegralInRange<std::size_t>(1, 300));
  for (Offset3& s : samples) {
    s = {consume_unit_value(in), consume_unit_value(in), consume_unit_value(in)};
  }
  const SampledPattern pattern("frames", "", samples);
  const std::int32_t first = consume_pip(in);
  const std::int32_t step = in.ConsumeBool() ? in.ConsumeIntegralInRange<std::int32_t>(-700, 700) : consume_pip(in);
  const auto count = in.ConsumeIntegralInRange<std::int64_t>(-2, 3000);
  std::optional<play::Rows<Offset3>> rows;
  const Outcome outcome = outcome_of([&] { rows.emplace(play::render(play::PatternRef(pattern), first, count, step)); });
  if (step == 0) {
    expect(outcome, invalid("Step must not be zero"), "zero step");
    return;
  }
  if (count < 0) {
    expect(outcome, invalid("Count must not be negative"), "negative count");
    return;
  }
  expect(outcome, {}, "render");
  for (std::size_t k = 0; k < rows->size(); ++k) {
    const Offset3 want = pattern.sample(play::advance_pip(first, static_cast<std::int64_t>(k), step));
    const Offset3 have = rows->rows()[k];
    require(same_bits(want.x, have.x) && same_bits(want.y, have.y) && same_bits(want.z, have.z),
            "row " + std::to_string(k) + " from " + std::to_string(first) + " by " + std::to_string(step));
  }
}

}  // namespace pipmoves::fuzz

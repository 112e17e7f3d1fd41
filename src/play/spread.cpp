#include "pipmoves/play/spread.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>

#include "for_each_pip.hpp"

namespace pipmoves::play {
namespace {

// In the order of the enumeration.
constexpr std::array<std::string_view, 3> kAlternationNames = {"none", "reverse", "mirror_x"};

// Where one fixture stands in the spread.
struct FixturePhase {
  std::uint32_t lag = 0;
  bool reversed = false;
  bool mirrored_x = false;
};

// The fixtures' phases in order, fixture 0 first.
class Layout {
 public:
  Layout(const Spread& how, std::size_t fixtures, std::int32_t period)
      : how_(how), fixtures_(fixtures), period_(static_cast<std::uint64_t>(period)) {
    if (!how.stage_x.empty() || fixtures == 0) {
      place_stage(how.stage_x);
    } else if (!how.phase_step && !how.from_centre) {
      // floor(i * period / n) step by step, without a division per fixture.
      fan_whole_ = period_ / fixtures;
      fan_part_ = period_ % fixtures;
    }
  }

  FixturePhase next() noexcept {
    const std::size_t fixture = next_++;
    FixturePhase phase;
    if (staged_) {
      phase.lag = staged_lag(fixture);
    } else if (how_.phase_step) {
      phase.lag = static_cast<std::uint32_t>(rank(fixture)) * static_cast<std::uint32_t>(*how_.phase_step);
    } else if (how_.from_centre) {
      phase.lag = static_cast<std::uint32_t>(rank(fixture) * period_ / ((fixtures_ + 1) / 2));
    } else {
      phase.lag = static_cast<std::uint32_t>(fan_lag_);
      fan_lag_ += fan_whole_;
      fan_rest_ += fan_part_;
      if (fan_rest_ >= fixtures_) {
        fan_rest_ -= fixtures_;
        ++fan_lag_;
      }
    }
    const bool odd = fixture % 2 == 1;
    phase.reversed = odd && how_.alternate == Alternation::reverse;
    phase.mirrored_x = odd && how_.alternate == Alternation::mirror_x;
    return phase;
  }

 private:
  void place_stage(const std::vector<double>& x) {
    if (x.empty()) {
      return;
    }
    if (x.size() != fixtures_) {
      throw std::invalid_argument("Stage positions must be one per fixture");
    }
    if (!std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); })) {
      throw std::invalid_argument("Stage positions must be finite");
    }
    const auto [lo, hi] = std::minmax_element(x.begin(), x.end());
    left_ = *lo;
    middle_ = *lo + (*hi - *lo) / 2.0;
    span_ = *hi - *lo;
    staged_ = true;
    if (how_.from_centre) {
      innermost_ = raw_place(0);
      for (std::size_t i = 1; i < fixtures_; ++i) {
        innermost_ = std::min(innermost_, raw_place(i));
      }
    }
  }

  // Where a fixture stands on the scale of its index: 0 to n - 1 across the
  // rig, or its distance from the middle on that scale.
  double raw_place(std::size_t fixture) const noexcept {
    if (span_ == 0.0) {
      return 0.0;
    }
    const double x = how_.stage_x[fixture];
    const double from = how_.from_centre ? std::abs(x - middle_) : x - left_;
    return from * static_cast<double>(fixtures_ - 1) / span_;
  }

  std::uint32_t staged_lag(std::size_t fixture) const noexcept {
    const double place = raw_place(fixture) - innermost_;
    if (how_.phase_step) {
      return static_cast<std::uint32_t>(std::llround(place * static_cast<double>(*how_.phase_step)));
    }
    const double share = static_cast<double>(how_.from_centre ? (fixtures_ + 1) / 2 : fixtures_);
    return static_cast<std::uint32_t>(std::floor(place * static_cast<double>(period_) / share));
  }

  // From the centre, fixtures i and n - 1 - i share a rank: 3 2 1 0 0 1 2 3
  // for eight, 3 2 1 0 1 2 3 for seven.
  std::uint64_t rank(std::size_t fixture) const noexcept {
    if (!how_.from_centre) {
      return fixture;
    }
    const auto twice = static_cast<std::int64_t>(2 * fixture) - static_cast<std::int64_t>(fixtures_ - 1);
    return static_cast<std::uint64_t>(twice < 0 ? -twice : twice) / 2;
  }

  const Spread& how_;
  std::size_t fixtures_;
  std::uint64_t period_;
  std::size_t next_ = 0;
  std::uint64_t fan_whole_ = 0;
  std::uint64_t fan_part_ = 0;
  std::uint64_t fan_lag_ = 0;
  std::uint64_t fan_rest_ = 0;
  bool staged_ = false;
  double left_ = 0.0;
  double middle_ = 0.0;
  double span_ = 0.0;
  double innermost_ = 0.0;
};

std::int32_t fixture_pip(std::int32_t pip, const FixturePhase& phase) noexcept {
  const auto p = static_cast<std::uint32_t>(pip);
  return static_cast<std::int32_t>(phase.reversed ? phase.lag - p : p - phase.lag);
}

Offset3 placed(Offset3 sample, const FixturePhase& phase) noexcept {
  if (phase.mirrored_x) {
    sample.x = -sample.x;
  }
  return sample;
}

}  // namespace

Alternation alternation_named(std::string_view name) {
  for (std::size_t i = 0; i < kAlternationNames.size(); ++i) {
    if (kAlternationNames[i] == name) {
      return static_cast<Alternation>(i);
    }
  }
  throw std::invalid_argument("Unknown alternation: " + std::string(name));
}

std::string_view alternation_name(Alternation alternation) noexcept {
  return kAlternationNames[static_cast<std::size_t>(alternation)];
}

std::span<const std::string_view> alternation_names() noexcept { return kAlternationNames; }

void spread(const PatternRef& pattern, std::int32_t pip, const Spread& how, std::span<Offset3> out) {
  detail::check_span_rows(out.size());
  Layout layout(how, out.size(), pattern.period_pips());
  detail::with_sampler(pattern, [&](const auto& sample) {
    for (Offset3& row : out) {
      const FixturePhase phase = layout.next();
      row = placed(sample(fixture_pip(pip, phase)), phase);
    }
  });
}

void spread(const CrossFade& fade, std::int32_t pip, const Spread& how, std::span<Offset3> out) {
  const double w = fade.weight(pip);
  if (w == 0.0) {
    spread(fade.from(), pip, how, out);
    return;
  }
  if (w == 1.0) {
    spread(fade.to(), pip, how, out);
    return;
  }
  detail::check_span_rows(out.size());
  Layout from(how, out.size(), fade.from().period_pips());
  Layout to(how, out.size(), fade.to().period_pips());
  for (Offset3& row : out) {
    const FixturePhase a = from.next();
    const FixturePhase b = to.next();
    row = CrossFade::mix(placed(fade.from().sample(fixture_pip(pip, a)), a),
                            placed(fade.to().sample(fixture_pip(pip, b)), b), w);
  }
}

Rows<Offset3> spread(const PatternRef& pattern, std::int32_t pip, std::int64_t fixtures, const Spread& how) {
  Rows<Offset3> rows(fixtures);
  spread(pattern, pip, how, rows.rows());
  return rows;
}

Rows<Offset3> spread(const CrossFade& fade, std::int32_t pip, std::int64_t fixtures, const Spread& how) {
  Rows<Offset3> rows(fixtures);
  spread(fade, pip, how, rows.rows());
  return rows;
}

}  // namespace pipmoves::play

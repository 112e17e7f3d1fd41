#include <algorithm>
#include <cmath>
#include <cstddef>
#include <optional>
#include <span>
#include <stdexcept>
#include <vector>

#include "pipmoves/play/clock.hpp"

namespace pipmoves::play {
namespace {

constexpr std::size_t kMaxTaps = 1024;
// From this many taps on, one tap that does not fit may be left out.
constexpr std::size_t kTapsToFindAStray = 4;
// Taps fit a steady beat when none is further than this share of a beat
// from it; beyond, one stray tap is looked for.
constexpr double kSteadyShare = 1.0 / 8.0;

struct Fit {
  double period = 0.0;  // seconds a beat
  double origin = 0.0;  // time of the first kept tap's beat
  double worst = 0.0;   // largest distance of a kept tap from its beat
};

double median(std::vector<double> values) {
  const std::size_t half = values.size() / 2;
  std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(half), values.end());
  const double upper = values[half];
  if (values.size() % 2 == 1) {
    return upper;
  }
  return (*std::max_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(half)) + upper) / 2.0;
}

// Numbers the taps' beats by the median interval, a skipped beat counting
// twice, then fits beat times by least squares. None when two taps fall on
// one beat.
std::optional<Fit> fit_beats(std::span<const double> taps, std::optional<std::size_t> left_out) {
  std::vector<double> times;
  for (std::size_t i = 0; i < taps.size(); ++i) {
    if (i != left_out) {
      times.push_back(taps[i] - taps.front());
    }
  }
  std::vector<double> intervals;
  for (std::size_t i = 1; i < times.size(); ++i) {
    intervals.push_back(times[i] - times[i - 1]);
  }
  const double typical = median(intervals);
  std::vector<double> beats{0.0};
  for (const double interval : intervals) {
    const double skipped = std::round(interval / typical);
    if (skipped < 1.0) {
      return std::nullopt;
    }
    beats.push_back(beats.back() + skipped);
  }
  const auto n = static_cast<double>(times.size());
  double mean_beat = 0.0;
  double mean_time = 0.0;
  for (std::size_t i = 0; i < times.size(); ++i) {
    mean_beat += beats[i] / n;
    mean_time += times[i] / n;
  }
  double covariance = 0.0;
  double variance = 0.0;
  for (std::size_t i = 0; i < times.size(); ++i) {
    covariance += (beats[i] - mean_beat) * (times[i] - mean_time);
    variance += (beats[i] - mean_beat) * (beats[i] - mean_beat);
  }
  Fit fit;
  fit.period = covariance / variance;
  const double first_beat = mean_time - fit.period * mean_beat;
  for (std::size_t i = 0; i < times.size(); ++i) {
    fit.worst = std::max(fit.worst, std::fabs(times[i] - (first_beat + fit.period * beats[i])));
  }
  fit.origin = taps.front() + first_beat;
  return fit;
}

}  // namespace

Clock tap_tempo(std::span<const double> tap_seconds) {
  if (tap_seconds.size() < 2 || tap_seconds.size() > kMaxTaps) {
    throw std::invalid_argument("Tap tempo needs 2..1024 taps");
  }
  for (std::size_t i = 0; i < tap_seconds.size(); ++i) {
    if (!std::isfinite(tap_seconds[i]) || (i > 0 && !(tap_seconds[i] > tap_seconds[i - 1]))) {
      throw std::invalid_argument("Tap times must be finite and increasing");
    }
  }
  std::optional<Fit> best = fit_beats(tap_seconds, std::nullopt);
  const bool steady = best && best->worst <= kSteadyShare * best->period;
  if (!steady && tap_seconds.size() >= kTapsToFindAStray) {
    for (std::size_t stray = 0; stray < tap_seconds.size(); ++stray) {
      const std::optional<Fit> without = fit_beats(tap_seconds, stray);
      if (without && (!best || without->worst < best->worst)) {
        best = without;
      }
    }
  }
  if (!best) {
    // No numbering fits (taps bunched on beats): the plain average.
    best = Fit{(tap_seconds.back() - tap_seconds.front()) / static_cast<double>(tap_seconds.size() - 1),
               tap_seconds.front(), 0.0};
  }
  return Clock(60.0 / best->period, best->origin);
}

}  // namespace pipmoves::play

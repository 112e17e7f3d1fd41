#include <algorithm>
#include <cmath>

#include "event_shape.hpp"
#include "moves.hpp"

namespace pipmoves::authoring::grooves {

Score score_of(const Groove& groove) { return {groove.period, score_events(groove)}; }

bool is_kick(const Event& e) { return e.cls == EventClass::kick; }
bool is_backbeat(const Event& e) { return e.cls == EventClass::snare || e.cls == EventClass::clap; }
bool is_main(const Event& e) { return is_kick(e) || is_backbeat(e); }
bool is_upper(const Event& e) { return e.cls == EventClass::perc3 || e.cls == EventClass::perc5; }
bool is_low(const Event& e) { return e.cls == EventClass::perc4; }
bool is_percussion(const Event& e) { return !is_main(e); }
bool is_colour(const Event& e) {
  return e.cls == EventClass::perc1 || e.cls == EventClass::perc2 || e.cls == EventClass::perc4;
}

namespace {

// Onsets closer together than a sixteenth are one gesture: a glide between
// them would cross the whole move in a pip or two. The later value wins and
// the glide starts at the first of them; the same holds across the seam.
constexpr double kShortestGlide = kBeat / 4.0;

std::vector<Onset> distinct_times(const std::vector<Onset>& onsets, int period) {
  std::vector<Onset> unique;
  for (const Onset& o : onsets) {
    if (!unique.empty() && o.t - unique.back().t < kShortestGlide) {
      unique.back().value = o.value;
    } else {
      unique.push_back(o);
    }
  }
  while (unique.size() > 1 && unique.front().t + period - unique.back().t < kShortestGlide) {
    unique.back().value = unique.front().value;
    unique.erase(unique.begin());
  }
  return unique;
}

OnsetProgress progress_among(const std::vector<Onset>& unique, double i, int period) {
  const std::size_t n = unique.size();
  // The last onset at or before i, around the loop.
  std::size_t j = n - 1;
  for (std::size_t k = 0; k < n; ++k) {
    if (unique[k].t <= i) {
      j = k;
    }
  }
  const Onset& at = unique[j];
  const Onset& next = unique[(j + 1) % n];
  double gap = next.t - at.t;
  double since = i - at.t;
  if (gap <= 0.0) {
    gap += period;
  }
  if (since < 0.0) {
    since += period;
  }
  return {j, std::clamp(since / gap, 0.0, 1.0)};
}

}  // namespace

double onset_glide(const std::vector<Onset>& onsets, double i, int period) {
  const std::vector<Onset> unique = distinct_times(onsets, period);
  const std::size_t n = unique.size();
  if (n == 0) {
    return 0.0;
  }
  const OnsetProgress p = progress_among(unique, i, period);
  const Onset& from = unique[(p.index + n - 1) % n];
  const Onset& at = unique[p.index];
  return from.value + (at.value - from.value) * smootherstep(p.fraction);
}

std::vector<double> lagged_around_loop(const std::vector<double>& signal, double lag) {
  const double keep = std::exp(-1.0 / lag);
  // Enough passes for the state carried into the loop to fade below rounding.
  const int passes = 2 + static_cast<int>(40.0 * lag / static_cast<double>(signal.size()));
  std::vector<double> out(signal.size());
  double first = 0.0;
  double second = 0.0;
  for (int pass = 0; pass < passes; ++pass) {
    for (std::size_t k = 0; k < signal.size(); ++k) {
      first = keep * first + (1.0 - keep) * signal[k];
      second = keep * second + (1.0 - keep) * first;
      out[k] = second;
    }
  }
  return out;
}

namespace {
constexpr double kActivityLag = 16.0;  // pips, each stage
constexpr double kActivityKnee = 0.5;  // lagged activity that reaches tanh(1)
}  // namespace

std::vector<double> felt_activity(const Score& score, const std::function<double(const Event&)>& share) {
  std::vector<double> raw;
  for (int i = 0; i < score.period; ++i) {
    double sum = 0.0;
    for (const Event& e : score.events) {
      const double w = class_weight(e, i, score.period);
      if (w != 0.0) {
        sum += share(e) * e.velocity * w;
      }
    }
    raw.push_back(sum);
  }
  std::vector<double> felt = lagged_around_loop(raw, kActivityLag);
  for (double& a : felt) {
    a = std::tanh(a / kActivityKnee);
  }
  return felt;
}

OnsetProgress onset_progress(const std::vector<Onset>& onsets, double i, int period) {
  const std::vector<Onset> unique = distinct_times(onsets, period);
  if (unique.empty()) {
    return {0, 0.0};
  }
  return progress_among(unique, i, period);
}

}  // namespace pipmoves::authoring::grooves

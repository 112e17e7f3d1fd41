#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "engine.hpp"

namespace pipmoves::play {

namespace groove_engine {

const engine::Instrument* instrument_named(std::string_view name) {
  for (const engine::Instrument& instrument : engine::kInstruments) {
    if (instrument.name == name) {
      return &instrument;
    }
  }
  return nullptr;
}

engine::Score score_of(const GrooveScore& score) {
  engine::Score out{score.period_pips(), {}};
  out.events.reserve(score.hits().size());
  for (const GrooveHit& hit : score.hits()) {
    out.events.push_back({hit.pip, instrument_named(hit.instrument)->cls, hit.velocity, hit.side});
  }
  return out;
}

}  // namespace groove_engine

const std::vector<std::string_view>& groove_instruments() {
  static const std::vector<std::string_view> names = [] {
    std::vector<std::string_view> out;
    for (const auto& instrument : groove_engine::engine::kInstruments) {
      out.push_back(instrument.name);
    }
    return out;
  }();
  return names;
}

GrooveScore::GrooveScore(int period_pips, std::vector<GrooveHit> hits, std::optional<double> tempo_bpm)
    : period_pips_(period_pips), hits_(std::move(hits)), tempo_bpm_(tempo_bpm) {
  if (period_pips_ < 1 || period_pips_ > kMaxBeats * PIPS_PER_BEAT) {
    throw std::invalid_argument("A groove loops over 1 to 1792 pips");
  }
  if (hits_.empty()) {
    throw std::invalid_argument("A groove needs at least one hit");
  }
  if (hits_.size() > kMaxGrooveHits) {
    throw std::invalid_argument("A groove holds at most " + std::to_string(kMaxGrooveHits) + " hits, not " +
                                std::to_string(hits_.size()));
  }
  for (const GrooveHit& hit : hits_) {
    if (!(hit.pip >= 0.0 && hit.pip < period_pips_)) {
      throw std::invalid_argument("A hit lies outside the loop: " + std::to_string(hit.pip));
    }
    if (groove_engine::instrument_named(hit.instrument) == nullptr) {
      throw std::invalid_argument("Unknown instrument: " + hit.instrument);
    }
    if (!(hit.velocity > 0.0 && hit.velocity <= 1.0)) {
      throw std::invalid_argument("A hit's velocity must be above 0 and at most 1");
    }
    if (hit.side < -1 || hit.side > 1) {
      throw std::invalid_argument("A hit's side must be -1, 0 or 1");
    }
  }
  if (tempo_bpm_ && !(std::isfinite(*tempo_bpm_) && *tempo_bpm_ > 0.0)) {
    throw std::invalid_argument("A groove's tempo must be a positive number of beats a minute");
  }
  std::stable_sort(hits_.begin(), hits_.end(), [](const GrooveHit& a, const GrooveHit& b) { return a.pip < b.pip; });
}

}  // namespace pipmoves::play

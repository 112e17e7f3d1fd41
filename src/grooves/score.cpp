#include "score.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace pipmoves::authoring::grooves {
namespace {

struct Stroke {
  double velocity;
  int side;
};

bool read_step(char c, Stroke& stroke) {
  switch (c) {
    case 'R': stroke = {1.0, 1}; return true;
    case 'L': stroke = {1.0, -1}; return true;
    case 'C': stroke = {1.0, 0}; return true;
    case 'r': stroke = {kSoftVelocity, 1}; return true;
    case 'l': stroke = {kSoftVelocity, -1}; return true;
    case 'c': stroke = {kSoftVelocity, 0}; return true;
    case '>': stroke = {kGhostVelocity, 1}; return true;
    case '<': stroke = {kGhostVelocity, -1}; return true;
    case 'o': stroke = {kGhostVelocity, 0}; return true;
    default: return false;
  }
}

}  // namespace

std::vector<Event> score_events(const Groove& groove) {
  const auto fault = [&](const Lane& lane, const std::string& what) {
    return std::invalid_argument("groove '" + std::string(groove.name) + "', " + std::string(lane.instrument.name) +
                                 " lane: " + what);
  };
  std::vector<Event> events;
  for (const Lane& lane : groove.lanes) {
    std::vector<char> steps;
    for (char c : lane.steps) {
      if (c != '|' && c != ' ') {
        steps.push_back(c);
      }
    }
    const double length = static_cast<double>(steps.size()) * lane.step;
    const double repeats = groove.period / length;
    if (steps.empty() || std::fabs(repeats - std::round(repeats)) > 1e-9 || std::round(repeats) < 1) {
      throw fault(lane, "its " + std::to_string(steps.size()) + " steps do not divide the loop");
    }
    for (int k = 0; k < static_cast<int>(std::round(repeats)); ++k) {
      for (std::size_t s = 0; s < steps.size(); ++s) {
        Stroke stroke{};
        if (steps[s] == '.') {
          continue;
        }
        if (!read_step(steps[s], stroke)) {
          throw fault(lane, std::string("unknown step '") + steps[s] + "'");
        }
        const double late = lane.offset + (s % 2 == 1 ? lane.swing : 0.0);
        const double t = std::fmod(k * length + static_cast<double>(s) * lane.step + late, groove.period);
        events.push_back({t, lane.instrument.cls, stroke.velocity, stroke.side});
      }
    }
  }
  std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) { return a.t < b.t; });
  return events;
}

}  // namespace pipmoves::authoring::grooves

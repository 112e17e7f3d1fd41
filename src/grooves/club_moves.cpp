// The four club moves. In bounce and step each event adds its class's
// amplitude times its velocity, with x (and, for the low-end cues, z) leaning
// to the event's side; kicks, claps and snares are the exact part.

#include <array>
#include <cmath>

#include "event_shape.hpp"
#include "moves.hpp"

namespace pipmoves::authoring::grooves {
namespace {

// Per class: x (times the side), y, z (times the depth sign).
struct Amplitude {
  double x;
  double y;
  double z;
};
using AmplitudeTable = std::array<Amplitude, kEventClasses>;

// Only snares and claps lean the bounce sideways: the side lean is the
// backbeat's, kept exactly at its stated size. Toms press down; rims, hats
// and low-end cues lift, so they never blunt a kick that they share.
constexpr AmplitudeTable kBounce = {{
    {0.0, 0.55, 0.0},     // kick
    {0.24, -0.2, 0.0},    // clap
    {0.27, -0.22, 0.0},   // snare
    {0.0, -0.08, 0.0},    // perc1
    {0.0, 0.05, 0.0},     // perc2
    {0.0, 0.06, 0.0},     // perc3
    {0.0, 0.08, 0.06},    // perc4
    {0.0, 0.0, 0.0},      // perc5: not in the club grooves
}};

constexpr AmplitudeTable kStep = {{
    {0.42, -0.22, 0.0},   // kick
    {0.3, -0.12, 0.0},    // clap
    {0.32, -0.14, 0.0},   // snare
    {0.14, -0.06, 0.0},   // perc1
    {0.1, -0.04, 0.0},    // perc2
    {0.05, 0.05, 0.0},    // perc3
    {0.08, 0.04, 0.18},   // perc4
    {0.0, 0.0, 0.0},      // perc5
}};

// The dancefloor grooves' own bounce and step: a deeper downstroke, wider
// side accents, and depth from the fine grains too. Hats and ticks have
// shorter attacks than the kicks, snares and claps they land on, and one of
// the other sign starting a pip later would turn the drum's rise or fall
// round within that pip: in the bounce, where kicks lift and snares press,
// they leave y alone (dipping would blunt the kick's peak); in the step,
// where every drum presses, they dip with them.
constexpr AmplitudeTable kGrooveBounce = {{
    {0.06, 0.6, 0.0},     // kick
    {0.26, -0.2, 0.0},    // clap
    {0.3, -0.22, 0.0},    // snare
    {0.12, -0.08, 0.0},   // perc1
    {0.08, -0.06, 0.0},   // perc2
    {0.05, 0.0, 0.0},     // perc3
    {0.06, 0.08, 0.07},   // perc4
    {0.04, 0.0, -0.04},   // perc5
}};

constexpr AmplitudeTable kGrooveStep = {{
    {0.4, -0.22, 0.0},    // kick
    {0.3, -0.12, 0.0},    // clap
    {0.32, -0.14, 0.0},   // snare
    {0.14, -0.06, 0.0},   // perc1
    {0.1, -0.04, 0.0},    // perc2
    {0.05, -0.05, 0.0},   // perc3
    {0.08, 0.04, 0.18},   // perc4
    {0.04, -0.04, -0.06}, // perc5
}};

// Low-end cues push depth forward unless they lean left.
double depth_sign(int side) { return side < 0 ? -1.0 : 1.0; }

bool is_exact_part(const Event& e) { return is_main(e); }

Offset3 event_offset(const Event& e, const AmplitudeTable& amplitudes, double w) {
  const Amplitude& a = amplitudes[static_cast<std::size_t>(class_index(e.cls))];
  return {a.x * e.side * e.velocity * w, a.y * e.velocity * w, a.z * depth_sign(e.side) * e.velocity * w};
}

void add(Offset3& sum, const Offset3& o) {
  sum.x += o.x;
  sum.y += o.y;
  sum.z += o.z;
}

SplitTable split_events(const Score& score, const AmplitudeTable& amplitudes) {
  SplitTable split{Table(static_cast<std::size_t>(score.period)), Table(static_cast<std::size_t>(score.period))};
  for (int i = 0; i < score.period; ++i) {
    for (const Event& e : score.events) {
      const double w = class_weight(e, i, score.period);
      if (w == 0.0) {
        continue;
      }
      add(is_exact_part(e) ? split.kept[static_cast<std::size_t>(i)] : split.scaled[static_cast<std::size_t>(i)],
          event_offset(e, amplitudes, w));
    }
  }
  return split;
}

Table whole(const SplitTable& split) {
  Table t = split.kept;
  for (std::size_t i = 0; i < t.size(); ++i) {
    add(t[i], split.scaled[i]);
  }
  return t;
}

// Orbit: one turn a bar, a quarter turn a beat. The radius swells with each
// event by its class weight; snares, claps and percussion lean the depth.
constexpr double kOrbitRadius = 0.58;
constexpr double kOrbitRest = 0.6;  // of the full radius, between events
constexpr std::array<double, kEventClasses> kOrbitSwell = {0.4, 0.25, 0.3, 0.15, 0.1, 0.06, 0.2, 0.05};
constexpr std::array<double, kEventClasses> kOrbitDepth = {0.0, 0.12, 0.15, 0.08, 0.06, 0.04, 0.1, 0.03};

struct OrbitInputs {
  double radius;  // of the full radius
  double depth;
};

OrbitInputs orbit_inputs(const Score& score, double i) {
  OrbitInputs in{kOrbitRest, 0.0};
  for (const Event& e : score.events) {
    const double w = class_weight(e, i, score.period);
    const auto c = static_cast<std::size_t>(class_index(e.cls));
    in.radius += kOrbitSwell[c] * e.velocity * w;
    in.depth += kOrbitDepth[c] * depth_sign(e.side) * e.velocity * w;
  }
  return in;
}

// The orbit's inputs at every pip. Depth follows its events a few pips
// behind, so dense ghost notes lean the orbit in and out without a corner at
// each attack; the radius keeps its swell at each event.
constexpr double kOrbitDepthLag = 8.0;  // pips, each stage

std::vector<OrbitInputs> orbit_track(const Score& score) {
  std::vector<OrbitInputs> track;
  std::vector<double> depth;
  for (int i = 0; i < score.period; ++i) {
    track.push_back(orbit_inputs(score, i));
    depth.push_back(track.back().depth);
  }
  depth = lagged_around_loop(depth, kOrbitDepthLag);
  for (std::size_t k = 0; k < track.size(); ++k) {
    track[k].depth = depth[k];
  }
  return track;
}

// Glide: a slow phrase path over the loop, pushed by low-end onsets (kicks
// stand in, more gently, where a groove has no bass).
constexpr double kPhraseX = 0.45;
constexpr double kPhraseY = 0.2;
constexpr double kPhraseZ = 0.3;
constexpr double kBassPush = 0.25;
constexpr double kKickPush = 0.1;
// Snares, claps and percussion sway the phrase a little, after they play.
constexpr double kPhraseSway = 0.06;  // y

Table glide_table(const Score& score, double phrase_turns) {
  const std::vector<double> sway =
      felt_activity(score, [](const Event& e) { return is_kick(e) || is_low(e) ? 0.0 : 1.0; });
  return tabulate(score.period, [&](int i) {
    const double phi = phrase_turns * phase(i, score.period);
    Offset3 o{kPhraseX * std::sin(phi), kPhraseY * std::sin(2.0 * phi) + kPhraseSway * sway[static_cast<std::size_t>(i)],
              kPhraseZ * std::sin(phi + kPi / 3.0)};
    for (const Event& e : score.events) {
      const double push = is_low(e) ? kBassPush : is_kick(e) ? kKickPush : 0.0;
      if (push == 0.0) {
        continue;
      }
      const double w = class_weight(e, i, score.period) * e.velocity * push;
      o.x += w * e.side;
      o.y -= 0.5 * w;
      o.z += w * depth_sign(e.side);
    }
    return o;
  });
}

}  // namespace

SplitTable club_bounce(const Score& score) { return split_events(score, kBounce); }
SplitTable club_step(const Score& score) { return split_events(score, kStep); }

Table club_orbit(const Score& score) {
  const std::vector<OrbitInputs> track = orbit_track(score);
  return tabulate(score.period, [&](int i) {
    const OrbitInputs& in = track[static_cast<std::size_t>(i)];
    const double theta = 2.0 * kPi * i / kBar;
    const double r = kOrbitRadius * in.radius;
    return Offset3{r * std::cos(theta), r * std::sin(theta), in.depth};
  });
}

Table club_glide(const Score& score) { return glide_table(score, 1.0); }

Table groove_bounce(const Score& score) { return whole(split_events(score, kGrooveBounce)); }
Table groove_step(const Score& score) { return whole(split_events(score, kGrooveStep)); }

// The orbit's angle runs faster through busy stretches; it still makes one
// turn a bar on average, so the loop closes.
constexpr double kOrbitRush = 1.5;

Table groove_orbit(const Score& score) {
  const std::vector<OrbitInputs> inputs = orbit_track(score);
  std::vector<double> speed;
  for (const OrbitInputs& in : inputs) {
    speed.push_back(1.0 + kOrbitRush * (in.radius - kOrbitRest));
  }
  double total = 0.0;
  for (double s : speed) {
    total += s;
  }
  const double turns = score.period / kBar;
  double travelled = 0.0;
  return tabulate(score.period, [&](int i) {
    const auto k = static_cast<std::size_t>(i);
    const double theta = 2.0 * kPi * turns * travelled / total;
    travelled += speed[k];
    const double r = kOrbitRadius * inputs[k].radius;
    return Offset3{r * std::cos(theta), r * std::sin(theta), inputs[k].depth};
  });
}

Table groove_glide(const Score& score) { return glide_table(score, 1.0); }

}  // namespace pipmoves::authoring::grooves

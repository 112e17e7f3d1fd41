// The twelve dancefloor moves. Bumps for drum events use the small and large
// sizes only, on the axes each move names; everything else is a path that the
// events steer.

#include <array>
#include <cmath>
#include <numeric>

#include "event_shape.hpp"
#include "moves.hpp"

namespace pipmoves::authoring::grooves {
namespace {


// +1, -1, ... for the j-th event of a sequence.
double alternate(std::size_t j) { return j % 2 == 0 ? 1.0 : -1.0; }

// Sum over the events that pass a filter of value(e) times its bump weight.
template <typename Filter, typename Value>
double bumps(const Score& s, double i, HalfWidths w, Filter filter, Value value) {
  double sum = 0.0;
  for (const Event& e : s.events) {
    if (filter(e)) {
      const double k = event_weight(e, i, w, s.period);
      if (k != 0.0) {
        sum += value(e) * k;
      }
    }
  }
  return sum;
}

// The events of one kind in time order, each with a value.
template <typename Filter, typename Value>
std::vector<Onset> onsets(const Score& s, Filter filter, Value value) {
  std::vector<Onset> out;
  std::size_t j = 0;
  for (const Event& e : s.events) {
    if (filter(e)) {
      out.push_back({e.t, value(e, j++)});
    }
  }
  return out;
}

double every_event(const Event&) { return 1.0; }

// A phase that runs faster where weight is higher and makes exactly `turns`
// turns over the loop.
std::vector<double> weighted_phase(const std::vector<double>& weight, double turns) {
  const double total = std::accumulate(weight.begin(), weight.end(), 0.0);
  std::vector<double> theta;
  double travelled = 0.0;
  for (double w : weight) {
    theta.push_back(2.0 * kPi * turns * travelled / total);
    travelled += w;
  }
  return theta;
}

double v(const Event& e) { return e.velocity; }
// Centred events lean right, so every event of a lane leaves a trace.
double lean_v(const Event& e) { return (e.side < 0 ? -1.0 : 1.0) * e.velocity; }
double side_v(const Event& e) { return e.side * e.velocity; }

// ---- surge ------------------------------------------------------------------
constexpr double kSurgeKickThrust = 0.68;   // z, large
constexpr double kSurgeKickDip = -0.36;     // y, large
constexpr double kSurgeKickLean = 0.08;     // x, large
constexpr double kSurgeSnareLift = 0.19;    // y, large
constexpr double kSurgeSnareBack = -0.29;   // z, large
constexpr double kSurgeSnareSide = 0.2;     // x, large
constexpr double kSurgeHatSide = 0.08;      // x, small
constexpr double kSurgeHatLift = 0.06;      // y, small
constexpr double kSurgeColour = 0.05;       // x and y, small, toms, rims, bass

// ---- recoil -----------------------------------------------------------------
constexpr double kRecoilEchoDelay = 24.0;   // pips after the event
constexpr double kRecoilSnarePush = 0.64;   // x, large
constexpr double kRecoilEchoPull = -0.3;    // x, large, of the event's side
constexpr double kRecoilKickDrop = 0.31;    // y, large
constexpr double kRecoilHatDrop = 0.06;     // y, small
constexpr double kRecoilColourDrop = 0.04;  // y, small, toms, rims, bass
constexpr double kRecoilKickDepth = 0.19;   // z, large
constexpr double kRecoilEchoBack = -0.26;   // z, large

// ---- flutter ----------------------------------------------------------------
constexpr double kFlutterArcWidth = 0.5;    // x along the kick/snare arc
constexpr double kFlutterArcDepth = 0.29;   // z along it
constexpr double kFlutterDrumLift = 0.35;   // y, large
constexpr double kFlutterTremor = 0.1;      // y, small, of the hat's side
constexpr double kFlutterColour = 0.05;     // y, small, toms, rims, bass

// ---- dive -------------------------------------------------------------------
constexpr double kDivePlunge = 0.92;        // z towards each low onset
constexpr double kDiveRise = -0.33;         // z between them
constexpr double kDiveCounterweight = 0.49; // x, large, alternating
constexpr double kDiveHatSide = 0.1;        // x, small
constexpr double kDiveColourSide = 0.06;    // x, small, toms, rims, bass
constexpr double kDiveKickDrop = -0.19;     // y, large
constexpr double kDiveSnareLift = 0.125;    // y, large

// ---- pendulum ---------------------------------------------------------------
constexpr double kPendulumSwingsPerBar = 2.0;
constexpr double kPendulumRush = 1.2;       // extra speed per unit of activity
constexpr double kPendulumReach = 0.55;     // x at the top of a swing
constexpr double kPendulumGrowth = 0.3;     // extra reach per unit of activity
constexpr double kPendulumHang = 0.35;      // y of the arc
constexpr double kPendulumKickDepth = 0.26; // z, large
constexpr double kPendulumSnareDepth = -0.18;

// ---- figure8 ----------------------------------------------------------------
constexpr double kFigureWidth = 0.63;
constexpr double kFigureHeight = 0.44;
constexpr double kFigureKickSwell = 0.35;   // of the size, with the kick's shape
constexpr double kFigureRest = 0.75;
constexpr double kFigureSnareLift = 0.18;   // z, large
constexpr double kFigureKickDepth = -0.2;   // z, large
constexpr double kFigurePercussionSwell = 0.15;  // of the size, with felt percussion

// ---- box --------------------------------------------------------------------
constexpr double kBoxSize = 0.52;
constexpr double kBoxSoftness = 2.5;        // larger is squarer
constexpr double kBoxRush = 2.0;
constexpr double kBoxDrumDepth = 0.29;      // z, large, kicks forward
constexpr double kBoxSnareDepth = -0.09;    // z, large
constexpr double kBoxHatDepth = 0.09;       // z, small, of the hat's side

// ---- corkscrew --------------------------------------------------------------
constexpr double kCorkscrewTurns = 2.0;     // per loop
constexpr double kCorkscrewRadius = 0.45;
constexpr double kCorkscrewPercussionReach = 0.8;
constexpr double kCorkscrewDrumShare = 0.2;  // of a percussion event's reach
constexpr double kCorkscrewDepth = 0.55;

// ---- spiral -----------------------------------------------------------------
constexpr double kSpiralTurns = 2.0;
constexpr double kSpiralInner = 0.2;
constexpr double kSpiralOuter = 0.45;
constexpr double kSpiralBreath = 0.45;      // radius per unit of felt activity
constexpr double kSpiralDrift = -0.08;      // x of the centre
constexpr double kSpiralDepth = 0.33;

// ---- slalom -----------------------------------------------------------------
constexpr double kSlalomWidth = 0.65;
constexpr double kSlalomCutback = 0.7;      // of the width, at snares
constexpr double kSlalomKickLift = 0.36;
constexpr double kSlalomLeftKickLift = 0.6; // of the lift
constexpr double kSlalomSnareDrop = -0.41;
constexpr double kSlalomCounter = -0.55;    // z per unit of x
constexpr double kSlalomCarve = 0.22;       // y arc of each turn, alternating
constexpr double kSlalomPercussionCarve = 0.6;  // deeper arcs, with felt percussion

// ---- spring -----------------------------------------------------------------
// Each axis rings at its own period and decay, none of them a divisor or a
// multiple of the sixteenth grid, so older rings never cross zero in step
// with new onsets and the x-z path curls instead of drawing spokes.
struct Ringing {
  double period;  // pips per ring
  double decay;   // pips for the ring to fall by e
};
constexpr Ringing kSpringX = {27.0, 22.0};
constexpr Ringing kSpringY = {25.0, 18.0};
constexpr Ringing kSpringZ = {23.0, 15.0};
constexpr double kSpringOnset = 6.0;        // pips over which an event takes hold
constexpr double kSpringSide = 0.67;
constexpr double kSpringBackbeat = 0.37;
constexpr double kSpringKickY = -0.2;
constexpr double kSpringKickDepth = 0.6;
constexpr double kSpringPercussionDepth = 0.2;

// ---- ricochet ---------------------------------------------------------------
constexpr std::array<Offset3, 5> kRicochetTargets = {{
    {1.0, 0.2, -0.3},
    {-0.6, -1.0, 0.5},
    {0.3, 0.77, 0.4},
    {-1.0, 0.1, -0.5},
    {0.5, -0.5, 0.2},
}};
constexpr double kRicochetDrumKick = 0.2;   // y and z, large
constexpr double kRicochetHatKick = 0.05;   // y and z, small
constexpr double kRicochetColourKick = 0.04;  // y and z, small, toms, rims, bass

Table by_pip(const Score& s, auto f) { return tabulate(s.period, [&](int i) { return f(static_cast<double>(i)); }); }

// The periodic response of a damped ring started by an event: at rest at the
// event, its drive taking hold over the onset, then ringing down. Earlier
// passes of the loop add what is left of their rings.
double ring(const Event& e, double i, int period, Ringing r) {
  double d = std::fmod(i - e.t, static_cast<double>(period));
  if (d < 0.0) {
    d += period;
  }
  constexpr int kPasses = 4;
  double sum = 0.0;
  for (int k = 0; k < kPasses; ++k, d += period) {
    const double hold = smoothstep(std::min(1.0, d / kSpringOnset));
    sum += hold * std::exp(-d / r.decay) * std::sin(2.0 * kPi * d / r.period);
  }
  return sum;
}

}  // namespace

Table surge(const Score& s) {
  return by_pip(s, [&](double i) {
    return Offset3{
        bumps(s, i, kSmallBump, is_upper, [](const Event& e) { return kSurgeHatSide * side_v(e); }) +
            bumps(s, i, kLargeBump, is_backbeat, [](const Event& e) { return kSurgeSnareSide * side_v(e); }) +
            bumps(s, i, kLargeBump, is_kick, [](const Event& e) { return kSurgeKickLean * side_v(e); }) +
            bumps(s, i, kSmallBump, is_colour, [](const Event& e) { return kSurgeColour * lean_v(e); }),
        bumps(s, i, kSmallBump, is_upper, [](const Event& e) { return kSurgeHatLift * v(e); }) +
            bumps(s, i, kLargeBump, is_kick, [](const Event& e) { return kSurgeKickDip * v(e); }) +
            bumps(s, i, kLargeBump, is_backbeat, [](const Event& e) { return kSurgeSnareLift * v(e); }) +
            bumps(s, i, kSmallBump, is_colour, [](const Event& e) { return kSurgeColour * v(e); }),
        bumps(s, i, kLargeBump, is_kick, [](const Event& e) { return kSurgeKickThrust * v(e); }) +
            bumps(s, i, kLargeBump, is_backbeat, [](const Event& e) { return kSurgeSnareBack * v(e); }),
    };
  });
}

Table recoil(const Score& s) {
  // The echo: every kick and snare again, a little later.
  Score echo{s.period, {}};
  for (const Event& e : s.events) {
    if (is_main(e)) {
      echo.events.push_back({std::fmod(e.t + kRecoilEchoDelay, s.period), e.cls, e.velocity, e.side});
    }
  }
  const auto any = [](const Event&) { return true; };
  return by_pip(s, [&](double i) {
    return Offset3{
        bumps(s, i, kLargeBump, is_backbeat, [](const Event& e) { return kRecoilSnarePush * side_v(e); }) +
            bumps(echo, i, kLargeBump, any, [](const Event& e) { return kRecoilEchoPull * side_v(e); }),
        bumps(s, i, kLargeBump, is_kick, [](const Event& e) { return kRecoilKickDrop * v(e); }) +
            bumps(s, i, kSmallBump, is_upper, [](const Event& e) { return kRecoilHatDrop * v(e); }) +
            bumps(s, i, kSmallBump, is_colour, [](const Event& e) { return kRecoilColourDrop * v(e); }),
        bumps(s, i, kLargeBump, is_kick, [](const Event& e) { return kRecoilKickDepth * v(e); }) +
            bumps(echo, i, kLargeBump, any, [](const Event& e) { return kRecoilEchoBack * v(e); }),
    };
  });
}

Table flutter(const Score& s) {
  const std::vector<Onset> arc_x = onsets(s, is_main, [](const Event& e, std::size_t) { return e.side * e.velocity; });
  // Kicks lean the arc forward, more on the right; snares draw it back.
  const std::vector<Onset> arc_z = onsets(s, is_main, [](const Event& e, std::size_t) {
    return is_kick(e) ? e.velocity * (0.6 + 0.4 * e.side) : -0.6 * e.velocity;
  });
  return by_pip(s, [&](double i) {
    return Offset3{
        kFlutterArcWidth * onset_glide(arc_x, i, s.period),
        bumps(s, i, kLargeBump, is_main, [](const Event& e) { return kFlutterDrumLift * v(e); }) +
            bumps(s, i, kSmallBump, is_upper, [](const Event& e) { return kFlutterTremor * side_v(e); }) +
            bumps(s, i, kSmallBump, is_colour, [](const Event& e) { return kFlutterColour * lean_v(e); }),
        kFlutterArcDepth * onset_glide(arc_z, i, s.period),
    };
  });
}

Table dive(const Score& s) {
  std::size_t lows = 0;
  for (const Event& e : s.events) {
    lows += is_low(e);
  }
  // Low onsets plunge; where a groove has fewer than two, its kicks join in.
  const bool bass_leads = lows >= 2;
  const auto leads = [bass_leads](const Event& e) { return is_low(e) || (!bass_leads && is_kick(e)); };
  const std::vector<Onset> depth = onsets(s, leads, [](const Event& e, std::size_t j) {
    return j % 2 == 0 ? kDivePlunge * e.velocity : kDiveRise * e.velocity;
  });
  // The counterweight alternates with each drum in turn.
  std::vector<double> counter_side;
  std::size_t drums = 0;
  for (const Event& e : s.events) {
    counter_side.push_back(is_main(e) ? alternate(drums++) : 0.0);
  }
  return by_pip(s, [&](double i) {
    double x = bumps(s, i, kSmallBump, is_upper, [](const Event& e) { return kDiveHatSide * side_v(e); }) +
               bumps(s, i, kSmallBump, is_colour, [](const Event& e) { return kDiveColourSide * lean_v(e); });
    for (std::size_t k = 0; k < s.events.size(); ++k) {
      if (counter_side[k] != 0.0) {
        x += kDiveCounterweight * counter_side[k] * s.events[k].velocity * event_weight(s.events[k], i, kLargeBump, s.period);
      }
    }
    return Offset3{
        x,
        bumps(s, i, kLargeBump, is_kick, [](const Event& e) { return kDiveKickDrop * v(e); }) +
            bumps(s, i, kLargeBump, is_backbeat, [](const Event& e) { return kDiveSnareLift * v(e); }),
        onset_glide(depth, i, s.period),
    };
  });
}

Table pendulum(const Score& s) {
  const std::vector<double> busy = felt_activity(s, every_event);
  std::vector<double> speed;
  for (double b : busy) {
    speed.push_back(1.0 + kPendulumRush * b);
  }
  const std::vector<double> phi = weighted_phase(speed, kPendulumSwingsPerBar * s.period / kBar);
  return tabulate(s.period, [&](int i) {
    const auto k = static_cast<std::size_t>(i);
    const double reach = kPendulumReach * (1.0 + kPendulumGrowth * busy[k]);
    // The loop starts at a turn of the swing, where the bob is at rest, so
    // the seam never falls on the fastest step.
    const double swing = phi[k] + kPi / 2.0;
    return Offset3{
        reach * std::sin(swing),
        kPendulumHang * reach * (std::cos(2.0 * swing) - 0.5),
        bumps(s, i, kLargeBump, is_kick, [](const Event& e) { return kPendulumKickDepth * v(e); }) +
            bumps(s, i, kLargeBump, is_backbeat, [](const Event& e) { return kPendulumSnareDepth * v(e); }),
    };
  });
}

Table figure8(const Score& s) {
  // Percussion swells the lobes a little too, after it plays.
  const std::vector<double> felt = felt_activity(s, [](const Event& e) { return is_percussion(e) ? 1.0 : 0.0; });
  return by_pip(s, [&](double i) {
    const double theta = 2.0 * kPi * i / kBar;
    const double swell = kFigureRest + kFigureKickSwell * bumps(s, i, kClassShape[0], is_kick, v) +
                         kFigurePercussionSwell * felt[static_cast<std::size_t>(i)];
    return Offset3{
        kFigureWidth * swell * std::sin(theta),
        kFigureHeight * swell * std::sin(2.0 * theta),
        bumps(s, i, kLargeBump, is_backbeat, [](const Event& e) { return kFigureSnareLift * v(e); }) +
            bumps(s, i, kLargeBump, is_kick, [](const Event& e) { return kFigureKickDepth * v(e); }),
    };
  });
}

Table box(const Score& s) {
  // The tour rushes as the score is felt, never clipped: a hard limit on
  // the raw activity would change its speed at a corner.
  std::vector<double> speed = felt_activity(s, every_event);
  for (double& a : speed) {
    a = 1.0 + kBoxRush * a;
  }
  // The tour starts in a corner, where it travels slowest, so the busy
  // downbeat never lands on a fast edge crossing at the seam.
  std::vector<double> psi = weighted_phase(speed, s.period / kBar);
  for (double& a : psi) {
    a += kPi / 4.0;
  }
  const auto soft_square = [](double c) { return std::tanh(kBoxSoftness * c) / std::tanh(kBoxSoftness); };
  return tabulate(s.period, [&](int i) {
    const auto k = static_cast<std::size_t>(i);
    return Offset3{
        kBoxSize * soft_square(std::cos(psi[k])),
        kBoxSize * soft_square(std::sin(psi[k])),
        bumps(s, i, kLargeBump, is_kick, [](const Event& e) { return kBoxDrumDepth * v(e); }) +
            bumps(s, i, kLargeBump, is_backbeat, [](const Event& e) { return kBoxSnareDepth * v(e); }) +
            bumps(s, i, kSmallBump, is_upper, [](const Event& e) { return kBoxHatDepth * side_v(e); }),
    };
  });
}

Table corkscrew(const Score& s) {
  // Percussion drives the radius; kicks, snares and claps add a little, so
  // grooves that share their percussion still turn apart.
  const std::vector<double> reach =
      felt_activity(s, [](const Event& e) { return is_percussion(e) ? 1.0 : kCorkscrewDrumShare; });
  return tabulate(s.period, [&](int i) {
    const double r = kCorkscrewRadius * (1.0 + kCorkscrewPercussionReach * reach[static_cast<std::size_t>(i)]);
    const double theta = kCorkscrewTurns * phase(i, s.period);
    return Offset3{r * std::cos(theta), r * std::sin(theta), kCorkscrewDepth * std::sin(phase(i, s.period))};
  });
}

Table spiral(const Score& s) {
  const std::vector<double> busy = felt_activity(s, every_event);
  return tabulate(s.period, [&](int i) {
    const double breath = (1.0 - std::cos(phase(i, s.period))) / 2.0;
    const double r = (kSpiralInner + kSpiralOuter * breath) * (1.0 + kSpiralBreath * busy[static_cast<std::size_t>(i)]);
    const double theta = kSpiralTurns * phase(i, s.period);
    return Offset3{kSpiralDrift + r * std::cos(theta), r * std::sin(theta),
                   kSpiralDepth * std::sin(phase(i, s.period)) * (0.5 + breath)};
  });
}

Table slalom(const Score& s) {
  const std::vector<Onset> travel = onsets(s, is_main, [](const Event& e, std::size_t j) {
    return alternate(j) * kSlalomWidth * (is_backbeat(e) ? kSlalomCutback : 1.0);
  });
  const std::vector<Onset> lift = onsets(s, is_main, [](const Event& e, std::size_t) {
    return is_kick(e) ? kSlalomKickLift * e.velocity * (e.side > 0 ? 1.0 : kSlalomLeftKickLift)
                      : kSlalomSnareDrop * e.velocity;
  });
  // Each turn between two onsets carves an arc, bowing up and down in turn,
  // so the travel draws an S rather than a straight line; the arc leaves and
  // meets the onsets level, so turns of unequal length join without a corner.
  // Percussion between the drums deepens the arcs.
  const std::vector<double> felt = felt_activity(s, [](const Event& e) { return is_percussion(e) ? 1.0 : 0.0; });
  return by_pip(s, [&](double i) {
    const double x = onset_glide(travel, i, s.period);
    const OnsetProgress turn = onset_progress(travel, i, s.period);
    const double depth = 1.0 + kSlalomPercussionCarve * felt[static_cast<std::size_t>(i)];
    const double carve = depth * kSlalomCarve * alternate(turn.index) * (1.0 - std::cos(2.0 * kPi * turn.fraction)) / 2.0;
    return Offset3{x, onset_glide(lift, i, s.period) + carve, kSlalomCounter * x};
  });
}

Table spring(const Score& s) {
  return by_pip(s, [&](double i) {
    Offset3 o;
    for (const Event& e : s.events) {
      const double rx = ring(e, i, s.period, kSpringX) * e.velocity;
      const double ry = ring(e, i, s.period, kSpringY) * e.velocity;
      const double rz = ring(e, i, s.period, kSpringZ) * e.velocity;
      if (is_main(e)) {
        o.x += kSpringSide * e.side * rx;
      }
      if (is_backbeat(e)) {
        o.y += kSpringBackbeat * ry;
      }
      if (is_kick(e)) {
        o.y += kSpringKickY * ry;
        o.z += kSpringKickDepth * rz;
      }
      if (is_percussion(e)) {
        o.z += kSpringPercussionDepth * e.side * rz;
      }
    }
    return o;
  });
}

Table ricochet(const Score& s) {
  const auto target = [](std::size_t j) { return kRicochetTargets[j % kRicochetTargets.size()]; };
  const std::vector<Onset> tx = onsets(s, is_main, [&](const Event&, std::size_t j) { return target(j).x; });
  const std::vector<Onset> ty = onsets(s, is_main, [&](const Event&, std::size_t j) { return target(j).y; });
  const std::vector<Onset> tz = onsets(s, is_main, [&](const Event&, std::size_t j) { return target(j).z; });
  return by_pip(s, [&](double i) {
    const double drums = bumps(s, i, kLargeBump, is_main, [](const Event& e) { return kRicochetDrumKick * v(e); });
    const double hats = bumps(s, i, kSmallBump, is_upper, [](const Event& e) { return kRicochetHatKick * side_v(e); }) +
                        bumps(s, i, kSmallBump, is_colour, [](const Event& e) { return kRicochetColourKick * lean_v(e); });
    return Offset3{onset_glide(tx, i, s.period), onset_glide(ty, i, s.period) + drums + hats,
                   onset_glide(tz, i, s.period) - drums + hats};
  });
}

}  // namespace pipmoves::authoring::grooves

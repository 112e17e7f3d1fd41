// Atlas mechanism family: kinematic-style position studies of cranks, cams,
// linkages and plates over an eight-beat turn.

#include <array>
#include <cmath>
#include <string>

#include "families.hpp"
#include "helpers.hpp"

namespace pipmoves::authoring::atlas {
namespace {

using std::cos;
using std::sin;
using std::sqrt;

constexpr int kTurn = 512;  // one crank turn over eight beats
constexpr double kPeak = 0.82;

// ---- parameters of the studies without a closed form of their own -----------

// Offset crank: the slider line sits off the crank centre, so the forward and
// return strokes take different times.
constexpr double kOffsetRod = 3.0;
constexpr double kOffset = 0.8;
constexpr double kOffsetTipHeight = 0.3;

// Quick-return: the ram's phase is warped so it advances slowly and returns fast.
constexpr double kQuickReturnWarp = 0.55;
constexpr double kQuickReturnLever = 0.35;

// Elliptic cam: a follower riding an ellipse with these semi-axes lifts twice a turn.
constexpr double kCamMajor = 1.0;
constexpr double kCamMinor = 0.6;
constexpr double kCamMarker = 0.5;  // horizontal reach of the cam's marked point

// Three-lobe cam: the two-lobe profile with its second harmonic raised to a third.
constexpr double kLobeSway = 6.0;
constexpr double kLobeBase = 4.0;
constexpr double kLobeLift = 11.0;

// Escapement: the wheel advances in soft ticks, dwelling between them.
constexpr int kEscapementTicks = 8;
constexpr double kEscapementFlatten = 0.6;

// Rocking beam: a beam tip swinging about a pivot by up to this angle.
constexpr double kBeamSwing = 0.9;
constexpr double kBeamDip = 0.45;

// Coupled cranks: a coupler joins pins on two cranks turning 1:2.
constexpr double kCrankSpacing = 1.2;
constexpr double kSecondCrank = 0.6;
constexpr double kSecondCrankLead = 0.8;

// Crank and rocker: the rocker's angle follows the crank with a lagging swing.
constexpr double kRockerSwing = 0.6;
constexpr double kRockerLag = 0.3;
constexpr double kRockerHeight = 0.6;
constexpr double kCrankDepth = 0.35;

// Piston and balance mass: the mass swings against the piston in depth.
constexpr double kBalanceRod = 2.0;
constexpr double kBalanceTipHeight = 0.25;
constexpr double kBalanceDepth = 0.4;

// Cam rise and return: shares of the turn for rise, dwell, return and dwell.
constexpr double kRiseEnd = 0.35;
constexpr double kHighDwellEnd = 0.5;
constexpr double kReturnEnd = 0.85;
constexpr double kReturnCamMarker = 0.35;

Table offset_crank(const RowContext& c) {
  return tabulate(c.period, [&](int i) {
    const double t = phase(i, c.period);
    const double rise = sin(t) - kOffset;
    return Offset3{cos(t) + sqrt(kOffsetRod * kOffsetRod - rise * rise), kOffsetTipHeight * sin(t), 0.0};
  });
}

Table whitworth(const RowContext& c) {
  return tabulate(c.period, [&](int i) {
    const double t = phase(i, c.period);
    const double ram = t - kQuickReturnWarp * sin(t);
    return Offset3{kPeak * cos(ram), kQuickReturnLever * sin(ram), 0.0};
  });
}

// Distance from the cam centre to the top of an ellipse turned by t.
Table elliptic_cam(const RowContext& c) {
  return tabulate(c.period, [&](int i) {
    const double t = phase(i, c.period);
    const double lift = kCamMajor * kCamMinor / sqrt(std::pow(kCamMinor * cos(t), 2) + std::pow(kCamMajor * sin(t), 2));
    return Offset3{kCamMarker * cos(t), lift, 0.0};
  });
}

Table three_lobe_cam(const RowContext& c) {
  return tabulate(c.period, [&](int i) {
    const double t = phase(i, c.period);
    return Offset3{kLobeSway * sin(t), kLobeBase * cos(t) + kLobeLift * cos(3 * t), 0.0};
  });
}

Table escapement(const RowContext& c) {
  return tabulate(c.period, [&](int i) {
    const double t = phase(i, c.period);
    const double wheel = t - sin(kEscapementTicks * t) / kEscapementTicks;
    return Offset3{cos(wheel), kEscapementFlatten * sin(wheel), 0.0};
  });
}

Table rocking_beam(const RowContext& c) {
  return tabulate(c.period, [&](int i) {
    const double angle = kBeamSwing * sin(phase(i, c.period));
    return Offset3{sin(angle), -kBeamDip * (1.0 - cos(angle)), 0.0};
  });
}

Table coupled_cranks(const RowContext& c) {
  return tabulate(c.period, [&](int i) {
    const double t = phase(i, c.period);
    const double ax = cos(t) - kCrankSpacing, ay = sin(t);
    const double bx = kSecondCrank * cos(2 * t + kSecondCrankLead) + kCrankSpacing;
    const double by = kSecondCrank * sin(2 * t + kSecondCrankLead);
    return Offset3{(ax + bx) / 2, (ay + by) / 2, 0.0};
  });
}

Table crank_rocker(const RowContext& c) {
  return tabulate(c.period, [&](int i) {
    const double t = phase(i, c.period);
    const double rocker = kRockerSwing * sin(t + kRockerLag * sin(t));
    return Offset3{cos(t), kRockerHeight * sin(rocker), kCrankDepth * sin(t)};
  });
}

Table piston_balance(const RowContext& c) {
  return tabulate(c.period, [&](int i) {
    const double t = phase(i, c.period);
    return Offset3{cos(t) + sqrt(kBalanceRod * kBalanceRod - sin(t) * sin(t)), kBalanceTipHeight * sin(t),
                   -kBalanceDepth * cos(t)};
  });
}

// Rise, dwell high, return, dwell low, each eased.
Table cam_return(const RowContext& c) {
  return tabulate(c.period, [&](int i) {
    const double u = static_cast<double>(i) / c.period;
    double lift = 0.0;
    if (u < kRiseEnd) {
      lift = smootherstep(u / kRiseEnd);
    } else if (u < kHighDwellEnd) {
      lift = 1.0;
    } else if (u < kReturnEnd) {
      lift = 1.0 - smootherstep((u - kHighDwellEnd) / (kReturnEnd - kHighDwellEnd));
    }
    return Offset3{kReturnCamMarker * cos(phase(i, c.period)), lift, 0.0};
  });
}

struct Mechanism {
  const char* name;
  const char* label;
  int dimensions;
  Rule rule;
};

std::vector<Mechanism> mechanisms() {
  return {
      {"mech_piston_short", "Short-rod piston", 2,
       normalised(curve([](double t) { return Offset3{cos(t) + sqrt(4 - sin(t) * sin(t)) - 2, 0.3 * sin(t), 0.0}; }),
                  kPeak)},
      {"mech_piston_long", "Long-rod piston", 2,
       normalised(curve([](double t) { return Offset3{cos(t) + sqrt(16 - sin(t) * sin(t)) - 4, 0.25 * sin(2 * t), 0.0}; }),
                  kPeak)},
      {"mech_offset_crank", "Offset crank", 2, spanning(offset_crank, {{X, -kPeak, kPeak}})},
      {"mech_scotch_yoke", "Yoke with rocking linkage", 2,
       curve([](double t) { return Offset3{0.82 * cos(t), 0.287 * sin(t) + 0.1476 * sin(3 * t), 0.0}; })},
      {"mech_whitworth", "Quick-return linkage study", 2, whitworth},
      {"mech_elliptic_cam", "Elliptic cam follower", 2, spanning(elliptic_cam, {{Y, -kPeak, kPeak}})},
      {"mech_two_lobe_cam", "Two-lobe cam follower", 2,
       normalised(curve([](double t) { return Offset3{6 * sin(t), 4 * cos(t) + 11 * cos(2 * t), 0.0}; }), kPeak)},
      {"mech_three_lobe_cam", "Three-lobe cam follower", 2, normalised(three_lobe_cam, kPeak)},
      {"mech_escapement", "Soft escapement study", 2, normalised(escapement, kPeak)},
      {"mech_paddle", "Paddle-wheel tip", 2,
       normalised(curve([](double t) { return Offset3{cos(t) + 0.23 * cos(4 * t), sin(t) + 0.23 * sin(4 * t), 0.0}; }),
                  kPeak)},
      {"mech_wobble_plate", "Wobble-plate trace", 3,
       curve([](double t) { return Offset3{0.82 * cos(t), 0.287 * sin(t), 0.41 * sin(2 * t + 0.3)}; })},
      {"mech_rocking_beam", "Rocking beam", 2, normalised(rocking_beam, kPeak)},
      {"mech_coupled_cranks", "Coupled cranks", 2, normalised(coupled_cranks, kPeak)},
      {"mech_crank_rocker", "Crank and rocker study", 3, normalised(crank_rocker, kPeak)},
      {"mech_piston_balance", "Piston and balance mass", 3, spanning(piston_balance, {{X, -kPeak, kPeak}})},
      {"mech_cam_return", "Cam rise and return", 2, spanning(cam_return, {{Y, -kPeak, kPeak}})},
  };
}

}  // namespace

Family mech_family() {
  Family family{"mech", "x, y -0.82 to 0.82; z -0.41 to 0.41", {}};
  for (Mechanism& m : mechanisms()) {
    family.rows.push_back({m.name, kTurn, m.dimensions,
                           std::string(m.label) + "; an original kinematic-style position study, not an engineering simulation.",
                           std::move(m.rule)});
  }
  return family;
}

}  // namespace pipmoves::authoring::atlas

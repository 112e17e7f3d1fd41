// Gestures of a body part rather than a drawn figure: two-link arms, dwell
// phrases and oscillation packets.

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "family.hpp"
#include "families.hpp"

namespace pipmoves::authoring::continuum {
namespace {

using std::cos;
using std::sin;

// ---- arm_coupled ------------------------------------------------------------

// Angles in radians; the shoulder angle is measured from hanging straight
// down, the elbow angle from the upper link. Rates are cycles per loop.
struct Joint {
  double rest;
  double swing;
  int rate;
  double phase;
};
struct Arm {
  double upper, fore;  // link lengths
  Joint shoulder;
  Joint elbow;
  Joint yaw;           // turns the arm's plane out of the picture
};
constexpr Joint kNoYaw{0, 0, 1, 0};
constexpr std::array<Arm, 16> kArms{{
    {0.5, 0.42, {0.0, 1.2, 1, 0.0}, {0.5, 0.5, 2, 0.8}, kNoYaw},
    {0.55, 0.38, {0.2, 1.0, 1, 0.5}, {0.8, 0.6, 3, 0.0}, kNoYaw},
    {0.46, 0.46, {-0.1, 1.4, 1, 1.2}, {0.3, 0.3, 2, -0.6}, kNoYaw},
    {0.6, 0.32, {0.0, 0.9, 2, 0.0}, {1.0, 0.7, 1, 0.4}, kNoYaw},
    {0.5, 0.44, {0.3, 1.3, 1, -0.4}, {0.6, 0.8, 4, 1.0}, kNoYaw},
    {0.42, 0.5, {-0.2, 1.1, 1, 2.0}, {1.2, 0.5, 2, 0.0}, kNoYaw},
    {0.52, 0.4, {0.1, 1.5, 1, 0.2}, {0.4, 0.45, 3, 1.6}, kNoYaw},
    {0.58, 0.36, {0.0, 1.0, 2, 0.9}, {0.7, 0.6, 3, -1.0}, kNoYaw},
    {0.48, 0.44, {0.15, 1.1, 1, 0.3}, {0.6, 0.55, 2, -0.4}, {0.0, 0.35, 1, 0.5}},
    {0.56, 0.36, {-0.1, 1.25, 1, 1.0}, {0.9, 0.4, 2, 1.3}, {0.1, 0.3, 2, 0.0}},
    {0.44, 0.48, {0.0, 1.0, 2, 0.6}, {0.5, 0.35, 3, 0.2}, {0.0, 0.4, 1, 1.5}},
    {0.62, 0.3, {0.25, 0.8, 1, -1.1}, {1.1, 0.6, 2, 0.9}, {-0.1, 0.3, 3, 0.3}},
    {0.5, 0.42, {-0.15, 1.35, 1, 0.8}, {0.45, 0.7, 3, -0.5}, {0.0, 0.35, 2, 1.0}},
    {0.4, 0.52, {0.1, 1.2, 1, -0.2}, {1.3, 0.45, 1, 1.8}, {0.05, 0.4, 1, -0.7}},
    {0.54, 0.38, {0.05, 0.95, 2, 1.4}, {0.35, 0.5, 4, 0.6}, {0.0, 0.3, 3, 0.0}},
    {0.57, 0.37, {-0.05, 1.15, 1, 2.4}, {0.8, 0.65, 2, -1.2}, {0.0, 0.4, 2, 2.2}},
}};
constexpr int kPlanarArms = 8;

double angle(const Joint& joint, double t) { return joint.rest + joint.swing * sin(joint.rate * t + joint.phase); }

Rule arm(Arm a) {
  return curve([a](double t) {
    const double shoulder = angle(a.shoulder, t);
    const double elbow = shoulder + angle(a.elbow, t);
    const double reach = a.upper * sin(shoulder) + a.fore * sin(elbow);
    const double height = -a.upper * cos(shoulder) - a.fore * cos(elbow);
    const double yaw = angle(a.yaw, t);
    return Offset3{reach * cos(yaw), height, reach * sin(yaw)};
  });
}

// ---- dwell_phrase -----------------------------------------------------------

// Positions of the phrase, and holds in beats. Each lift rises from the
// centre, the transfer carries the second hold across, and the return
// overshoots a little before it settles at the centre.
struct DwellPhrase {
  Offset3 first;
  double first_hold;
  Offset3 second;
  double second_hold;
  Offset3 across;
  double across_hold;
};
constexpr double kLiftBeats = 1.5, kDipBeats = 1.0, kTransferBeats = 2.0, kReturnBeats = 1.5, kSettleBeats = 1.0;
constexpr double kDipShare = 0.25;        // the dip between the lifts keeps this much of the first
constexpr double kOvershootShare = 0.15;  // of the transfer point, past the centre
constexpr double kLiftArc = 0.25;         // depth gained on the way up
constexpr double kFirstLiftArc = 0.6;     // share of it on the first, smaller lift
constexpr double kTransferArc = 0.15;     // the transfer rises over its way across
constexpr int kPhraseBeats = 16;
constexpr std::array<DwellPhrase, 16> kDwellPhrases{{
    {{0.45, 0.8, 0.3}, 2.0, {-0.3, 0.5, 0.5}, 1.0, {-0.7, -0.2, 0.1}, 1.0},
    {{-0.4, 0.7, 0.2}, 1.5, {0.5, 0.45, 0.4}, 2.5, {0.8, -0.3, -0.2}, 0.5},
    {{0.2, 0.85, 0.45}, 3.0, {0.6, 0.3, 0.1}, 1.0, {-0.5, -0.6, -0.3}, 1.0},
    {{-0.6, 0.5, -0.2}, 2.5, {0.1, 0.75, 0.5}, 1.5, {0.7, 0.0, -0.35}, 0.5},
    {{0.7, 0.55, 0.1}, 1.0, {0.0, 0.8, 0.35}, 3.0, {-0.6, 0.2, -0.4}, 0.5},
    {{-0.25, 0.8, 0.5}, 2.0, {-0.7, 0.35, 0.0}, 1.0, {0.5, -0.55, 0.2}, 1.5},
    {{0.3, 0.6, -0.3}, 1.5, {0.65, 0.75, 0.25}, 2.0, {-0.3, -0.7, 0.4}, 1.0},
    {{0.55, 0.4, 0.4}, 3.0, {-0.45, 0.65, 0.3}, 0.5, {0.0, -0.75, -0.2}, 1.5},
    {{-0.5, 0.75, 0.35}, 1.0, {0.35, 0.55, -0.25}, 2.0, {0.75, 0.3, 0.15}, 1.5},
    {{0.1, 0.55, 0.5}, 2.5, {0.75, 0.7, 0.0}, 1.0, {-0.75, 0.1, 0.3}, 1.0},
    {{0.6, 0.7, -0.1}, 2.0, {-0.2, 0.35, 0.45}, 1.5, {-0.4, -0.65, -0.3}, 0.5},
    {{-0.7, 0.6, 0.2}, 1.5, {-0.1, 0.85, -0.3}, 2.5, {0.6, -0.4, 0.35}, 1.0},
    {{0.35, 0.5, 0.25}, 1.0, {-0.55, 0.7, 0.4}, 1.0, {0.8, 0.15, -0.1}, 2.0},
    {{-0.15, 0.7, -0.35}, 3.0, {0.5, 0.5, 0.35}, 1.5, {-0.65, -0.45, 0.0}, 0.5},
    {{0.75, 0.35, 0.3}, 2.0, {0.2, 0.8, 0.15}, 2.0, {-0.55, -0.3, -0.45}, 1.0},
    {{-0.35, 0.45, 0.45}, 2.5, {-0.75, 0.75, -0.15}, 1.0, {0.45, -0.6, 0.3}, 1.5},
}};

Rule dwell_phrase(DwellPhrase d) {
  return [d](const RowContext& c) {
    const double beat = c.period / static_cast<double>(kPhraseBeats);
    const Offset3 centre{};
    const Offset3 lift{0, 0, kLiftArc};
    const double moving = 2 * kLiftBeats + kDipBeats + kTransferBeats + kReturnBeats + kSettleBeats;
    const double rest = kPhraseBeats - moving - d.first_hold - d.second_hold - d.across_hold;
    const std::vector<Leg> legs{
        {d.first, kLiftBeats * beat, kFirstLiftArc * lift},
        {d.first, d.first_hold * beat},
        {kDipShare * d.first, kDipBeats * beat},
        {d.second, kLiftBeats * beat, lift},
        {d.second, d.second_hold * beat},
        {d.across, kTransferBeats * beat, {0, kTransferArc, 0}},
        {d.across, d.across_hold * beat},
        {(-kOvershootShare) * d.across, kReturnBeats * beat},
        {centre, kSettleBeats * beat},
        {centre, rest * beat},
    };
    return tabulate(c.period, [&](int i) { return leg_path(legs, centre, i); });
  };
}

// ---- packet -----------------------------------------------------------------

struct PacketStyle {
  const char* name;
  enum class Side { alternating, cascading, crossing, depth } side;
};
constexpr std::array<PacketStyle, 4> kPacketStyles{{{"alternating", PacketStyle::Side::alternating},
                                                    {"cascading", PacketStyle::Side::cascading},
                                                    {"crossing", PacketStyle::Side::crossing},
                                                    {"depth", PacketStyle::Side::depth}}};
struct PacketCount {
  int packets;
  int cycles;      // oscillations inside one packet
  double filled;   // share of each packet's slot that sounds; the rest is rest
};
constexpr std::array<PacketCount, 4> kPacketCounts{{{2, 5, 0.7}, {3, 4, 0.72}, {4, 3, 0.75}, {5, 3, 0.8}}};
constexpr double kCascadeDecay = 0.78;  // each cascading packet against the one before
constexpr double kSideSway = 0.3;       // shaped side motion against the main swing
constexpr double kPacketDepth = 0.4;
constexpr double kDepthSway = 0.5;      // depth packets keep half the side motion

Rule packet(PacketStyle style, PacketCount count) {
  return [style, count](const RowContext& c) {
    const double slot = static_cast<double>(c.period) / count.packets;
    Table table = tabulate(c.period, [&](int i) {
      const int k = static_cast<int>(i / slot);
      const double u = (i - k * slot) / (slot * count.filled);
      if (u >= 1.0) {
        return Offset3{};
      }
      const double window = (1.0 - cos(2.0 * kPi * u)) / 2.0;  // smooth edges
      const double swing = sin(2.0 * kPi * count.cycles * u);
      const double cascade = count.packets == 1 ? 0.0 : 1.0 - 2.0 * k / (count.packets - 1.0);
      switch (style.side) {
        case PacketStyle::Side::alternating:
          return Offset3{alternating(k) * window * swing, alternating(k) * kSideSway * window, 0};
        case PacketStyle::Side::cascading:
          return Offset3{std::pow(kCascadeDecay, k) * window * swing, kSideSway * cascade * window, 0};
        case PacketStyle::Side::crossing:
          return Offset3{window * swing, kSideSway * window * sin(4.0 * kPi * count.cycles * u), 0};
        case PacketStyle::Side::depth:
          return Offset3{window * swing, kDepthSway * kSideSway * alternating(k) * window,
                         kPacketDepth * window * cos(2.0 * kPi * count.cycles * u)};
      }
      return Offset3{};
    });
    // Every packet row swings to the full lateral peak.
    return fitted(std::move(table), fit_targets("x -0.82 to 0.82"));
  };
}

}  // namespace

Family arm_coupled_family() {
  std::vector<Draft> drafts;
  for (std::size_t k = 0; k < kArms.size(); ++k) {
    drafts.push_back({"arm_coupled_" + two_digits(static_cast<int>(k) + 1), 1024, k < kPlanarArms ? 2 : 3, arm(kArms[k])});
  }
  return fitted_family("arm_coupled",
                       "Tip position of two kinematically driven links; not a dynamics simulation or anatomical model.",
                       "x -0.82 to 0.82; y -0.82 to 0.1722; z -0.1768 to 0.1761", std::move(drafts));
}

Family dwell_phrase_family() {
  std::vector<Draft> drafts;
  for (std::size_t k = 0; k < kDwellPhrases.size(); ++k) {
    drafts.push_back({"dwell_phrase_" + two_digits(static_cast<int>(k) + 1), 1024, 3, dwell_phrase(kDwellPhrases[k])});
  }
  return fitted_family("dwell_phrase",
                       "Two unequal lift-and-hold gestures, a transfer and a settling return; holds have finite musical "
                       "duration.",
                       "x, y -0.7614 to 0.82; z -0.4613 to 0.5125", std::move(drafts));
}

Family packet_family() {
  std::vector<Draft> drafts;
  for (const PacketCount& count : kPacketCounts) {
    for (const PacketStyle& style : kPacketStyles) {
      drafts.push_back({std::string("packet_") + style.name + "_" + std::to_string(count.packets), 512,
                        style.side == PacketStyle::Side::depth ? 3 : 2, packet(style, count)});
    }
  }
  return fitted_family("packet",
                       "Compact, smooth-edged oscillation packets arranged around a closed phrase, with shaped side "
                       "motion.",
                       "x -0.82 to 0.82; y -0.2756 to 0.2756; z -0.3472 to 0.3472", std::move(drafts));
}

}  // namespace pipmoves::authoring::continuum

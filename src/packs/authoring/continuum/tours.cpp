// Paths that travel between places and rest there: vertex tours, serpentine
// scans and reaches out from a centre.

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

// ---- tour -------------------------------------------------------------------

struct StarPolygon {
  int vertices;
  int skip;  // the tour goes from vertex j to vertex j + skip
};
constexpr std::array<StarPolygon, 16> kTours{{{5, 2}, {7, 2}, {7, 3}, {8, 3}, {9, 2}, {9, 4}, {10, 3}, {11, 2},
                                              {11, 3}, {11, 4}, {12, 5}, {13, 2}, {13, 3}, {13, 4}, {13, 5}, {14, 3}}};
constexpr int kPlanarTours = 8;
constexpr double kTourAspect = 0.66;      // vertices lie on a flattened, dented ellipse
constexpr double kTourDent = 0.14;        // radial irregularity of the vertices
constexpr double kTourMove = 1.0;         // shares of a leg: the eased move,
constexpr double kTourLongDwell = 0.9;    // then a long dwell on even legs
constexpr double kTourShortDwell = 0.3;   // and a short one on odd legs
constexpr double kTourDepth = 0.5;        // depth of the vertices of the spatial tours
constexpr double kDentTurn = 0.6;         // radians
constexpr double kTourLean = 0.05;        // the upper vertices sit a little further out
constexpr double kDepthTurn = 0.4;        // radians

Offset3 tour_vertex(StarPolygon star, int j, bool spatial) {
  const double a = 2.0 * kPi * j / star.vertices;
  const double radius = 1.0 - kTourDent * (1.0 - cos(3.0 * a + kDentTurn)) / 2.0 + kTourLean * sin(a);
  const double depth = spatial ? kTourDepth * sin(2.0 * a + kDepthTurn) : 0.0;
  return {radius * cos(a), kTourAspect * radius * sin(a), depth};
}

Rule tour(StarPolygon star, bool spatial) {
  return [star, spatial](const RowContext& c) {
    std::vector<Leg> legs;
    for (int m = 1; m <= star.vertices; ++m) {
      const Offset3 to = tour_vertex(star, m * star.skip % star.vertices, spatial);
      legs.push_back({to, kTourMove});
      legs.push_back({to, m % 2 == 0 ? kTourLongDwell : kTourShortDwell});
    }
    legs = filling(std::move(legs), c.period);
    const Offset3 start = tour_vertex(star, 0, spatial);
    return tabulate(c.period, [&](int i) { return leg_path(legs, start, i); });
  };
}

// ---- scan -------------------------------------------------------------------

struct ScanStyle {
  const char* name;
  double bow;    // sag of each pass at its middle
  double tilt;   // slope of the passes: y rises by tilt across the field
  double depth;  // passes push into depth and the return comes back behind
};
constexpr std::array<ScanStyle, 4> kScanStyles{
    {{"flat", 0, 0, 0}, {"bowed", -0.16, 0, 0}, {"tilted", 0, 0.3, 0}, {"depth", 0.05, 0, 0.3}}};
constexpr std::array<int, 4> kScanCounts{3, 4, 5, 6};
constexpr double kScanLeft = -0.62, kScanRight = 0.8;
constexpr double kScanTop = 0.82, kScanBottom = -0.6;
constexpr double kReturnEdge = -0.82;     // the outer return runs outside the scanned field
constexpr double kReturnFloor = -0.78;
constexpr double kPassPips = 4.0, kStepPips = 1.0, kReturnPips = 5.0;  // relative durations
constexpr double kReturnMidHeight = 0.1;  // where the way home passes the left edge
// Shares of the return: along the floor, out to the edge, up to the start.
constexpr double kFloorShare = 0.45, kEdgeShare = 0.3, kClimbShare = 0.35;
// Depth of the way home behind the field: at the floor, at the edge.
constexpr double kFloorDepth = 0.4, kEdgeDepth = 0.3;

Rule scan(ScanStyle style, int count) {
  return [style, count](const RowContext& c) {
    const auto lean = [&](double x, double y) { return y + style.tilt * (x - kScanLeft) / (kScanRight - kScanLeft) - style.tilt / 2; };
    const auto point = [&](double x, double y, double z = 0) { return Offset3{x, lean(x, y), z}; };
    std::vector<Leg> legs;
    const Offset3 start = point(kScanLeft, kScanTop);
    for (int j = 0; j < count; ++j) {
      const double y = kScanTop + (kScanBottom - kScanTop) * j / (count - 1);
      const double to_x = j % 2 == 0 ? kScanRight : kScanLeft;
      legs.push_back({point(to_x, y), kPassPips, {0, style.bow, style.depth}});
      if (j + 1 < count) {
        const double next = kScanTop + (kScanBottom - kScanTop) * (j + 1) / (count - 1);
        legs.push_back({point(to_x, next), kStepPips});
      }
    }
    // The way home: under the field, out past its left edge and up outside it.
    const bool ends_right = count % 2 == 1;
    if (ends_right) {
      legs.push_back({point(kScanLeft, kReturnFloor, -style.depth * kFloorDepth), kReturnPips * kFloorShare});
    }
    legs.push_back({Offset3{kReturnEdge, lean(kScanLeft, kReturnMidHeight), -style.depth * kEdgeDepth},
                    kReturnPips * kEdgeShare});
    legs.push_back({start, kReturnPips * kClimbShare});
    legs = filling(std::move(legs), c.period);
    return tabulate(c.period, [&](int i) { return leg_path(legs, start, i); });
  };
}

// ---- reach ------------------------------------------------------------------

enum class ReachShape { scoop, hook, lift, recoil };
struct ReachStyle {
  const char* name;
  ReachShape shape;
};
constexpr std::array<ReachStyle, 4> kReachStyles{
    {{"scoop", ReachShape::scoop}, {"hook", ReachShape::hook}, {"lift", ReachShape::lift}, {"recoil", ReachShape::recoil}}};
constexpr std::array<int, 4> kReachCounts{3, 4, 5, 7};
constexpr std::array<double, 7> kReachLengths{1.0, 0.78, 0.9, 0.7, 0.95, 0.82, 0.74};
constexpr double kReachFirstAngle = 0.5 * kPi;  // the first reach goes up
constexpr double kReachSkew = 0.35;            // radians; the reaches are not spaced evenly
constexpr double kOutPips = 3.0, kHoldPips = 1.0, kBackPips = 3.0, kRestPips = 1.5;
constexpr double kScoopBulge = 0.35, kHookCurl = 0.28, kLiftHeight = 0.55, kRecoilDepth = 0.22;
// The hook curls back by this share of the reach, bulging out on the curl
// and in on the way home.
constexpr double kHookPullback = 0.25, kCurlBulge = 0.12, kHomeBulge = 0.1;
constexpr double kLiftDip = 0.8;       // odd reaches dip below instead, a little less
constexpr double kLiftReturn = 0.35;   // the way back crosses to the other side of the plane
constexpr double kRecoilShare = 0.7, kSettleShare = 0.5;  // of the way back

Rule reach(ReachStyle style, int count) {
  return [style, count](const RowContext& c) {
    const Offset3 centre{};
    std::vector<Leg> legs;
    for (int m = 0; m < count; ++m) {
      const double a = kReachFirstAngle + 2.0 * kPi * m / count + kReachSkew * sin(2.0 * kPi * m / count);
      const double length = kReachLengths[static_cast<std::size_t>(m)];
      const Offset3 out{length * cos(a), length * sin(a), 0};
      const Offset3 side{-sin(a), cos(a), 0};  // a quarter turn left of the reach
      switch (style.shape) {
        case ReachShape::scoop:
          legs.push_back({out, kOutPips, (kScoopBulge * length) * side});
          legs.push_back({out, kHoldPips});
          legs.push_back({centre, kBackPips});
          break;
        case ReachShape::hook: {
          const Offset3 curl = out + (kHookCurl * length) * side - (kHookPullback * length) * out;
          legs.push_back({out, kOutPips});
          legs.push_back({curl, kHoldPips, (kCurlBulge * length) * out});
          legs.push_back({centre, kBackPips, (-kHomeBulge * length) * side});
          break;
        }
        case ReachShape::lift: {
          const double up = m % 2 == 0 ? 1.0 : -kLiftDip;
          legs.push_back({out, kOutPips, {0, 0, kLiftHeight * up * length}});
          legs.push_back({out, kHoldPips});
          legs.push_back({centre, kBackPips, {0, 0, -kLiftReturn * kLiftHeight * up * length}});
          break;
        }
        case ReachShape::recoil:
          legs.push_back({out, kOutPips});
          legs.push_back({out, kHoldPips});
          legs.push_back({(-kRecoilDepth) * out, kBackPips * kRecoilShare});
          legs.push_back({centre, kBackPips * kSettleShare});
          break;
      }
      legs.push_back({centre, kRestPips});
    }
    legs = filling(std::move(legs), c.period);
    return tabulate(c.period, [&](int i) { return leg_path(legs, centre, i); });
  };
}

}  // namespace

Family tour_family() {
  std::vector<Draft> drafts;
  for (std::size_t k = 0; k < kTours.size(); ++k) {
    const StarPolygon star = kTours[k];
    const bool spatial = k >= kPlanarTours;
    drafts.push_back({"tour_" + std::to_string(star.vertices) + "_" + std::to_string(star.skip), 1024, spatial ? 3 : 2,
                      tour(star, spatial)});
  }
  return fitted_family("tour", "A noncircular vertex tour with eased corners and alternating dwell lengths.",
                       "x -0.6154 to 0.82; y -0.5031 to 0.5239; z -0.1912 to 0.1912", std::move(drafts));
}

Family scan_family() {
  std::vector<Draft> drafts;
  for (int count : kScanCounts) {
    for (const ScanStyle& style : kScanStyles) {
      drafts.push_back({std::string("scan_") + style.name + "_" + std::to_string(count), 1024, style.depth != 0 ? 3 : 2,
                        scan(style, count)});
    }
  }
  return fitted_family("scan", "An eased serpentine scan and an explicit outer return to the starting point.",
                       "x -0.82 to 0.8036; y -0.779 to 0.82; z -0.1213 to 0.3105", std::move(drafts));
}

Family reach_family() {
  std::vector<Draft> drafts;
  for (int count : kReachCounts) {
    for (const ReachStyle& style : kReachStyles) {
      drafts.push_back({std::string("reach_") + style.name + "_" + std::to_string(count), 1024,
                        style.shape == ReachShape::lift ? 3 : 2, reach(style, count)});
    }
  }
  return fitted_family("reach", "Separate shaped reaches depart from and settle at a shared centre, without reset jumps.",
                       "x -0.82 to 0.82; y -0.741 to 0.6828; z -0.3931 to 0.3931", std::move(drafts));
}

}  // namespace pipmoves::authoring::continuum

#include "thresholds.hpp"

#include <algorithm>
#include <array>

namespace pipmoves::motion {
namespace {

// The easing loops: the outward easing ends at full speed where the return
// starts from rest, and the bounce-out easing bounces in corners.
constexpr std::array<RuleShaped, 3> kRuleShaped = {{
    {"ease_rebound", "bounce-out corners, and full speed into the return"},
    {"ease_anticipate", "back-in ends at full speed where the return starts from rest"},
    {"ease_overshoot", "back-out starts at full speed where the return ends at rest"},
}};

}  // namespace

bool rule_shaped(std::string_view name) {
  return std::any_of(kRuleShaped.begin(), kRuleShaped.end(), [&](const RuleShaped& r) { return r.name == name; });
}

std::span<const RuleShaped> rule_shaped_rows() { return kRuleShaped; }

}  // namespace pipmoves::motion

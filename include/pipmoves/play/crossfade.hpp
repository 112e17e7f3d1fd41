#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "pipmoves/offset3.hpp"
#include "pipmoves/play/pattern_ref.hpp"

namespace pipmoves::play {

// How a fade's weight rises from 0 to 1 over its length.
enum class Easing : std::uint8_t {
  linear,        // t
  smoothstep,    // 3t^2 - 2t^3: starts and ends at rest
  smootherstep,  // 6t^5 - 15t^4 + 10t^3: also without a jolt in acceleration
  sine,          // (1 - cos(pi t)) / 2
};

// By name: "linear", "smoothstep", "smootherstep", "sine". Throws
// std::invalid_argument "Unknown easing: <name>".
Easing easing_named(std::string_view name);
std::string_view easing_name(Easing easing) noexcept;
// Every easing's name, in the order of the enumeration.
std::span<const std::string_view> easing_names() noexcept;

// The eased weight of a share t of the fade, within [0, 1]; exactly 0 at 0
// and 1 at 1, never decreasing between.
double ease(Easing easing, double t) noexcept;

// A cross-fade from one pattern to another over length_pips pips from
// start_pip, so a host that switches patterns live never jumps. Before the
// start it is the first pattern, from start + length on the second, both
// bit-identical to their own samples. Pips wrap: a pip up to 2^31 pips
// before the start counts as before it.
class CrossFade {
 public:
  // Throws std::invalid_argument "Fade length must not be negative". A length
  // of 0 switches at start_pip.
  CrossFade(PatternRef from, PatternRef to, std::int32_t start_pip, std::int32_t length_pips,
            Easing easing = Easing::smoothstep);

  const PatternRef& from() const noexcept { return from_; }
  const PatternRef& to() const noexcept { return to_; }
  std::int32_t start_pip() const noexcept { return start_pip_; }
  std::int32_t length_pips() const noexcept { return length_pips_; }
  Easing easing() const noexcept { return easing_; }

  // The second pattern's share at pip: 0 before the start, 1 at its end.
  double weight(std::int32_t pip) const noexcept;

  Offset3 sample(std::int32_t pip) const;

  // The two samples mixed by a weight; exactly from at 0 and to at 1.
  static Offset3 mix(const Offset3& from, const Offset3& to, double weight) noexcept;

 private:
  PatternRef from_;
  PatternRef to_;
  std::int32_t start_pip_;
  std::int32_t length_pips_;
  Easing easing_;
};

}  // namespace pipmoves::play

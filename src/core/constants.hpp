#pragma once

namespace pipmoves::detail {

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kTwoPi = 6.283185307179586;
inline constexpr double kFourPi = 12.566370614359172;
inline constexpr double kMinusHalfPi = -1.5707963267948966;

}  // namespace pipmoves::detail

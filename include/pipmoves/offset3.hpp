#pragma once

namespace pipmoves {

// One position sample. Patterns keep every component within [-1, 1].
struct Offset3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

}  // namespace pipmoves

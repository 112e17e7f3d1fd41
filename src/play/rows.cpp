#include "pipmoves/play/rows.hpp"

#include <stdexcept>

namespace pipmoves::play {

std::size_t checked_row_count(std::int64_t count) {
  if (count < 0) {
    throw std::invalid_argument("Count must not be negative");
  }
  if (count > kMaxRows) {
    throw std::invalid_argument("Too many rows: at most 16777216");
  }
  return static_cast<std::size_t>(count);
}

}  // namespace pipmoves::play

#pragma once

#include <cstddef>
#include <string_view>

namespace pipmoves::detail {

inline constexpr std::size_t kMaxIdentifierBytes = 128;

// 1 to 128 bytes: a lower-case ASCII letter, then lower-case ASCII letters,
// digits or '_'. Works on bytes, so anything outside ASCII fails.
constexpr bool is_identifier(std::string_view text) noexcept {
  if (text.empty() || text.size() > kMaxIdentifierBytes) {
    return false;
  }
  const auto lower = [](char c) { return c >= 'a' && c <= 'z'; };
  if (!lower(text.front())) {
    return false;
  }
  for (const char c : text.substr(1)) {
    if (!lower(c) && !(c >= '0' && c <= '9') && c != '_') {
      return false;
    }
  }
  return true;
}

// Finite and within [-1, 1]; NaN fails both comparisons.
constexpr bool is_unit_value(double v) noexcept { return v >= -1.0 && v <= 1.0; }

}  // namespace pipmoves::detail

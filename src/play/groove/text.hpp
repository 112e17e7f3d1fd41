#pragma once

// Text a caller gave, quoted back in a message: messages must stay valid
// UTF-8 (a host decodes them strictly), and columns count characters as an
// editor shows them.

#include <cstddef>
#include <string>
#include <string_view>

namespace pipmoves::play::groove_text {

// Bytes of the UTF-8 character starting at `at`, or 0 when no valid one does.
inline std::size_t character_length(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(at);
  std::size_t length = 0;
  unsigned min = 0;
  if (lead < 0x80) {
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, min = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, min = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, min = 0x10000;
  } else {
    return 0;
  }
  if (text.size() - at < length) {
    return 0;
  }
  unsigned code = lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(at + k) & 0xC0) != 0x80) {
      return 0;
    }
    code = code << 6 | (byte(at + k) & 0x3F);
  }
  const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
  return code < min || code > 0x10FFFF || surrogate ? 0 : length;
}

// The text with each byte that is not part of a UTF-8 character as \xNN.
inline std::string printable(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = character_length(text, at);
    if (length == 0) {
      const auto b = static_cast<unsigned char>(text[at]);
      out += {'\\', 'x', kHex[b >> 4], kHex[b & 0xF]};
      ++at;
    } else {
      out.append(text, at, length);
      at += length;
    }
  }
  return out;
}

// The character at byte `at`, printable; a stray byte alone.
inline std::string character_at(std::string_view text, std::size_t at) {
  const std::size_t length = character_length(text, at);
  return printable(text.substr(at, length == 0 ? 1 : length));
}

// At most the first 40 characters, printable, "..." marking a cut: what a
// message quotes of a word or value of any length.
inline std::string excerpt(std::string_view text) {
  constexpr std::size_t kShown = 40;
  std::size_t at = 0;
  for (std::size_t shown = 0; at < text.size() && shown < kShown; ++shown) {
    const std::size_t length = character_length(text, at);
    at += length == 0 ? 1 : length;
  }
  return printable(text.substr(0, at)) + (at < text.size() ? "..." : "");
}

// The column, counted from 1 in characters, of byte `at` of a line.
inline std::size_t column_of(std::string_view line, std::size_t at) {
  std::size_t column = 1;
  for (std::size_t k = 0; k < at && k < line.size();) {
    const std::size_t length = character_length(line, k);
    k += length == 0 ? 1 : length;
    ++column;
  }
  return column;
}

}  // namespace pipmoves::play::groove_text

#pragma once

#include <string_view>
#include <vector>

namespace pipmoves::packs {

// The pieces of text between separators, empty pieces included, so that
// "a;;b" splits into three and a trailing separator leaves an empty last piece.
inline std::vector<std::string_view> split(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string_view::npos) {
      return parts;
    }
    start = end + separator.size();
  }
}

}  // namespace pipmoves::packs

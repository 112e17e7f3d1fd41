#pragma once

// JSON text read within stated limits, for the hand-written and downloaded
// files a rig is described by: the size is checked before the file is read,
// and nesting and element counts while it is parsed, so no file can make the
// reader allocate much or recurse deeply.

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace pipmoves::play::rig {

struct JsonLimits {
  std::uintmax_t max_bytes;
  int max_depth;
  std::size_t max_elements;  // values, keys and containers together
};

// The whole file as text. Throws std::invalid_argument "<file>: cannot be
// read" or "<file>: larger than <n> bytes" before reading a byte too many.
std::string read_text_file(const std::filesystem::path& file, std::uintmax_t max_bytes);

// The parsed text. Throws std::invalid_argument "<what>: not valid JSON: ...
// at line L, column C ..." or "<what>: nested deeper than <n> levels" or
// "<what>: more than <n> elements".
nlohmann::ordered_json parse_json(std::string_view text, const JsonLimits& limits, std::string_view what);

// The file read and parsed within the limits, named by its path in errors.
nlohmann::ordered_json read_json_file(const std::filesystem::path& file, const JsonLimits& limits);

// A JSON value as a short text for error messages: strings quoted, containers
// elided.
std::string json_text(const nlohmann::ordered_json& value);

}  // namespace pipmoves::play::rig

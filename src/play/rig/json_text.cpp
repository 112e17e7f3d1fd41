#include "json_text.hpp"

#include <fstream>
#include <set>
#include <vector>
#include <stdexcept>
#include <system_error>

namespace pipmoves::play::rig {
namespace {

using json = nlohmann::ordered_json;

// nlohmann's messages start with "[json.exception.parse_error.101] parse error"; the
// rest names the line, column and what was expected.
std::string parse_message(const json::parse_error& error) {
  const std::string text = error.what();
  const std::size_t start = text.find("] ");
  return start == std::string::npos ? text : text.substr(start + 2);
}

}  // namespace

std::string read_text_file(const std::filesystem::path& file, std::uintmax_t max_bytes) {
  std::error_code error;
  const bool regular = std::filesystem::is_regular_file(file, error);
  const std::uintmax_t size = regular ? std::filesystem::file_size(file, error) : 0;
  if (!regular || error) {
    throw std::invalid_argument(file.string() + ": cannot be read");
  }
  if (size > max_bytes) {
    throw std::invalid_argument(file.string() + ": larger than " + std::to_string(max_bytes) + " bytes");
  }
  std::ifstream in(file, std::ios::binary);
  std::string text;
  text.reserve(static_cast<std::size_t>(size));
  // The file may have grown since its size was taken: never read past the limit.
  char chunk[4096];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    if (text.size() + static_cast<std::size_t>(in.gcount()) > max_bytes) {
      throw std::invalid_argument(file.string() + ": larger than " + std::to_string(max_bytes) + " bytes");
    }
    text.append(chunk, static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad() || !in.eof()) {
    throw std::invalid_argument(file.string() + ": cannot be read");
  }
  return text;
}

json parse_json(std::string_view text, const JsonLimits& limits, std::string_view what) {
  std::size_t elements = 0;
  const std::string name(what);
  // The keys met so far in each open object, innermost last.
  std::vector<std::set<std::string>> keys;
  // Called for every key, value and container as the parser meets it, so a
  // limit stops the parse before the document is built any further.
  const json::parser_callback_t check = [&](int depth, json::parse_event_t event, json& parsed) {
    if ((event == json::parse_event_t::object_start || event == json::parse_event_t::array_start) &&
        depth >= limits.max_depth) {
      throw std::invalid_argument(name + ": nested deeper than " + std::to_string(limits.max_depth) + " levels");
    }
    if (event == json::parse_event_t::key || event == json::parse_event_t::value ||
        event == json::parse_event_t::object_start || event == json::parse_event_t::array_start) {
      if (++elements > limits.max_elements) {
        throw std::invalid_argument(name + ": more than " + std::to_string(limits.max_elements) + " elements");
      }
    }
    if (event == json::parse_event_t::object_start) {
      keys.emplace_back();
    } else if (event == json::parse_event_t::object_end) {
      keys.pop_back();
    } else if (event == json::parse_event_t::key && !keys.back().insert(parsed.get<std::string>()).second) {
      // A key given twice would silently lose one of its values.
      throw std::invalid_argument(name + ": the key " + parsed.dump() + " is given twice in one object");
    }
    return true;
  };
  try {
    return json::parse(text, check);
  } catch (const json::parse_error& error) {
    throw std::invalid_argument(name + ": not valid JSON: " + parse_message(error));
  }
}

json read_json_file(const std::filesystem::path& file, const JsonLimits& limits) {
  return parse_json(read_text_file(file, limits.max_bytes), limits, file.string());
}

std::string json_text(const json& value) {
  if (value.is_object()) {
    return "an object";
  }
  if (value.is_array()) {
    return "a list";
  }
  return value.dump();
}

}  // namespace pipmoves::play::rig

#pragma once

// The pixels of a fixture with several beams, as the Open Fixture Library
// format describes them in its matrix, and the mode channel lists that repeat
// template channels for them.

#include <nlohmann/json.hpp>

#include <string>
#include <string_view>
#include <vector>

namespace pipmoves::play::rig {

struct Pixel {
  std::string key;
  int x = 1;
  int y = 1;
  int z = 1;
};

class Matrix {
 public:
  static constexpr std::size_t kMaxPixels = 4096;

  // An empty matrix for a fixture without one. Throws std::invalid_argument
  // for a matrix that is neither pixelCount nor pixelKeys or holds more than
  // kMaxPixels pixels. A key named twice (published files have such slips)
  // is kept twice: a mode repeating its channels is refused for listing them
  // twice, and the others do not care.
  explicit Matrix(const nlohmann::ordered_json* matrix);

  // Pixels, and then pixel groups, in the order the file gives them: every key
  // a template channel may be resolved with.
  const std::vector<Pixel>& pixels() const noexcept { return pixels_; }
  const std::vector<std::string>& groups() const noexcept { return groups_; }
  std::vector<std::string> keys() const;

  // The pixel or group keys a channel insert block repeats for: a list of
  // them, or "eachPixelABC" (sorted, numbers by value), "eachPixelXYZ" and
  // the other orders of the axes (the first axis runs fastest), or
  // "eachPixelGroup". Throws std::invalid_argument for an unknown order or key.
  std::vector<std::string> repeat_for(const nlohmann::ordered_json& order) const;

 private:
  std::vector<Pixel> pixels_;
  std::vector<std::string> groups_;
};

// "$pixelKey" replaced by key, everywhere in text.
std::string with_pixel_key(std::string_view text, std::string_view key);

// A mode's channel list with every insert block expanded: channel keys, or
// null for an unused slot. Throws std::invalid_argument for a malformed entry
// or a list longer than max_channels.
std::vector<nlohmann::ordered_json> expand_mode_channels(const nlohmann::ordered_json& channels, const Matrix& matrix,
                                                 std::size_t max_channels);

}  // namespace pipmoves::play::rig

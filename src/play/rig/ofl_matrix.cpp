#include "ofl_matrix.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>

namespace pipmoves::play::rig {
namespace {

using json = nlohmann::ordered_json;

// Pixels counted along the axes name themselves by their coordinates along
// the axes that hold more than one pixel: "3" on a bar, "(2, 4)" on a grid.
std::string counted_key(const std::array<int, 3>& at, const std::array<int, 3>& count) {
  std::vector<std::string> parts;
  for (std::size_t axis = 0; axis < 3; ++axis) {
    if (count[axis] > 1) {
      parts.push_back(std::to_string(at[axis]));
    }
  }
  if (parts.empty()) {
    return "1";
  }
  if (parts.size() == 1) {
    return parts.front();
  }
  std::string key = "(" + parts.front();
  for (std::size_t i = 1; i < parts.size(); ++i) {
    key += ", " + parts[i];
  }
  return key + ")";
}

std::vector<Pixel> counted_pixels(const json& count) {
  std::array<int, 3> n{};
  if (!count.is_array() || count.size() != 3) {
    throw std::invalid_argument("the matrix's pixelCount is not three whole numbers");
  }
  std::size_t total = 1;
  for (std::size_t axis = 0; axis < 3; ++axis) {
    if (!count[axis].is_number_unsigned() || count[axis].get<std::uint64_t>() == 0 ||
        count[axis].get<std::uint64_t>() > Matrix::kMaxPixels) {
      throw std::invalid_argument("the matrix's pixelCount is not three whole numbers from 1 up");
    }
    n[axis] = count[axis].get<int>();
    total *= static_cast<std::size_t>(n[axis]);
    if (total > Matrix::kMaxPixels) {
      throw std::invalid_argument("the matrix holds more than 4096 pixels");
    }
  }
  std::vector<Pixel> pixels;
  for (int z = 1; z <= n[2]; ++z) {
    for (int y = 1; y <= n[1]; ++y) {
      for (int x = 1; x <= n[0]; ++x) {
        pixels.push_back({counted_key({x, y, z}, n), x, y, z});
      }
    }
  }
  return pixels;
}

// pixelKeys holds layers front to back, each of rows top to bottom, each of
// keys left to right, with null for a hole.
std::vector<Pixel> keyed_pixels(const json& layers) {
  std::vector<Pixel> pixels;
  const auto refuse = [] { throw std::invalid_argument("the matrix's pixelKeys are not layers of rows of keys"); };
  if (!layers.is_array()) {
    refuse();
  }
  for (std::size_t z = 0; z < layers.size(); ++z) {
    if (!layers[z].is_array()) {
      refuse();
    }
    for (std::size_t y = 0; y < layers[z].size(); ++y) {
      const json& row = layers[z][y];
      if (!row.is_array()) {
        refuse();
      }
      for (std::size_t x = 0; x < row.size(); ++x) {
        if (row[x].is_null()) {
          continue;
        }
        if (!row[x].is_string()) {
          refuse();
        }
        if (pixels.size() == Matrix::kMaxPixels) {
          throw std::invalid_argument("the matrix holds more than 4096 pixels");
        }
        pixels.push_back({row[x].get<std::string>(), static_cast<int>(x + 1), static_cast<int>(y + 1),
                          static_cast<int>(z + 1)});
      }
    }
  }
  return pixels;
}

// Text order with runs of digits compared by their value: "2" before "10".
bool alphanumerically_before(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  const auto digit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; };
  while (i < a.size() && j < b.size()) {
    if (digit(a[i]) && digit(b[j])) {
      std::size_t ei = i;
      std::size_t ej = j;
      while (ei < a.size() && digit(a[ei])) ++ei;
      while (ej < b.size() && digit(b[ej])) ++ej;
      std::string_view na = a.substr(i, ei - i);
      std::string_view nb = b.substr(j, ej - j);
      na.remove_prefix(std::min(na.find_first_not_of('0'), na.size()));
      nb.remove_prefix(std::min(nb.find_first_not_of('0'), nb.size()));
      if (na.size() != nb.size()) {
        return na.size() < nb.size();
      }
      if (na != nb) {
        return na < nb;
      }
      i = ei;
      j = ej;
    } else {
      if (a[i] != b[j]) {
        return a[i] < b[j];
      }
      ++i;
      ++j;
    }
  }
  return a.size() - i < b.size() - j;
}

int coordinate(const Pixel& pixel, char axis) { return axis == 'X' ? pixel.x : axis == 'Y' ? pixel.y : pixel.z; }

}  // namespace

Matrix::Matrix(const json* matrix) {
  if (matrix == nullptr) {
    return;
  }
  if (!matrix->is_object()) {
    throw std::invalid_argument("the matrix is not an object");
  }
  const bool counted = matrix->contains("pixelCount");
  if (counted == matrix->contains("pixelKeys")) {
    throw std::invalid_argument("the matrix gives neither or both of pixelCount and pixelKeys");
  }
  pixels_ = counted ? counted_pixels(matrix->at("pixelCount")) : keyed_pixels(matrix->at("pixelKeys"));
  if (const auto found = matrix->find("pixelGroups"); found != matrix->end()) {
    if (!found->is_object()) {
      throw std::invalid_argument("the matrix's pixelGroups are not an object");
    }
    for (const auto& [group, members] : found->items()) {
      groups_.push_back(group);
    }
  }
}

std::vector<std::string> Matrix::keys() const {
  std::vector<std::string> keys;
  keys.reserve(pixels_.size() + groups_.size());
  for (const Pixel& pixel : pixels_) {
    keys.push_back(pixel.key);
  }
  keys.insert(keys.end(), groups_.begin(), groups_.end());
  return keys;
}

std::vector<std::string> Matrix::repeat_for(const json& order) const {
  if (order.is_array()) {
    const std::vector<std::string> known = keys();
    std::vector<std::string> listed;
    for (const json& key : order) {
      if (!key.is_string() || std::find(known.begin(), known.end(), key.get<std::string>()) == known.end()) {
        throw std::invalid_argument("a channel insert repeats for " + key.dump() + ", which is no pixel or group");
      }
      listed.push_back(key.get<std::string>());
    }
    return listed;
  }
  const std::string name = order.is_string() ? order.get<std::string>() : order.dump();
  if (name == "eachPixelGroup") {
    return groups_;
  }
  std::vector<Pixel> sorted = pixels_;
  if (name == "eachPixelABC") {
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const Pixel& a, const Pixel& b) { return alphanumerically_before(a.key, b.key); });
  } else {
    std::string axes = name.starts_with("eachPixel") ? name.substr(9) : std::string();
    std::string letters = axes;
    std::sort(letters.begin(), letters.end());
    if (letters != "XYZ") {
      throw std::invalid_argument("a channel insert repeats in the unknown order " + order.dump());
    }
    // The first axis runs fastest, as reading runs along a line before the next.
    std::stable_sort(sorted.begin(), sorted.end(), [&axes](const Pixel& a, const Pixel& b) {
      for (int k = 2; k >= 0; --k) {
        const int ca = coordinate(a, axes[static_cast<std::size_t>(k)]);
        const int cb = coordinate(b, axes[static_cast<std::size_t>(k)]);
        if (ca != cb) {
          return ca < cb;
        }
      }
      return false;
    });
  }
  std::vector<std::string> keys;
  for (const Pixel& pixel : sorted) {
    keys.push_back(pixel.key);
  }
  return keys;
}

std::string with_pixel_key(std::string_view text, std::string_view key) {
  static constexpr std::string_view kVariable = "$pixelKey";
  std::string out;
  for (std::size_t at = 0;;) {
    const std::size_t found = text.find(kVariable, at);
    out.append(text.substr(at, found == std::string_view::npos ? std::string_view::npos : found - at));
    if (found == std::string_view::npos) {
      return out;
    }
    out.append(key);
    at = found + kVariable.size();
  }
}

std::vector<json> expand_mode_channels(const json& channels, const Matrix& matrix, std::size_t max_channels) {
  if (!channels.is_array()) {
    throw std::invalid_argument("its channels are not a list");
  }
  std::vector<json> out;
  const auto add = [&](json entry) {
    if (out.size() == max_channels) {
      throw std::invalid_argument("it has more than " + std::to_string(max_channels) + " channels");
    }
    out.push_back(std::move(entry));
  };
  for (const json& entry : channels) {
    if (entry.is_null() || entry.is_string()) {
      add(entry);
      continue;
    }
    if (!entry.is_object() || entry.value("insert", json()) != "matrixChannels" || !entry.contains("repeatFor") ||
        !entry.contains("templateChannels") || !entry["templateChannels"].is_array()) {
      throw std::invalid_argument("a channel entry " + entry.dump().substr(0, 80) +
                                  " is neither a key nor a matrix insert");
    }
    const std::vector<std::string> keys = matrix.repeat_for(entry["repeatFor"]);
    const json& templates = entry["templateChannels"];
    for (const json& t : templates) {
      if (!t.is_null() && !t.is_string()) {
        throw std::invalid_argument("a matrix insert lists " + t.dump() + " as a template channel");
      }
    }
    const auto resolved = [](const json& t, const std::string& key) {
      return t.is_null() ? json() : json(with_pixel_key(t.get<std::string>(), key));
    };
    const json order = entry.value("channelOrder", json());
    if (order == "perPixel") {
      for (const std::string& key : keys) {
        for (const json& t : templates) {
          add(resolved(t, key));
        }
      }
    } else if (order == "perChannel") {
      for (const json& t : templates) {
        for (const std::string& key : keys) {
          add(resolved(t, key));
        }
      }
    } else {
      throw std::invalid_argument("a matrix insert has the unknown channel order " + order.dump());
    }
  }
  return out;
}

}  // namespace pipmoves::play::rig

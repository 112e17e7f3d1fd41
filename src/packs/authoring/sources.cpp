#include <fstream>
#include <stdexcept>

#include "pack.hpp"

namespace pipmoves::authoring {

std::vector<int> Sources::integers(const std::string& relative_path) const {
  const std::filesystem::path path = data_dir / relative_path;
  std::ifstream in(path);
  if (!in) {
    throw std::runtime_error("cannot read " + path.string());
  }
  std::vector<int> values;
  int value = 0;
  while (in >> value) {
    values.push_back(value);
  }
  if (!in.eof()) {
    throw std::runtime_error("not a list of integers: " + path.string());
  }
  return values;
}

}  // namespace pipmoves::authoring

#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "checks.hpp"

namespace pipmoves::packgen {

struct StoredPack {
  std::string name;  // namespace pipmoves_<name>
  std::vector<StoredRow> rows;
};

// Row numbers ordered by name, bytewise, a proper prefix first.
std::vector<std::uint64_t> sorted_name_index(const std::vector<StoredPack>& packs);

// Writes packs/<name>.cpp per pack, pack_table.cpp and
// include/pipmoves/pack_samplers.hpp under out_dir. A file whose text is
// unchanged is left alone, so the build recompiles only what changed.
void emit_all(const std::filesystem::path& out_dir, const std::vector<StoredPack>& packs,
              const std::string& command);

}  // namespace pipmoves::packgen

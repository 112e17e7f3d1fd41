#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "checks.hpp"
#include "golden_digests.hpp"

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

// Writes text to path unless the file already holds exactly it, so that its
// time stamp moves only with its content.
void write_if_changed(const std::filesystem::path& path, const std::string& text);

// The tables of the pack sources an earlier run wrote under out_dir, by row
// name; none for a pack whose source is missing or unreadable.
EarlierTables read_emitted_tables(const std::filesystem::path& out_dir, const std::vector<std::string>& pack_names);

}  // namespace pipmoves::packgen

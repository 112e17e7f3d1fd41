#pragma once

// A patch file's text, turned into the fixtures of a patch: every key checked
// for its kind, the optional ones defaulted, each `ofl` file read once.

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "pipmoves/play/patch.hpp"

namespace pipmoves::play::rig {

// Fixtures in file order. `ofl` paths are looked up in beside (the patch
// file's folder), then in fixtures_dir; with neither, from the working folder.
// Throws std::invalid_argument "<where>: fixture '<name>': ..." (without the
// prefix when where is empty) for the first fault.
std::vector<PatchedFixture> read_patch_fixtures(std::string_view text, std::string_view where,
                                                const std::optional<std::filesystem::path>& beside,
                                                const std::optional<std::filesystem::path>& fixtures_dir);

}  // namespace pipmoves::play::rig

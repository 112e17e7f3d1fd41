#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "pipmoves/play/channel_layout.hpp"

namespace pipmoves::play::testing {

// The published fixture definitions kept with the tests.
inline std::filesystem::path ofl_dir() { return PIPMOVES_OFL_DIR; }
inline std::filesystem::path ofl_file(std::string_view name) { return ofl_dir() / name; }

// The slot of a layout with this name; fails the test when there is none.
inline const ChannelSlot& slot_named(const ChannelLayout& layout, std::string_view name) {
  for (const ChannelSlot& slot : layout.slots()) {
    if (slot.name == name) {
      return slot;
    }
  }
  throw std::logic_error(layout.source() + " has no slot " + std::string(name));
}

// A file of this text in a fresh folder of the test's own.
inline std::filesystem::path written(std::string_view name, std::string_view text) {
  const std::filesystem::path dir =
      std::filesystem::path(::testing::TempDir()) /
      (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "_files");
  std::filesystem::create_directories(dir);
  const std::filesystem::path file = dir / name;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
  return file;
}

}  // namespace pipmoves::play::testing

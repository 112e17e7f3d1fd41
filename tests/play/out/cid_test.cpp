#include "cid.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace pipmoves::play::out {
namespace {

TEST(Cid, OneKeyAlwaysGivesOneCidAndNearKeysDifferentOnes) {
  EXPECT_EQ(cid_of("/shows/rig.json"), cid_of(std::string("/shows/") + "rig.json"));
  // Keys a step apart: one character, one more at the end, the empty key.
  std::set<Cid> seen;
  const std::string keys[] = {"", "a", "b", "ab", "ba", "/shows/rig.json", "/shows/rig.jsom", "/shows/rig.json "};
  for (const std::string& key : keys) {
    seen.insert(cid_of(key));
  }
  EXPECT_EQ(std::size(keys), seen.size());
}

TEST(Cid, EveryCidIsAVersion8Uuid) {
  for (const char* key : {"", "x", "/home/lights/festival/rig.json"}) {
    const Cid cid = cid_of(key);
    EXPECT_EQ(0x80, cid[6] & 0xf0) << key;
    EXPECT_EQ(0x80, cid[8] & 0xc0) << key;
  }
}

}  // namespace
}  // namespace pipmoves::play::out

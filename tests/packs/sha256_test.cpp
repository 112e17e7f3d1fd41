#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "common/sha256.hpp"

namespace {

using pipmoves::packs::sha256;

struct Vector {
  std::string message;
  std::string_view digest;
};

// The published test vectors, plus messages whose padding falls on either side
// of a block boundary.
TEST(Sha256, MatchesTheStandardVectors) {
  const Vector vectors[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrst"
       "nopqrstu",
       "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
      {"The quick brown fox jumps over the lazy dog",
       "d7a8fbb307d7809469ca9abcb0082e4f8d5651e46d3cdb762d02d0bf37c9e592"},
  };
  for (const Vector& v : vectors) {
    const std::string have = pipmoves::packs::to_hex(sha256(v.message));
    EXPECT_EQ(have, v.digest) << "message of " << v.message.size() << " bytes: want " << v.digest << ", have " << have;
  }
}

}  // namespace

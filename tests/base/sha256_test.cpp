// SHA-256 and HMAC-SHA-256 against the published test vectors, whole and
// fed in pieces that straddle the 64-byte blocks.
#include <gtest/gtest.h>

#include <string>

#include "base/system/sha256.h"

namespace corvane {
namespace {

std::string Hex(const TSha256Digest& digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (const std::uint8_t byte : digest) {
    text.push_back(kDigits[byte >> 4]);
    text.push_back(kDigits[byte & 15]);
  }
  return text;
}


TEST(Sha256Test, DigestsMatchTheStandardVectors) {
  EXPECT_EQ(Hex(Sha256("")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Hex(Sha256("abc")), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // 56 bytes: the length no longer fits the first block.
  EXPECT_EQ(Hex(Sha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  // A million "a", in pieces of 1 to 200 bytes.
  TSha256 sha;
  const std::string as(200, 'a');
  std::size_t fed = 0;
  for (std::size_t piece = 1; fed < 1000000; piece = piece % 200 + 1) {
    const std::size_t take = std::min(piece, 1000000 - fed);
    sha.Update(std::string_view(as.data(), take));
    fed += take;
  }
  EXPECT_EQ(Hex(sha.Final()), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256Test, HmacMatchesTheStandardVectors) {
  const auto hmac = [](const std::string& key, const std::string& data) {
    THmacSha256 mac(key);
    mac.Update(data.substr(0, data.size() / 3));
    mac.Update(data.substr(data.size() / 3));
    return Hex(mac.Final());
  };
  EXPECT_EQ(hmac(std::string(20, '\x0b'), "Hi There"),
            "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7");
  EXPECT_EQ(hmac("Jefe", "what do ya want for nothing?"),
            "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
  EXPECT_EQ(hmac(std::string(20, '\xaa'), std::string(50, '\xdd')),
            "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe");
  // A key longer than a block is hashed first.
  EXPECT_EQ(hmac(std::string(131, '\xaa'), "Test Using Larger Than Block-Size Key - Hash Key First"),
            "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54");
  EXPECT_TRUE(SameDigest(Sha256("x"), Sha256("x")));
  TSha256Digest other = Sha256("x");
  other[31] ^= 1;
  EXPECT_FALSE(SameDigest(Sha256("x"), other));
}

}  // namespace
}  // namespace corvane

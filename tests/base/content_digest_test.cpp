// The content digest tells contents apart, whatever pieces they are fed in.
#include <gtest/gtest.h>

#include <string>

#include "base/system/content_digest.h"

namespace corvane {
namespace {

TEST(ContentDigestTest, DependsOnTheBytesAloneAndOnEveryOne) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += static_cast<char>('a' + (i * 7) % 26);
  const TContentDigestBytes whole = ContentDigest(text);
  // Pieces that straddle the 32-byte stripes in every way.
  for (std::size_t piece : {1u, 3u, 31u, 32u, 33u, 100u}) {
    TContentDigest digest;
    for (std::size_t at = 0; at < text.size(); at += piece) digest.Update(std::string_view(text).substr(at, piece));
    EXPECT_EQ(digest.Final(), whole) << piece;
  }
  // One bit anywhere, a byte more or less, trailing zeros: another digest.
  for (std::size_t at : {0u, 31u, 32u, 500u, 999u}) {
    std::string changed = text;
    changed[at] ^= 1;
    EXPECT_NE(ContentDigest(changed), whole) << at;
  }
  EXPECT_NE(ContentDigest(text.substr(0, 999)), whole);
  EXPECT_NE(ContentDigest(std::string(32, '\0')), ContentDigest(std::string(33, '\0')));
  EXPECT_NE(ContentDigest(""), ContentDigest(std::string(1, '\0')));
}

}  // namespace
}  // namespace corvane

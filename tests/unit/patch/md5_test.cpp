#include "patch/md5.h"

#include <gtest/gtest.h>

#include <string>


namespace {

std::string md5OfText(const std::string& text) {
  return md5OfBytes(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

TEST(Md5, GivesTheKnownDigests) {
  struct Case {
    std::string text;
    const char* digest;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"1234567890123456789012345678901234567890"
       "1234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      {std::string(1024, '\0'), "0f343b0931126a20f133d67c2b018a3b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZ0123", "2b1f468fbb6f23893ca4bc004521210f"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.digest, md5OfText(c.text)) << c.text.size();
}

TEST(Md5, PiecesGiveTheDigestOfTheWhole) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += static_cast<char>(i * 7);
  std::string whole = md5OfText(text);
  for (size_t first = 0; first <= 130; ++first) {
    CMD5Checksum checksum;
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text.data());
    checksum.append(bytes, first);
    checksum.append(bytes + first, 0);
    checksum.append(bytes + first, text.size() - first);
    EXPECT_EQ(whole, checksum.finishHex()) << first;
  }
}

}  // namespace

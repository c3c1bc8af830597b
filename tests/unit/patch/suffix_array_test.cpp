#include "patch/suffix_array.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

#include "patch/suffix_index.h"
#include "patch_test_util.h"

namespace {

const IndexSideWork kNoSideWork = [](const std::atomic<bool>&) {};

std::vector<int32_t> ownSuffixArray(const std::string& text) {
  std::vector<int32_t> sa(text.size());
  EXPECT_TRUE(buildSuffixArray(reinterpret_cast<const uint8_t*>(text.data()), sa.data(),
                               static_cast<int32_t>(text.size())));
  return sa;
}

std::vector<int32_t> sortedSuffixes(const std::string& text) {
  std::vector<int32_t> sa(text.size());
  std::iota(sa.begin(), sa.end(), 0);
  std::sort(sa.begin(), sa.end(), [&text](int32_t a, int32_t b) {
    return text.compare(a, std::string::npos, text, b, std::string::npos) < 0;
  });
  return sa;
}

// The suffix index read backwards is the plain suffix array of the text
// with its bytes flipped; it comes from the library where there is one.
std::vector<int32_t> indexBasedSuffixArray(const std::string& text) {
  std::string flipped = text;
  for (char& c : flipped) c ^= 0x7F;
  std::vector<int32_t> index(text.size());
  EXPECT_TRUE(buildSuffixIndex(reinterpret_cast<uint8_t*>(&flipped[0]), index.data(),
                               static_cast<int32_t>(text.size()), kNoSideWork));
  std::reverse(index.begin(), index.end());
  return index;
}

TEST(BuildSuffixArray, SortsSmallTextsInPlainOrder) {
  for (const char* text : {"", "a", "aa", "ab", "ba", "banana", "mississippi", "abracadabra",
                           "aaaaaaaaaa", "abababababa", "cbacbacba"}) {
    EXPECT_EQ(sortedSuffixes(text), ownSuffixArray(text)) << text;
  }
  TextMaker maker(5);
  for (int round = 0; round < 500; ++round) {
    std::string text = maker.text(maker.below(300));
    ASSERT_EQ(sortedSuffixes(text), ownSuffixArray(text)) << round;
  }
}

TEST(BuildSuffixArray, AgreesWithTheIndexOnLargeTexts) {
  TextMaker maker(11);
  for (int round = 0; round < 24; ++round) {
    std::string text;
    while (text.size() < 200000) text += maker.text(1 + maker.below(50000));
    if (round % 3 == 0) text += text;  // long repeats deepen the recursion
    ASSERT_EQ(indexBasedSuffixArray(text), ownSuffixArray(text)) << round;
  }
}

}  // namespace

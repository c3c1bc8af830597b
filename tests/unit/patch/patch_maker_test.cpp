#include "patch/patch_maker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "patch/suffix_index.h"
#include "patch_test_util.h"
#include "reference_maker.h"

namespace {

const IndexSideWork kNoSideWork = [](const std::atomic<bool>&) {};

const std::string kAlphabet30 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123";

std::string hexOf(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out;
}

std::string recordsOf(const std::string& patch) { return patch.substr(kHeaderSize); }

TEST(RunChecksum, GivesTheKnownValues) {
  struct Case {
    std::string bytes;
    uint32_t checksum;
  } cases[] = {
      {"", 0},
      {"abc", 0x000007FB},
      {"\x80", 0xFFFFFF80},
      {"a\xFF", 0xFFFFFE7B},
      {kAlphabet30, 0x95554887},
      {std::string(24, '\x80'), 0xAAB30019},
      {std::string(24, '\0'), 0},
  };
  for (const Case& c : cases) {
    const uint8_t* bytes = reinterpret_cast<const uint8_t*>(c.bytes.data());
    EXPECT_EQ(c.checksum, runChecksum(bytes, c.bytes.size())) << hexOf(c.bytes);
  }
}

TEST(MakePatch, WritesTheWorkedExampleByteForByte) {
  std::string patch = fastPatch(kAlphabet30, "xx" + kAlphabet30);
  EXPECT_EQ(hexOf("2b1f468fbb6f23893ca4bc004521210f") +
                "626469666630321a"
                "1e00000020000000"
                "2b020000007878"
                "40000000001e00000087485595",
            hexOf(patch));
}

TEST(MakePatch, GivesTheRecordsOfTheExamples) {
  struct Case {
    const char* name;
    std::string old, fresh, records;
  } cases[] = {
      {"text then yy", kAlphabet30, kAlphabet30 + "yy",
       copyRecord(0, 30, 0x95554887) + literalRecord("yy")},
      {"24 bytes, !, 6 bytes", kAlphabet30, kAlphabet30.substr(0, 24) + "!YZ0123",
       copyRecord(0, 24, runChecksum(reinterpret_cast<const uint8_t*>(kAlphabet30.data()), 24)) +
           literalRecord("!YZ0123")},
      {"100 a", std::string(100, 'a'), std::string(100, 'a'),
       copyRecord(49, 51, 0xAAAAAD5F) + copyRecord(49, 49, 0xAAAAAACB)},
      {"search passes the start", "aabbbabbabbabbbababaabaa", "aabbbabbabbabbbababaabaa",
       literalRecord("aabbbabbabbabbbababaabaa")},
      {"24 bytes of 0x80", std::string(24, '\x80') + "ABC", std::string(24, '\x80'),
       copyRecord(0, 24, 0xAAB30019)},
      {"24 zero bytes", std::string(24, '\0') + "ABC", std::string(24, '\0'), copyRecord(0, 24, 0)},
      {"a run of one byte is not found whole", std::string(24, '\0'), std::string(24, '\0'),
       literalRecord(std::string(24, '\0'))},
      {"new shorter than 24", kAlphabet30, "ABCDEFGHIJKLMNOPQRSTUVW",
       literalRecord("ABCDEFGHIJKLMNOPQRSTUVW")},
      {"nothing in common", kAlphabet30, std::string(40, 'z'), literalRecord(std::string(40, 'z'))},
      {"match of 23 is literal", kAlphabet30, "!" + kAlphabet30.substr(0, 23) + "!",
       literalRecord("!" + kAlphabet30.substr(0, 23) + "!")},
      {"match of 24 is a copy", kAlphabet30, "!" + kAlphabet30.substr(0, 24) + "!",
       literalRecord("!") +
           copyRecord(0, 24,
                      runChecksum(reinterpret_cast<const uint8_t*>(kAlphabet30.data()), 24)) +
           literalRecord("!")},
      {"empty new file", kAlphabet30, "", ""},
  };
  for (const Case& c : cases) {
    std::string patch = fastPatch(c.old, c.fresh);
    EXPECT_EQ(patchHeader(c.old, static_cast<uint32_t>(c.fresh.size())), patch.substr(0, 48))
        << c.name;
    EXPECT_EQ(hexOf(c.records), hexOf(recordsOf(patch))) << c.name;
  }
}

TEST(MakePatch, RefusesAnEmptyOldFile) {
  std::string out;
  PatchWriter writer(&out);
  uint8_t none = 0;
  EXPECT_EQ(MakeResult::kEmptyOld, makePatch(&none, 0, &none, 0, &writer));
  EXPECT_EQ("", out);
}

TEST(MakePatch, LeavesBothInputsAsTheyWere) {
  std::string old = kAlphabet30 + "\x80\xFF\x7F", fresh = "xx" + old;
  std::string oldCopy = old, freshCopy = fresh;
  std::string out;
  PatchWriter writer(&out);
  ASSERT_EQ(MakeResult::kMade,
            makePatch(reinterpret_cast<uint8_t*>(&oldCopy[0]), static_cast<uint32_t>(old.size()),
                      reinterpret_cast<uint8_t*>(&freshCopy[0]),
                      static_cast<uint32_t>(fresh.size()), &writer));
  EXPECT_EQ(old, oldCopy);
  EXPECT_EQ(fresh, freshCopy);
}

TEST(BuildSuffixIndex, SortsAsTheHeapsortDoes) {
  TextMaker maker(7);
  for (int round = 0; round < 300; ++round) {
    std::string text = maker.text(1 + maker.below(round < 200 ? 40 : 600));
    std::string copy = text;
    std::vector<int32_t> index(text.size());
    ASSERT_TRUE(buildSuffixIndex(reinterpret_cast<uint8_t*>(&copy[0]), index.data(),
                                 static_cast<int32_t>(text.size()), kNoSideWork));
    EXPECT_EQ(text, copy) << "bytes restored";
    std::vector<uint32_t> expected = reference::buildSuffixIndex(text);
    ASSERT_EQ(std::vector<int32_t>(expected.begin(), expected.end()), index) << hexOf(text);
  }
}

// The fast maker must write exactly what the naive steps write.
void expectSameAsReference(const std::string& old, const std::string& fresh) {
  std::string expected = reference::makePatch(old, fresh, md5OfText(old));
  std::string actual = fastPatch(old, fresh);
  ASSERT_EQ(hexOf(expected), hexOf(actual)) << "old " << hexOf(old) << "\nnew " << hexOf(fresh);
}

TEST(MakePatch, MatchesTheReferenceOnGeneratedPairs) {
  TextMaker maker(2024);
  for (int pair = 0; pair < 3000; ++pair) {
    std::string old = maker.text(1 + maker.below(pair % 10 == 0 ? 4000 : 600));
    std::string fresh = maker.edit(old);
    expectSameAsReference(old, fresh);
  }
}

// The records written when no window was marked in advance, so that the
// scan tests every window against the filter itself.
std::string recordsWithoutMarks(std::string old, const std::string& fresh, uint32_t split) {
  uint32_t n = static_cast<uint32_t>(old.size()), m = static_cast<uint32_t>(fresh.size());
  uint8_t* oldData = reinterpret_cast<uint8_t*>(&old[0]);
  const uint8_t* newData = reinterpret_cast<const uint8_t*>(fresh.data());
  std::vector<int32_t> index(n);
  SearchTree tree;
  ScanFilter filter;
  std::atomic<bool> stopAtOnce(true);
  EXPECT_TRUE(buildSuffixIndex(oldData, index.data(), static_cast<int32_t>(n), kNoSideWork) &&
              tree.build(oldData, index.data(), n) && filter.filter.build(oldData, n, n, 0) &&
              filter.hits.allocate(m));
  filter.hits.mark(filter.filter, newData, m, stopAtOnce);
  EXPECT_EQ(0u, filter.hits.marked());
  std::string out;
  PatchWriter writer(&out);
  writeRecords({oldData, index.data(), n, &tree}, filter, newData, m, &writer, split);
  return out;
}

TEST(MakePatch, MatchesTheReferenceWithoutMarkedWindows) {
  TextMaker maker(31);
  for (int pair = 0; pair < 500; ++pair) {
    std::string old = maker.text(1 + maker.below(pair % 10 == 0 ? 4000 : 600));
    std::string fresh = maker.edit(old);
    std::string expected = reference::makePatch(old, fresh, md5OfText(old)).substr(kHeaderSize);
    ASSERT_EQ(hexOf(expected), hexOf(recordsWithoutMarks(old, fresh, fresh.size()))) << pair;
  }
}

// The second part of a split scan is done ahead; wherever the split falls
// (in a literal stretch, inside a copy, at either end) the records match.
TEST(MakePatch, SplitScanWritesTheSameRecords) {
  TextMaker maker(57);
  for (int pair = 0; pair < 300; ++pair) {
    std::string old = maker.text(1 + maker.below(pair % 10 == 0 ? 4000 : 600));
    std::string fresh = maker.edit(old);
    std::string expected = reference::makePatch(old, fresh, md5OfText(old)).substr(kHeaderSize);
    uint32_t m = static_cast<uint32_t>(fresh.size());
    for (uint32_t split : {0u, 1u, m / 3, m / 2, m > 0 ? m - 1 : 0u, maker.below(m + 1)}) {
      ASSERT_EQ(hexOf(expected), hexOf(recordsWithoutMarks(old, fresh, split)))
          << pair << " split " << split;
    }
  }
}

TEST(MakePatch, MatchesTheReferenceOnLargerEditedFiles) {
  TextMaker maker(99);
  for (int pair = 0; pair < 20; ++pair) {
    std::string old;
    while (old.size() < 30000) old += maker.text(1 + maker.below(3000));
    expectSameAsReference(old, maker.edit(maker.edit(old)));
  }
}

}  // namespace

#include "patch/window_filter.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "patch/suffix_index.h"
#include "patch_test_util.h"

namespace {

const uint8_t* bytesOf(const std::string& text) {
  return reinterpret_cast<const uint8_t*>(text.data());
}

size_t windowsOf(const std::string& text) {
  return text.size() < kMinMatch ? 0 : text.size() - kMinMatch + 1;
}

std::set<std::string> windowSet(const std::string& text) {
  std::set<std::string> windows;
  for (size_t i = 0; i < windowsOf(text); ++i) windows.insert(text.substr(i, kMinMatch));
  return windows;
}

// An old file and a new one that shares some of its stretches, both with
// runs of one byte among random data.
struct Pair {
  std::string old;
  std::string fresh;
};

Pair sharingPair(TextMaker& maker, size_t size) {
  Pair pair;
  while (pair.old.size() < size) {
    pair.old += maker.text(64 + maker.below(2000));
    pair.old += std::string(maker.below(100), static_cast<char>(maker.below(3)));
  }
  while (pair.fresh.size() < size) {
    if (maker.below(3) == 0) {
      size_t at = maker.below(static_cast<uint32_t>(pair.old.size()));
      pair.fresh += pair.old.substr(at, 24 + maker.below(400));
    } else {
      pair.fresh += maker.text(1 + maker.below(600));
    }
  }
  return pair;
}

// Marks the new file's windows against a filter of the old file's windows
// built from the old file flipped, as the maker does.
void markAgainstOld(const Pair& pair, size_t filterBytes, WindowHits* hits) {
  std::string flipped = pair.old;
  flipBytes(reinterpret_cast<uint8_t*>(&flipped[0]), flipped.size());
  WindowFilter filter;
  ASSERT_TRUE(filter.build(bytesOf(flipped), flipped.size(), filterBytes, kIndexFlip));
  ASSERT_TRUE(hits->allocate(pair.fresh.size()));
  std::atomic<bool> never(false);
  hits->mark(filter, bytesOf(pair.fresh), pair.fresh.size(), never);
  ASSERT_EQ(windowsOf(pair.fresh), hits->marked());
}

void narrow(const Pair& pair, size_t bytes, const std::atomic<bool>& stop, WindowHits* hits) {
  std::string flipped = pair.old;
  flipBytes(reinterpret_cast<uint8_t*>(&flipped[0]), flipped.size());
  narrowHits(hits, bytesOf(pair.fresh), pair.fresh.size(), bytesOf(flipped), flipped.size(),
             kIndexFlip, bytes, stop);
}

// Narrowing may only drop windows the old file does not hold: a dropped
// shared window would change the patch. With a crowded first filter it
// drops most of the false marks.
TEST(NarrowHits, KeepsEverySharedWindowAndDropsFalseMarks) {
  TextMaker maker(7);
  size_t before = 0, after = 0, shared = 0;
  for (int round = 0; round < 20; ++round) {
    Pair pair = sharingPair(maker, 20000 + maker.below(20000));
    WindowHits hits;
    markAgainstOld(pair, pair.old.size() / 16, &hits);
    size_t windows = windowsOf(pair.fresh);
    std::vector<bool> marked(windows);
    for (size_t i = 0; i < windows; ++i) marked[i] = hits.isMarked(i);
    before += hits.count(windows);

    std::atomic<bool> never(false);
    narrow(pair, pair.old.size(), never, &hits);
    std::set<std::string> oldWindows = windowSet(pair.old);
    for (size_t i = 0; i < windows; ++i) {
      bool inOld = oldWindows.count(pair.fresh.substr(i, kMinMatch)) > 0;
      ASSERT_TRUE(!inOld || hits.isMarked(i)) << round << " window " << i;
      ASSERT_TRUE(marked[i] || !hits.isMarked(i)) << round << " window " << i;
      shared += inOld;
    }
    after += hits.count(windows);
  }
  EXPECT_LT(after - shared, (before - shared) / 4);
}

TEST(NarrowHits, LeavesTheMarksAsTheyWereWhenStoppedAtOnce) {
  TextMaker maker(8);
  Pair pair = sharingPair(maker, 30000);
  WindowHits hits;
  markAgainstOld(pair, pair.old.size() / 16, &hits);
  size_t windows = windowsOf(pair.fresh);
  size_t before = hits.count(windows);
  std::atomic<bool> stop(true);
  narrow(pair, pair.old.size(), stop, &hits);
  EXPECT_EQ(before, hits.count(windows));
}

TEST(NarrowHits, AcceptsFilesShorterThanAWindow) {
  for (std::string old : {std::string("short"), std::string(100, 'a')}) {
    for (std::string fresh : {std::string("tiny"), std::string(100, 'a')}) {
      Pair pair = {old, fresh};
      WindowHits hits;
      markAgainstOld(pair, 64, &hits);
      std::atomic<bool> never(false);
      narrow(pair, 64, never, &hits);
      if (old.size() >= kMinMatch && fresh.size() >= kMinMatch) {
        EXPECT_EQ(windowsOf(fresh), hits.count(windowsOf(fresh)));
      }
    }
  }
}

TEST(WindowFilter, PredictsItsFalseRate) {
  TextMaker maker(9);
  for (size_t bytesPerWindow : {1, 2, 8}) {
    std::string old = maker.text(200000);
    std::string other = maker.text(200000);
    WindowFilter filter;
    ASSERT_TRUE(filter.build(bytesOf(old), old.size(), old.size() * bytesPerWindow / 8, 0));
    std::set<std::string> oldWindows = windowSet(old);
    size_t tested = 0, wrong = 0;
    for (size_t i = 0; i < windowsOf(other); i += 7) {
      if (oldWindows.count(other.substr(i, kMinMatch)) > 0) continue;
      WindowHash hash(bytesOf(other) + i, 0);
      ++tested;
      wrong += filter.mayContain(hash.value());
    }
    ASSERT_GT(tested, 1000u);
    double measured = static_cast<double>(wrong) / static_cast<double>(tested);
    EXPECT_NEAR(filter.falseRate(), measured, 0.02 + measured / 4) << bytesPerWindow;
  }
}

}  // namespace

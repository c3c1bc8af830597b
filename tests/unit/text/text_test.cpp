// The safe rewrite of aircraft.cfg through its working file, and the line
// split whose outputs the readers reuse.
#include <gtest/gtest.h>

#include <functional>

#include "text/files.h"
#include "text/lines.h"
#include "unit/scratch_folder.h"

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

namespace {

// A line that is not key=value leaves no stale key or value behind: the
// readers reuse both from line to line.
TEST(SplitKeyValue, ClearsItsOutputsFirst) {
  std::string line = "  a = = b\r\n", key = "stale", value = "stale";
  EXPECT_TRUE(splitKeyValue(&line, &key, &value));
  EXPECT_EQ("a|b|a = = b\r\n", key + "|" + value + "|" + line);
  line = "title";
  EXPECT_FALSE(splitKeyValue(&line, &key, &value));
  EXPECT_EQ("", key + value);
}

using Lines = std::vector<std::string>;
using Edit = std::function<bool(Lines*)>;

const Edit kAddLine = [](Lines* lines) { return lines->push_back("c"), true; };
const Edit kSetFirst = [](Lines* lines) { return (*lines)[0] = "x", true; };

// Whether the rewrite succeeded; never is a working file left.
bool rewrite(const ScratchFolder& scratch, const Edit& edit) {
  std::string err;
  bool done = rewriteAircraftCfg(scratch.path(""), kTemporaryFileName, edit, &err);
  EXPECT_FALSE(scratch.exists(kTemporaryFileName));
  return done;
}

TEST(Rewrite, ChangesOnlyWhatTheEditChangesOrNothing) {
  std::string odd = "k=1\r\nlone\rcr\r\nnul?x\r\n" + std::string(5000, 'y') + "\r\n\x1a\r\nrest";
  odd[17] = '\0';
  const std::tuple<std::string, Edit, std::string> cases[] = {
      {"a\nb\r\n\r\n", kAddLine, "a\r\nb\r\n\r\nc"},  // CR LF, and no final line end
      {odd, [](Lines*) { return true; }, odd},        // what text mode cannot see is kept
      {"a=1\x1a", kSetFirst, "x\x1a"},
      {"\xEF\xBB\xBF[fltsim.0]\r\n", kSetFirst, "\xEF\xBB\xBFx"},  // the UTF-8 mark stays
      {"a\r\n\xFF\xFF", kSetFirst, "x"},
      // UTF-16 would be destroyed by a one-byte rewrite: refused, as is a declined edit.
      {"\xFF\xFEz", kAddLine, ""},
      {std::string("\xFE\xFF\0z", 4), kAddLine, ""},
      {"a\n", [](Lines*) { return false; }, ""},
  };
  for (const auto& [before, edit, after] : cases) {
    ScratchFolder scratch;
    scratch.write("aircraft.cfg", before);
    EXPECT_EQ(!after.empty(), rewrite(scratch, edit)) << before;
    EXPECT_EQ(after.empty() ? before : after, scratch.read("aircraft.cfg")) << before;
  }
}

#ifndef _WIN32
// A write cut short (here by the file size limit) fails the rewrite and the
// copy, whatever closing the file says afterwards; so does a working file
// that cannot be made.
TEST(Rewrite, NoticesAFailedWrite) {
  ScratchFolder scratch;
  scratch.write("aircraft.cfg", "a\n");
  scratch.write("big", std::string(100000, 'b'));
  rlimit saved, limit;
  getrlimit(RLIMIT_FSIZE, &saved);
  limit = {4096, saved.rlim_max};
  auto handler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &limit));
  bool rewritten = rewrite(scratch, [](Lines* l) { return l->emplace_back(9999, 'x'), true; });
  bool copied = copyAndClose(fopen(scratch.path("big").c_str(), "rb"),
                             fopen(scratch.path("copy").c_str(), "wb"));
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, handler);
  EXPECT_FALSE(rewritten || copied);
  EXPECT_EQ("a\n", scratch.read("aircraft.cfg"));
  std::filesystem::create_directory(scratch.path(kTemporaryFileName));  // no working file then
  std::string err;
  EXPECT_FALSE(rewriteAircraftCfg(scratch.path(""), kTemporaryFileName, kAddLine, &err));
  EXPECT_EQ("a\n", scratch.read("aircraft.cfg"));
}
#endif

}  // namespace

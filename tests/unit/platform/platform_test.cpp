// The path conversions both targets share, and the POSIX system calls.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "unit/scratch_folder.h"

#ifndef _WIN32
#include <pthread.h>
#include <unistd.h>

#include <csignal>
#endif

namespace {

// UTF-8 paths and the UTF-16 of the Windows services: every character both
// ways; a byte that leads no valid sequence stands for itself.
TEST(Names, ConvertPathsBothWays) {
  const std::pair<std::string, std::u16string> both[] = {
      {"a\xC5\x81", u"a\u0141"},
      {"\xE2\x82\xAC", u"\u20AC"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
      {"\xED\xA0\x80", u"\xD800"},
  };
  for (const auto& [path, wide] : both) {
    EXPECT_EQ(wide, platform::wideFromPath(path)) << path;
    EXPECT_EQ(path, platform::pathFromWide(wide)) << path;
    EXPECT_EQ(wide.size(), platform::pathLength(path));
  }
  EXPECT_EQ(u"\xFF\xC3\xE2\x82\xC0\x80", platform::wideFromPath("\xFF\xC3\xE2\x82\xC0\x80"));
  EXPECT_EQ("\xC3\xBF", platform::pathFromNarrow("\xFF"));
}

// Command words upper-case as Windows' user-interface library does it, Latin-1 included:
// the division sign has no capital and y with diaeresis leaves Latin-1.
TEST(Names, UpperCaseAsWindowsDoes) {
  std::u16string text = u"az\u00E0\u00F7\u00FE\u00FF\u00DF\u0141";
  platform::upperCaseWide(&text);
  EXPECT_EQ(u"AZ\u00C0\u00F7\u00DE\u0178\u00DF\u0141", text);
}

// A lock belongs to the folder however its path is spelled: a second taker waits.
TEST(Folders, OneLockForEverySpelling) {
  ScratchFolder scratch;
  std::string folder = scratch.path(""), upper = folder;
  for (char& c : upper) c = platform::upperAscii(c);
  std::vector<std::string> spellings = {upper + "/."};
#ifdef _WIN32
  std::string prefix = platform::getEnvironment("WINEPREFIX");  // Wine's drive Z: is "/"
  spellings.push_back("\\\\?\\" + folder);
  if (!prefix.empty()) spellings.push_back("Z:" + prefix + "/drive_c" + folder.substr(2));
#endif
  for (const std::string& spelling : spellings) {
    std::atomic<bool> released = false;
    std::unique_ptr<platform::FolderLock> held = platform::lockFolder(folder);
    std::thread other([&] { EXPECT_TRUE(platform::lockFolder(spelling) && released) << spelling; });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    released = true, held.reset();
    other.join();
  }
}

#ifndef _WIN32
TEST(PosixFolders, RemoveOnlyWhatIsAskedFor) {
  ScratchFolder scratch;
  std::filesystem::create_directories(scratch.path("full/inside"));
  std::filesystem::create_directory(scratch.path("empty"));
  std::filesystem::create_directory_symlink(scratch.path("full"), scratch.path("link"));
  EXPECT_FALSE(platform::removeFolder(scratch.path("full")));
  EXPECT_FALSE(platform::removeFolder(scratch.path("missing")));
  EXPECT_TRUE(platform::removeFolder(scratch.path("empty")));
  EXPECT_TRUE(platform::removeFolder(scratch.path("link")));  // the link, not what it names
  EXPECT_FALSE(scratch.exists("empty") || scratch.exists("link"));
  EXPECT_TRUE(scratch.exists("full/inside"));
}

// A signal while waiting for another holder is no reason to give up.
TEST(PosixFolders, LockWaitsThroughSignals) {
  ScratchFolder scratch;
  std::unique_ptr<platform::FolderLock> held = platform::lockFolder(scratch.path(""));
  ASSERT_TRUE(held);
  struct sigaction quiet = {}, saved;
  quiet.sa_handler = [](int) {};  // no SA_RESTART: the wait is interrupted
  sigaction(SIGUSR1, &quiet, &saved);
  pthread_t waiter = pthread_self();
  std::thread other([&] {
    for (int i = 0; i < 10; ++i, usleep(20000)) pthread_kill(waiter, SIGUSR1);
    held.reset();
  });
  EXPECT_TRUE(platform::lockFolder(scratch.path("")));
  other.join();
  sigaction(SIGUSR1, &saved, nullptr);
}
#else
// A replacement waits for readers that let go soon, even without delete sharing.
TEST(WindowsFiles, ReplaceWhileReadersLetGo) {
  ScratchFolder scratch;
  scratch.write("t", "old");
  for (int round = 0; round < 2; ++round) {
    std::shared_ptr<void> reader =  // the program's own, then one like a scanner's
        round == 0 ? std::shared_ptr<void>(platform::openForReading(scratch.path("t")), std::fclose)
                   : std::make_shared<std::ifstream>(scratch.path("t"));
    std::thread release(
        [&] { std::this_thread::sleep_for(std::chrono::milliseconds(100)), reader.reset(); });
    scratch.write("w", std::to_string(round));
    EXPECT_TRUE(platform::putFileInPlace(scratch.path("w"), scratch.path("t"))) << round;
    release.join();
  }
  EXPECT_EQ("1", scratch.read("t"));
}
#endif

}  // namespace

// The platform layer on POSIX: every Windows service is answered from the
// Wine prefix in which the user runs the simulator ($WINEPREFIX, else
// $HOME/.wine). The prefix is read afresh at every lookup and never written.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace platform {
namespace {

constexpr size_t kMaxRegistryStringUnits = 511;  // 1024 bytes with terminator

std::string winePrefix() {
  const char* prefix = std::getenv("WINEPREFIX");
  if (prefix != nullptr && *prefix != '\0') return prefix;
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.wine";
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

bool entryExists(const std::string& host_path) {
  struct stat st;
  return lstat(host_path.c_str(), &st) == 0;
}

// The host name of `component` inside `folder`: the exact name when it
// exists, else the first entry in byte order that matches ignoring ASCII
// case, else the name as written (so that it can be created).
std::string resolveComponent(const std::string& folder, const std::string& component) {
  const std::string& exact = component;
  if (entryExists(folder + "/" + exact)) return exact;
  DIR* dir = opendir(folder.empty() ? "/" : folder.c_str());
  if (dir == nullptr) return exact;
  std::string best;
  while (struct dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (equalsIgnoringAsciiCase(name, component) && (best.empty() || name < best)) {
      best = name;
    }
  }
  closedir(dir);
  return best.empty() ? exact : best;
}

// A path component as Win32 normalises it: a single trailing "." goes from
// every component, and all trailing dots and spaces from the last one; "."
// and ".." stay.
std::string windowsComponent(std::string component, bool last) {
  if (component == "." || component == "..") return component;
  if (last) {
    size_t end = component.find_last_not_of(". ");
    return end == std::string::npos ? component : component.substr(0, end + 1);
  }
  bool singleDot =
      component.size() >= 2 && component.back() == '.' && component[component.size() - 2] != '.';
  if (singleDot) component.pop_back();
  return component;
}

// A path the program may hand to the system: not empty and not a device.
bool usable(const std::string& path) { return !path.empty() && !namesDevice(path); }

// The components of a path, split at "\" and "/", empty ones dropped.
std::vector<std::string> splitComponents(const std::string& path, size_t start) {
  std::vector<std::string> components;
  size_t i = start;
  while (i < path.size()) {
    size_t end = i;
    while (end < path.size() && !isSeparator(path[end])) ++end;
    if (end > i) components.push_back(path.substr(i, end - i));
    i = end + 1;
  }
  return components;
}

// Where a path starts: the host folder its first component lies in, and
// whether ".." may climb above it (only a relative host path may: it starts
// in the working folder).
struct PathRoot {
  std::string host;
  size_t rest = 0;  // index of the first component after the root
  bool climbable = false;
};

PathRoot rootOf(const std::string& path) {
  bool has_drive = path.size() >= 2 && path[1] == ':' &&
                   ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
  if (has_drive) {
    return {winePrefix() + "/dosdevices/" + static_cast<char>(path[0] | 0x20) + ":", 2, false};
  }
  if (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
    // \\server\share: Wine keeps a link for it under dosdevices/unc.
    std::vector<std::string> parts = splitComponents(path, 0);
    std::string unc = winePrefix() + "/dosdevices/unc";
    size_t consumed = 0;
    for (size_t k = 0; k < 2 && k < parts.size(); ++k) {
      unc += "/" + resolveComponent(unc, parts[k]);
      consumed = path.find(parts[k], consumed) + parts[k].size();
    }
    if (parts.size() < 2) unc += "/?";  // no share: a path that cannot exist
    return {unc, consumed, false};
  }
  if (!path.empty() && path[0] == '/') return {"", 0, false};
  return {".", 0, true};
}

// Maps a Windows-form or host path to the host path it names. "." and ".."
// are resolved by name, as Windows does, and ".." never climbs above the
// drive root, the share or "/".
std::string hostPath(const std::string& path) {
  PathRoot root = rootOf(path);
  std::vector<std::string> components = splitComponents(path, root.rest);
  std::vector<std::string> kept;
  for (size_t k = 0; k < components.size(); ++k) {
    std::string component = windowsComponent(components[k], k + 1 == components.size());
    if (component == ".") continue;
    if (component == "..") {
      if (!kept.empty() && kept.back() != "..") {
        kept.pop_back();
      } else if (root.climbable) {
        kept.push_back("..");
      }
      continue;
    }
    kept.push_back(component);
  }
  std::string host = root.host;
  for (const std::string& component : kept) {
    host += "/" + (component == ".." ? component : resolveComponent(host, component));
  }
  return host.empty() ? "/" : host;
}

bool syncHostFolder(const std::string& host) {
  int fd = open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = fsync(fd) == 0;
  close(fd);
  return ok;
}

// ---- user.reg -------------------------------------------------------------

// Unescapes the body of a registry key path: "\\" becomes "\".
std::string unescapeKeyPath(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') ++i;
    out.push_back(text[i]);
  }
  return out;
}

bool isWhiteSpaceByte(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses a quoted registry string starting at text[pos] == '"' into UTF-16
// code units. False when it is not closed.
bool parseRegistryString(const std::string& text, size_t pos, std::u16string* out) {
  std::string raw;  // bytes between escapes, decoded as UTF-8 in runs
  auto flush = [&]() {
    *out += wideFromPath(raw);
    raw.clear();
  };
  for (size_t i = pos + 1; i < text.size(); ++i) {
    char c = text[i];
    if (c == '"') {
      flush();
      return true;
    }
    if (c != '\\' || i + 1 >= text.size()) {
      raw.push_back(c);
      continue;
    }
    char e = text[++i];
    if (e == 'x') {
      unsigned value = 0;
      int digits = 0;
      while (digits < 4 && i + 1 < text.size() && hexDigit(text[i + 1]) >= 0) {
        value = value * 16 + hexDigit(text[++i]);
        ++digits;
      }
      flush();
      out->push_back(static_cast<char16_t>(value));
      continue;
    }
    char plain = e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e == '0' ? '\0' : e;
    raw.push_back(plain);
  }
  return false;
}

// Parses "xx,xx,..." (blanks allowed) as the UTF-16LE string Windows returns
// for a string stored without its final NUL: up to the first NUL unit.
bool parseRegistryHex(const std::string& text, std::u16string* out) {
  std::string bytes;
  for (size_t i = 0; i < text.size();) {
    if (text[i] == ',' || isWhiteSpaceByte(text[i])) {
      ++i;
      continue;
    }
    if (i + 1 >= text.size() || hexDigit(text[i]) < 0 || hexDigit(text[i + 1]) < 0) return false;
    bytes.push_back(static_cast<char>(hexDigit(text[i]) * 16 + hexDigit(text[i + 1])));
    i += 2;
  }
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    char16_t unit = static_cast<unsigned char>(bytes[i]) |
                    static_cast<char16_t>(static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (unit == 0) break;
    out->push_back(unit);
  }
  return true;
}

// Finds a string value in a hive of the prefix (the current user's unless
// another is named).
bool readUserRegistryString(const std::string& key, const std::string& value_name,
                            std::u16string* out, const char* hive = "/user.reg") {
  std::string data;
  if (!readWholeFile(winePrefix() + hive, &data)) return false;
  bool in_key = false;
  size_t pos = 0;
  while (pos < data.size()) {
    size_t end = data.find('\n', pos);
    if (end == std::string::npos) end = data.size();
    std::string line = data.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') {
      size_t close = line.rfind(']');
      in_key = close != std::string::npos &&
               equalsIgnoringAsciiCase(unescapeKeyPath(line.substr(1, close - 1)), key);
      continue;
    }
    if (!in_key || line.empty() || line[0] != '"') continue;
    std::u16string name;
    if (!parseRegistryString(line, 0, &name)) continue;
    size_t name_end = line.find("\"=", 1);
    while (name_end != std::string::npos && line[name_end - 1] == '\\') {
      name_end = line.find("\"=", name_end + 1);
    }
    if (name_end == std::string::npos || !equalsIgnoringAsciiCase(pathFromWide(name), value_name)) {
      continue;
    }
    std::string rest = line.substr(name_end + 2);
    out->clear();
    if (rest.compare(0, 7, "hex(1):") == 0 || rest.compare(0, 7, "hex(2):") == 0) {
      // Continued lines end in "\" and the next one starts with blanks.
      while (!rest.empty() && rest.back() == '\\' && pos < data.size()) {
        rest.pop_back();
        end = data.find('\n', pos);
        if (end == std::string::npos) end = data.size();
        rest += data.substr(pos, end - pos);
        pos = end + 1;
        while (!rest.empty() && rest.back() == '\r') rest.pop_back();
      }
      return parseRegistryHex(rest.substr(7), out);
    }
    if (rest.compare(0, 7, "str(2):") == 0) rest = rest.substr(7);
    if (rest.empty() || rest[0] != '"') return false;
    return parseRegistryString(rest, 0, out);
  }
  return false;
}

class PosixFolderLock : public FolderLock {
 public:
  explicit PosixFolderLock(int fd) : fd_(fd) {}
  ~PosixFolderLock() override { close(fd_); }

 private:
  int fd_;
};

}  // namespace

bool readSimulatorAppPath(std::string* out) {
  out->clear();
  std::u16string value;
  if (!readUserRegistryString("Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0",
                              "AppPath", &value)) {
    return false;
  }
  size_t nul = value.find(u'\0');
  if (nul != std::u16string::npos) value.resize(nul);
  if (value.size() > kMaxRegistryStringUnits) return false;
  *out = pathFromWide(value);
  return true;
}

bool readRoamingAppDataFolder(std::string* out) {
  out->clear();
  std::u16string value;
  if (!readUserRegistryString(
          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "AppData",
          &value)) {
    return false;
  }
  size_t nul = value.find(u'\0');
  if (nul != std::u16string::npos) value.resize(nul);
  *out = pathFromWide(value);
  return !out->empty();
}

FILE* openForReading(const std::string& path) {
  if (!usable(path)) return nullptr;
  // Non-blocking, so that a FIFO is refused at once instead of waiting for
  // a writer; a regular file reads the same either way.
  int fd = open(hostPath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
    close(fd);
    return nullptr;
  }
  FILE* file = fdopen(fd, "rb");
  if (file == nullptr) close(fd);
  return file;
}

FILE* createNewFile(const std::string& path) {
  if (!usable(path)) return nullptr;
  std::string host = hostPath(path);
  struct stat st;
  // A stale working file goes by name: a link is removed, never followed.
  if (lstat(host.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || unlink(host.c_str()) != 0)) {
    return nullptr;
  }
  int fd = open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  FILE* file = fdopen(fd, "wb");
  if (file == nullptr) {
    close(fd);
    unlink(host.c_str());
  }
  return file;
}

bool isReadOnlyFile(const std::string& path) {
  struct stat st;
  return usable(path) && stat(hostPath(path).c_str(), &st) == 0 && (st.st_mode & 0222) == 0;
}

bool syncFile(FILE* file) { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }

bool syncFolder(const std::string& folder) { return syncHostFolder(hostPath(folder)); }

EntryKind inspect(const std::string& path) {
  struct stat st;
  if (!usable(path) || lstat(hostPath(path).c_str(), &st) != 0) return EntryKind::kMissing;
  if (S_ISLNK(st.st_mode)) return EntryKind::kLink;
  if (S_ISDIR(st.st_mode)) return EntryKind::kFolder;
  return S_ISREG(st.st_mode) ? EntryKind::kFile : EntryKind::kOther;
}

std::string finalPath(const std::string& path) {
  if (inspect(path) != EntryKind::kLink) return path;
  char* real = realpath(hostPath(path).c_str(), nullptr);
  if (real == nullptr) return path;
  std::string resolved = real;
  std::free(real);
  return resolved;
}

bool putFileInPlace(const std::string& working, const std::string& target) {
  if (!usable(working) || !usable(target)) return false;
  std::string from = hostPath(working);
  std::string to = hostPath(finalPath(target));
  struct stat st;
  if (stat(to.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode) || (st.st_mode & 0222) == 0) return false;
    // The new file is the old one to its owner: same owner, group and mode.
    // Only root may give a file away; anyone else already owns what they
    // write, so a refused chown changes nothing.
    if (chown(from.c_str(), st.st_uid, st.st_gid) != 0 && geteuid() == 0) return false;
    if (chmod(from.c_str(), st.st_mode & 07777) != 0) return false;
  }
  if (rename(from.c_str(), to.c_str()) != 0) return false;
  // Make the rename itself durable.
  std::string folder = to.substr(0, to.rfind('/') + 1);
  syncHostFolder(folder.empty() ? "." : folder);
  return true;
}

bool removeFile(const std::string& path) {
  // unlink removes a link itself; a folder is refused.
  return usable(path) && inspect(path) != EntryKind::kFolder && unlink(hostPath(path).c_str()) == 0;
}

bool createFolder(const std::string& path) {
  return usable(path) && mkdir(hostPath(path).c_str(), 0777) == 0;
}

bool renameFolder(const std::string& from, const std::string& to) {
  struct stat st;
  std::string target = hostPath(to);
  return usable(from) && usable(to) && lstat(target.c_str(), &st) != 0 &&
         rename(hostPath(from).c_str(), target.c_str()) == 0;
}

bool removeFolder(const std::string& path) {
  if (!usable(path)) return false;
  std::string host = hostPath(path);
  // A link to a folder goes itself; what it points to is not ours.
  if (inspect(path) == EntryKind::kLink) return unlink(host.c_str()) == 0;
  return rmdir(host.c_str()) == 0;
}

bool sameExistingFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return usable(a) && usable(b) && stat(hostPath(a).c_str(), &sa) == 0 &&
         stat(hostPath(b).c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool listFolder(const std::string& pattern, std::vector<std::string>* names) {
  names->clear();
  size_t sep = pattern.find_last_of("\\/");
  std::string folder = sep == std::string::npos ? "." : pattern.substr(0, sep);
  std::string name_pattern = sep == std::string::npos ? pattern : pattern.substr(sep + 1);
  DIR* dir = opendir(hostPath(folder.empty() ? "/" : folder).c_str());
  if (dir == nullptr) return false;
  while (struct dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;  // used again exactly as listed
    if (nameMatchesPattern(name, name_pattern)) names->push_back(name);
  }
  closedir(dir);
  sortListing(names);
  return true;
}

namespace {

// A name this folder can take as one component: a listed name may hold "\\"
// on POSIX and is used as it is, but never "/", "." or "..".
bool oneComponent(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         !namesDevice(name);
}

FILE* streamFor(int fd, const char* mode) {
  if (fd < 0) return nullptr;
  FILE* file = fdopen(fd, mode);
  if (file == nullptr) close(fd);
  return file;
}

class PosixFolder : public Folder {
 public:
  explicit PosixFolder(int fd) : fd_(fd) {}
  ~PosixFolder() override { close(fd_); }

  bool list(const std::string& namePattern, std::vector<std::string>* names) override {
    names->clear();
    int fd = openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
    if (dir == nullptr) {
      if (fd >= 0) close(fd);
      return false;
    }
    while (struct dirent* entry = readdir(dir)) {
      if (nameMatchesPattern(entry->d_name, namePattern)) names->push_back(entry->d_name);
    }
    closedir(dir);
    sortListing(names);
    return true;
  }

  EntryKind inspect(const std::string& name) override {
    struct stat st;
    if (!oneComponent(name) || fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
      return EntryKind::kMissing;
    }
    if (S_ISLNK(st.st_mode)) return EntryKind::kLink;
    if (S_ISDIR(st.st_mode)) return EntryKind::kFolder;
    return S_ISREG(st.st_mode) ? EntryKind::kFile : EntryKind::kOther;
  }

  std::unique_ptr<Folder> openFolder(const std::string& name) override {
    if (!oneComponent(name)) return nullptr;
    int fd = openat(fd_, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    return fd < 0 ? nullptr : std::make_unique<PosixFolder>(fd);
  }

  FILE* openForReading(const std::string& name) override {
    if (!oneComponent(name)) return nullptr;
    int fd = openat(fd_, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    struct stat st;
    if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
                    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)) {
      close(fd);
      return nullptr;
    }
    return streamFor(fd, "rb");
  }

  FILE* createNewFile(const std::string& name) override {
    if (!oneComponent(name)) return nullptr;
    return streamFor(
        openat(fd_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666),
        "wb");
  }

  bool createFolder(const std::string& name) override {
    return oneComponent(name) && mkdirat(fd_, name.c_str(), 0777) == 0;
  }

  bool removeFile(const std::string& name) override {
    EntryKind kind = inspect(name);
    return kind != EntryKind::kMissing && kind != EntryKind::kFolder &&
           unlinkat(fd_, name.c_str(), 0) == 0;
  }

  bool removeFolder(const std::string& name) override {
    EntryKind kind = inspect(name);
    if (kind == EntryKind::kLink) return unlinkat(fd_, name.c_str(), 0) == 0;
    return kind == EntryKind::kFolder && unlinkat(fd_, name.c_str(), AT_REMOVEDIR) == 0;
  }

  bool rename(const std::string& from, const std::string& to) override {
    return inspect(from) != EntryKind::kMissing && oneComponent(to) &&
           inspect(to) == EntryKind::kMissing && renameat(fd_, from.c_str(), fd_, to.c_str()) == 0;
  }

  bool syncFile(const std::string& name) override {
    int fd = oneComponent(name) ? openat(fd_, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC) : -1;
    bool ok = fd >= 0 && fsync(fd) == 0;
    if (fd >= 0) close(fd);
    return ok;
  }

  bool sync() override { return fsync(fd_) == 0; }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<Folder> openFolder(const std::string& path) {
  if (!usable(path)) return nullptr;
  int fd = open(hostPath(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return fd < 0 ? nullptr : std::make_unique<PosixFolder>(fd);
}

std::unique_ptr<FolderLock> lockFolder(const std::string& folder) {
  int fd = open(hostPath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  while (flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      close(fd);
      return nullptr;
    }
  }
  return std::make_unique<PosixFolderLock>(fd);
}

void upperCaseWide(std::u16string* text) {
  for (char16_t& c : *text) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
      c = static_cast<char16_t>(c - 0x20);
    } else if (c == 0xFF) {
      c = 0x178;
    }
  }
}

std::string getEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

WideArgs decodeUtf8Args(int argc, char** argv) {
  WideArgs args;
  for (int i = 0; i < argc; ++i) args.push_back(wideFromPath(argv[i]));
  return args;
}

namespace {

const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// A string value of a hive, cut at its first NUL; false when missing or
// longer than the registry call allows.
bool hiveString(const char* hive, const std::string& key, const std::string& name,
                std::string* out) {
  std::u16string value;
  out->clear();
  if (!readUserRegistryString(key, name, &value, hive)) return false;
  size_t nul = value.find(u'\0');
  if (nul != std::u16string::npos) value.resize(nul);
  if (value.size() > kMaxRegistryStringUnits) return false;
  *out = pathFromWide(value);
  return true;
}

}  // namespace

bool readRegistryString(RegistryRoot root, const std::string& key, const std::string& name,
                        std::string* out) {
  if (root == RegistryRoot::kCurrentUser) return hiveString("/user.reg", key, name, out);
  std::string machineKey = key;
  // The 32-bit view of SOFTWARE\X lies under SOFTWARE\Wow6432Node\X.
  size_t sep = key.find('\\');
  if (root == RegistryRoot::kLocalMachine32 && sep != std::string::npos) {
    machineKey = key.substr(0, sep) + "\\Wow6432Node" + key.substr(sep);
  }
  return hiveString("/system.reg", machineKey, name, out);
}

bool readSpecialFolder(SpecialFolder folder, std::string* out) {
  bool found =
      folder == SpecialFolder::kCommonAppData
          ? hiveString("/system.reg", kShellFolders, "Common AppData", out)
          : hiveString("/user.reg", kShellFolders,
                       folder == SpecialFolder::kDocuments ? "Personal" : "Local AppData", out);
  return found && !out->empty();
}

}  // namespace platform

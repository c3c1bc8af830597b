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

std::string WinePrefix() {
  const char* prefix = std::getenv("WINEPREFIX");
  if (prefix != nullptr && *prefix != '\0') return prefix;
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.wine";
}

char ToUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool EqualIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (ToUpperAscii(a[i]) != ToUpperAscii(b[i])) return false;
  }
  return true;
}

// The length of a UTF-8 sequence led by byte c, or 0 when c cannot lead one.
int SequenceLength(unsigned char c) {
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return 2;
  if (c >= 0xE0 && c <= 0xEF) return 3;
  if (c >= 0xF0 && c <= 0xF4) return 4;
  return 0;
}

// Decodes the sequence at bytes[i] of length len; false when it is invalid.
bool DecodeSequence(const std::string& bytes, size_t i, int len, char32_t* cp) {
  if (len < 2 || i + len > bytes.size()) return false;
  unsigned char lead = static_cast<unsigned char>(bytes[i]);
  char32_t value = lead & (0x7F >> len);
  for (int k = 1; k < len; ++k) {
    unsigned char c = static_cast<unsigned char>(bytes[i + k]);
    if ((c & 0xC0) != 0x80) return false;
    value = (value << 6) | (c & 0x3F);
  }
  static const char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kSmallest[len] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    return false;
  }
  *cp = value;
  return true;
}

// UTF-8 to UTF-16 code units; a byte that does not start a valid sequence
// stands for itself.
std::u16string DecodeUtf8(const std::string& bytes) {
  std::u16string out;
  size_t i = 0;
  while (i < bytes.size()) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    int len = SequenceLength(c);
    char32_t cp = c;
    if (len == 1 || !DecodeSequence(bytes, i, len, &cp)) {
      out.push_back(static_cast<char16_t>(c));
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return out;
}

std::string NarrowUnits(const std::u16string& wide) {
  std::string out;
  for (char16_t u : wide) out.push_back(static_cast<char>(u & 0xFF));
  return out;
}

// Narrow text (code points U+0000 to U+00FF) as a UTF-8 host name.
std::string NarrowToUtf8(const std::string& narrow) {
  std::string out;
  for (char ch : narrow) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      out.push_back(ch);
    } else {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool EntryExists(const std::string& host_path) {
  struct stat st;
  return lstat(host_path.c_str(), &st) == 0;
}

// The host name of `component` inside `folder`: the exact name when it
// exists, else the first entry in byte order that matches ignoring ASCII
// case, else the name as written (so that it can be created).
std::string ResolveComponent(const std::string& folder, const std::string& component) {
  std::string exact = NarrowToUtf8(component);
  if (component == "." || component == ".." || EntryExists(folder + "/" + exact)) return exact;
  DIR* dir = opendir(folder.empty() ? "/" : folder.c_str());
  if (dir == nullptr) return exact;
  std::string best;
  while (struct dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (EqualIgnoringAsciiCase(NarrowUnits(DecodeUtf8(name)), component) &&
        (best.empty() || name < best)) {
      best = name;
    }
  }
  closedir(dir);
  return best.empty() ? exact : best;
}

// A path component as Win32 normalises it: a single trailing "." goes from
// every component, and all trailing dots and spaces from the last one; "."
// and ".." stay.
std::string WindowsComponent(std::string component, bool last) {
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
bool Usable(const std::string& path) { return !path.empty() && !NamesDevice(path); }

// Maps a Windows-form or host path to the host path it names.
std::string HostPath(const std::string& path) {
  std::string host;
  size_t start = 0;
  bool has_drive = path.size() >= 2 && path[1] == ':' &&
                   ((path[0] >= 'a' && path[0] <= 'z') || (path[0] >= 'A' && path[0] <= 'Z'));
  if (has_drive) {
    host = WinePrefix() + "/dosdevices/" + static_cast<char>(path[0] | 0x20) + ":";
    start = 2;
  } else if (!path.empty() && path[0] == '/') {
    host = "";
  } else {
    host = ".";
  }
  size_t i = start;
  while (i <= path.size()) {
    size_t end = i;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (end > i) {
      size_t next = end;
      while (next < path.size() && IsSeparator(path[next])) ++next;
      std::string component = WindowsComponent(path.substr(i, end - i), next >= path.size());
      host += "/" + ResolveComponent(host, component);
    }
    i = end + 1;
  }
  return host.empty() ? "/" : host;
}

// ---- user.reg -------------------------------------------------------------

// Unescapes the body of a registry key path: "\\" becomes "\".
std::string UnescapeKeyPath(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') ++i;
    out.push_back(text[i]);
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses a quoted registry string starting at text[pos] == '"' into UTF-16
// code units. False when it is not closed.
bool ParseRegistryString(const std::string& text, size_t pos, std::u16string* out) {
  std::string raw;  // bytes between escapes, decoded as UTF-8 in runs
  auto flush = [&]() {
    *out += DecodeUtf8(raw);
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
      while (digits < 4 && i + 1 < text.size() && HexDigit(text[i + 1]) >= 0) {
        value = value * 16 + HexDigit(text[++i]);
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

// Finds a string value in the current user's hive of the prefix.
bool ReadUserRegistryString(const std::string& key, const std::string& value_name,
                            std::u16string* out) {
  std::string data;
  if (!ReadWholeFile(WinePrefix() + "/user.reg", &data)) return false;
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
               EqualIgnoringAsciiCase(UnescapeKeyPath(line.substr(1, close - 1)), key);
      continue;
    }
    if (!in_key || line.empty() || line[0] != '"') continue;
    std::u16string name;
    if (!ParseRegistryString(line, 0, &name)) continue;
    size_t name_end = line.find("\"=", 1);
    while (name_end != std::string::npos && line[name_end - 1] == '\\') {
      name_end = line.find("\"=", name_end + 1);
    }
    if (name_end == std::string::npos || !EqualIgnoringAsciiCase(NarrowUnits(name), value_name)) {
      continue;
    }
    std::string rest = line.substr(name_end + 2);
    if (rest.compare(0, 7, "str(2):") == 0) rest = rest.substr(7);
    if (rest.empty() || rest[0] != '"') return false;
    out->clear();
    return ParseRegistryString(rest, 0, out);
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

bool ReadSimulatorAppPath(std::string* out) {
  out->clear();
  std::u16string value;
  if (!ReadUserRegistryString("Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0",
                              "AppPath", &value)) {
    return false;
  }
  size_t nul = value.find(u'\0');
  if (nul != std::u16string::npos) value.resize(nul);
  if (value.size() > kMaxRegistryStringUnits) return false;
  *out = NarrowUnits(value);
  return true;
}

bool ReadRoamingAppDataFolder(std::string* out) {
  out->clear();
  std::u16string value;
  if (!ReadUserRegistryString(
          "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "AppData",
          &value)) {
    return false;
  }
  size_t nul = value.find(u'\0');
  if (nul != std::u16string::npos) value.resize(nul);
  *out = NarrowUnits(value);
  return !out->empty();
}

FILE* OpenStream(const std::string& path, const char* binary_mode) {
  if (!Usable(path)) return nullptr;
  std::string host = HostPath(path);
  struct stat st;
  // A folder opens as a stream on POSIX but not on Windows.
  if (stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return nullptr;
  return std::fopen(host.c_str(), binary_mode);
}

bool ReadWholeFile(const std::string& path, std::string* data) {
  FILE* file = OpenStream(path, "rb");
  if (file == nullptr) return false;
  data->clear();
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) data->append(buffer, n);
  bool ok = !std::ferror(file);
  std::fclose(file);
  return ok;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return Usable(path) && stat(HostPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsReadOnlyFile(const std::string& path) {
  struct stat st;
  return Usable(path) && stat(HostPath(path).c_str(), &st) == 0 && (st.st_mode & 0222) == 0;
}

bool SyncFile(FILE* file) { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }

bool PutFileInPlace(const std::string& working, const std::string& target) {
  if (!Usable(working) || !Usable(target)) return false;
  std::string from = HostPath(working);
  std::string to = HostPath(target);
  struct stat st;
  if (lstat(to.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char* real = realpath(to.c_str(), nullptr);
    if (real == nullptr) return false;
    to = real;
    std::free(real);
  }
  if (stat(to.c_str(), &st) == 0) {
    if ((st.st_mode & 0222) == 0) return false;
    chmod(from.c_str(), st.st_mode & 07777);
  }
  if (rename(from.c_str(), to.c_str()) != 0) return false;
  // Make the rename itself durable.
  std::string folder = to.substr(0, to.rfind('/') + 1);
  int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
  return true;
}

bool RemoveFile(const std::string& path) {
  return Usable(path) && unlink(HostPath(path).c_str()) == 0;
}

bool CreateFolder(const std::string& path) {
  return Usable(path) && mkdir(HostPath(path).c_str(), 0777) == 0;
}

bool RenameFolder(const std::string& from, const std::string& to) {
  struct stat st;
  std::string target = HostPath(to);
  return Usable(from) && Usable(to) && lstat(target.c_str(), &st) != 0 &&
         rename(HostPath(from).c_str(), target.c_str()) == 0;
}

bool RemoveFolder(const std::string& path) {
  return Usable(path) && rmdir(HostPath(path).c_str()) == 0;
}

bool SameExistingFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  return Usable(a) && Usable(b) && stat(HostPath(a).c_str(), &sa) == 0 &&
         stat(HostPath(b).c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool ListFolder(const std::string& pattern, std::vector<std::string>* names) {
  names->clear();
  size_t sep = pattern.find_last_of("\\/");
  std::string folder = sep == std::string::npos ? "." : pattern.substr(0, sep);
  std::string name_pattern = sep == std::string::npos ? pattern : pattern.substr(sep + 1);
  DIR* dir = opendir(HostPath(folder.empty() ? "/" : folder).c_str());
  if (dir == nullptr) return false;
  while (struct dirent* entry = readdir(dir)) {
    std::string name = NarrowUnits(DecodeUtf8(entry->d_name));
    if (NameMatchesPattern(name, name_pattern)) names->push_back(name);
  }
  closedir(dir);
  SortListing(names);
  return true;
}

std::unique_ptr<FolderLock> LockFolder(const std::string& folder) {
  int fd = open(HostPath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  while (flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) {
      close(fd);
      return nullptr;
    }
  }
  return std::make_unique<PosixFolderLock>(fd);
}

void UpperCaseWide(std::u16string* text) {
  for (char16_t& c : *text) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) {
      c = static_cast<char16_t>(c - 0x20);
    } else if (c == 0xFF) {
      c = 0x178;
    }
  }
}

void WriteStdout(const std::string& bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

void WriteStderr(const std::string& bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  std::fflush(stderr);
}

std::string GetEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

WideArgs DecodeUtf8Args(int argc, char** argv) {
  WideArgs args;
  for (int i = 0; i < argc; ++i) args.push_back(DecodeUtf8(argv[i]));
  return args;
}

}  // namespace platform

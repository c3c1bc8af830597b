// The platform layer on Windows: the real Win32 services. Paths arrive as
// UTF-8 and reach every W call as UTF-16 (WideFromPath); names coming back
// from the system become UTF-8 again (PathFromWide), so no character is lost.
//
// Wine runs this program too, and its file services differ from Windows in
// ways that matter here: a host symbolic link to a file does not show as a
// reparse point, FILE_FLAG_OPEN_REPARSE_POINT is not honoured (a handle names
// what the link points to) and deleting by name deletes the link's target.
// So whether a handle names the entry itself is decided by where its file
// lies, which both systems report truthfully, and never by the flag alone.
// Where that cannot be told, the entry is neither deleted nor written.
#include <fcntl.h>
#include <io.h>
#include <shlobj.h>
#include <windows.h>

#include <cwchar>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace platform {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::wstring widePath(const std::string& path) {
  std::u16string wide = wideFromPath(path);
  return std::wstring(wide.begin(), wide.end());
}

std::string fromWide(const std::wstring& wide) {
  return pathFromWide(std::u16string(wide.begin(), wide.end()));
}

// A path the program may hand to Win32: not empty, no NUL that would cut it
// short, and not a device.
bool usable(const std::string& path) {
  return !path.empty() && path.find('\0') == std::string::npos && !namesDevice(path);
}

DWORD attributesOf(const std::string& path) {
  return usable(path) ? GetFileAttributesW(widePath(path).c_str()) : INVALID_FILE_ATTRIBUTES;
}

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (ok()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// Opens an existing entry, file or folder, for `access`. `own_entry` asks
// for the entry itself rather than what a final link points to; Wine ignores
// that request (see above).
HANDLE openEntry(const std::wstring& path, DWORD access, bool own_entry) {
  DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (own_entry ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
  return CreateFileW(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
}

std::wstring fullPathOf(const std::wstring& path) {
  DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  DWORD length = GetFullPathNameW(path.c_str(), size, &full[0], nullptr);
  if (length == 0 || length >= size) return path;
  full.resize(length);
  return full;
}

// The "\\?\" path of the file a handle finally names, or empty text.
std::wstring finalPathOf(HANDLE handle) {
  DWORD size = GetFinalPathNameByHandleW(handle, nullptr, 0, FILE_NAME_NORMALIZED);
  if (size == 0) return L"";
  std::wstring path(size, L'\0');
  DWORD length = GetFinalPathNameByHandleW(handle, &path[0], size, FILE_NAME_NORMALIZED);
  if (length == 0 || length >= size) return L"";
  path.resize(length);
  return path;
}

// Where a handle's file lies: its volume's serial number and its path on that
// volume, or empty text. Unlike the final path, which Wine gives only up to
// MAX_PATH characters, this is given at any length.
std::wstring placeOf(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info;
  std::vector<DWORD> buffer((sizeof(FILE_NAME_INFO) + 2 * 32768) / sizeof(DWORD));
  auto* name = reinterpret_cast<FILE_NAME_INFO*>(buffer.data());
  if (!GetFileInformationByHandle(handle, &info) ||
      !GetFileInformationByHandleEx(handle, FileNameInfo, name,
                                    static_cast<DWORD>(buffer.size() * sizeof(DWORD)))) {
    return L"";
  }
  wchar_t serial[16];
  swprintf(serial, 16, L"%08lx", static_cast<unsigned long>(info.dwVolumeSerialNumber));
  return serial + std::wstring(name->FileName, name->FileNameLength / sizeof(wchar_t));
}

bool sameText(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

enum class Naming { kItself, kElsewhere, kUnknown };

// Whether `handle`, opened from `path`, names the entry `path` itself: its
// file lies in the entry's folder under the entry's own (long) name. A handle
// on what a link points to lies elsewhere or has another name.
Naming namesEntryItself(const std::wstring& path, HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(handle, &info) &&
      (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    return Naming::kItself;  // the link itself, as Windows opens it
  }
  std::wstring full = fullPathOf(path);
  while (full.size() > 1 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
  size_t sep = full.find_last_of(L"\\/");
  if (sep == std::wstring::npos || full.find_first_of(L"*?", sep) != std::wstring::npos) {
    return Naming::kUnknown;
  }
  std::wstring folder = full.substr(0, sep);
  if (folder.empty() || folder.back() == L':') folder += L'\\';
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(full.c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return Naming::kUnknown;
  FindClose(find);
  Handle folder_handle(openEntry(folder, 0, false));
  std::wstring expected = folder_handle.ok() ? placeOf(folder_handle.get()) : L"";
  std::wstring actual = placeOf(handle);
  if (expected.empty() || actual.empty()) return Naming::kUnknown;
  if (expected.back() != L'\\') expected += L'\\';
  return sameText(expected + entry.cFileName, actual) ? Naming::kItself : Naming::kElsewhere;
}

// A final path as a path the program can use again: "\\?\C:\x" becomes
// "C:\x" when it is short enough to work without the prefix.
std::wstring reusable(const std::wstring& final_path) {
  if (final_path.compare(0, 4, L"\\\\?\\") == 0 && final_path.size() >= 7 &&
      final_path[5] == L':' && final_path[6] == L'\\' && final_path.size() - 4 < MAX_PATH) {
    return final_path.substr(4);
  }
  return final_path;
}

// Runs a step that replaces, renames or deletes an entry until it succeeds or
// fails for a reason other than sharing: a scanner or an indexer holding the
// file, or a reader that does not share delete access, lets go within about a
// second. The step's error is kept for the caller.
template <typename Step>
bool retried(Step step) {
  for (int attempt = 0;; ++attempt) {
    if (step()) return true;
    DWORD error = GetLastError();
    if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED &&
         error != ERROR_LOCK_VIOLATION && error != ERROR_UNABLE_TO_REMOVE_REPLACED) ||
        attempt == 20) {
      return false;
    }
    Sleep(50);
  }
}

// Deletes a file or folder, or a link itself, through a handle on that very
// entry, so that no link is ever followed. Wine can only open a link's
// target: such an entry is left alone and the call fails.
bool removeEntry(const std::string& path, bool folder) {
  if (!usable(path)) return false;
  std::wstring wide = widePath(path);
  HANDLE opened = INVALID_HANDLE_VALUE;
  retried([&] {
    opened = openEntry(wide, DELETE | FILE_READ_ATTRIBUTES, true);
    return opened != INVALID_HANDLE_VALUE;
  });
  Handle handle(opened);
  BY_HANDLE_FILE_INFORMATION info;
  if (!handle.ok() || GetFileType(handle.get()) != FILE_TYPE_DISK ||
      !GetFileInformationByHandle(handle.get(), &info)) {
    return false;
  }
  bool is_folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  bool is_link = (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  if (folder ? !is_folder : (is_folder && !is_link)) return false;
  if (namesEntryItself(wide, handle.get()) != Naming::kItself) return false;
  FILE_DISPOSITION_INFO disposition = {TRUE};
  return SetFileInformationByHandle(handle.get(), FileDispositionInfo, &disposition,
                                    sizeof disposition) != 0;
}

// Wine's ReplaceFileW moves the old file away, deletes it and only then moves
// the new one in, dropping its attributes: not one step.
bool runningOnWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

FILE* streamFor(HANDLE handle, int flags, const char* mode) {
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), flags);
  if (fd == -1) {
    CloseHandle(handle);
    return nullptr;
  }
  FILE* file = _fdopen(fd, mode);
  if (file == nullptr) _close(fd);
  return file;
}

class Win32FolderLock : public FolderLock {
 public:
  explicit Win32FolderLock(HANDLE mutex) : mutex_(mutex) {}
  ~Win32FolderLock() override {
    ReleaseMutex(mutex_);
    CloseHandle(mutex_);
  }

 private:
  HANDLE mutex_;
};

// A name for the lock of one folder, the same however the folder is spelled
// (letter case, "\\?\", another drive leading to it): the folder's volume
// serial number and file index. Only a file system that gives no index has
// the lock named from the folder's path.
std::wstring lockName(const std::string& folder) {
  Handle handle(openEntry(widePath(folder), 0, false));
  BY_HANDLE_FILE_INFORMATION info;
  if (!handle.ok() || !GetFileInformationByHandle(handle.get(), &info) ||
      !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return L"";
  }
  wchar_t name[64];
  if (info.nFileIndexHigh != 0 || info.nFileIndexLow != 0) {
    swprintf(name, 64, L"Local\\fuselox-%08lx-%08lx%08lx",
             static_cast<unsigned long>(info.dwVolumeSerialNumber),
             static_cast<unsigned long>(info.nFileIndexHigh),
             static_cast<unsigned long>(info.nFileIndexLow));
    return name;
  }
  std::wstring path = fullPathOf(widePath(folder));
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  if (!path.empty()) CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
  unsigned long long hash = 1469598103934665603ULL;
  for (wchar_t c : path) {
    if (c == L'/') c = L'\\';
    hash = (hash ^ static_cast<unsigned>(c)) * 1099511628211ULL;
  }
  swprintf(name, 64, L"Local\\fuselox-%016llx", hash);
  return name;
}

}  // namespace

bool readSimulatorAppPath(std::string* out) {
  out->clear();
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER,
                    L"Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0", 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  wchar_t value[512];
  DWORD size = sizeof value;
  DWORD type = REG_NONE;
  LONG status =
      RegQueryValueExW(key, L"AppPath", nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  size_t length = wcsnlen(value, size / sizeof(wchar_t));
  if (length > 511) return false;  // no room left for the terminator
  *out = fromWide(std::wstring(value, length));
  return true;
}

bool readRoamingAppDataFolder(std::string* out) {
  out->clear();
  // FOLDERID_RoamingAppData, spelled out so that no import library is needed.
  static const KNOWNFOLDERID kRoamingAppData = {
      0x3EB685DB, 0x65F9, 0x4CF6, {0xA0, 0x3A, 0xE3, 0xEF, 0x65, 0x72, 0x9F, 0x3D}};
  PIDLIST_ABSOLUTE list = nullptr;
  if (FAILED(SHGetKnownFolderIDList(kRoamingAppData, 0, nullptr, &list))) return false;
  std::wstring folder(32768, L'\0');
  bool ok = SHGetPathFromIDListEx(list, &folder[0], static_cast<DWORD>(folder.size()),
                                  GPFIDL_DEFAULT) != 0;
  ILFree(list);
  if (!ok) return false;
  folder.resize(wcslen(folder.c_str()));
  *out = fromWide(folder);
  return !out->empty();
}

FILE* openForReading(const std::string& path) {
  if (!usable(path)) return nullptr;
  // Every share mode: a reader must never make another run's replacement fail.
  HANDLE handle = CreateFileW(widePath(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    CloseHandle(handle);
    return nullptr;
  }
  return streamFor(handle, _O_RDONLY | _O_BINARY, "rb");
}

FILE* createNewFile(const std::string& path) {
  if (!usable(path)) return nullptr;
  EntryKind kind = inspect(path);
  if (kind == EntryKind::kFolder || kind == EntryKind::kOther) return nullptr;
  // A stale entry that cannot be removed (Wine: a host link) makes CREATE_NEW fail below.
  if (kind != EntryKind::kMissing) removeFile(path);
  // The removed file's name stays taken while a scanner still holds it.
  HANDLE handle = INVALID_HANDLE_VALUE;
  retried([&] {
    handle = CreateFileW(widePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    return handle != INVALID_HANDLE_VALUE;
  });
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return streamFor(handle, _O_WRONLY | _O_BINARY, "wb");
}

bool isReadOnlyFile(const std::string& path) {
  DWORD attributes = attributesOf(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

bool syncFile(FILE* file) { return std::fflush(file) == 0 && _commit(_fileno(file)) == 0; }

bool syncFolder(const std::string& folder) {
  EntryKind kind = inspect(folder);
  if (kind != EntryKind::kFolder && kind != EntryKind::kLink) return false;
  // Windows flushes a folder's entries only for a handle with write access,
  // which it may refuse (FAT, rights); NTFS journals them in any case.
  Handle handle(openEntry(widePath(folder), GENERIC_WRITE, false));
  BY_HANDLE_FILE_INFORMATION info;
  if (handle.ok() && GetFileInformationByHandle(handle.get(), &info)) {
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    FlushFileBuffers(handle.get());
  }
  return true;
}

EntryKind inspect(const std::string& path) {
  if (path.empty() || path.find('\0') != std::string::npos) return EntryKind::kMissing;
  if (namesDevice(path)) return EntryKind::kOther;
  std::wstring wide = widePath(path);
  DWORD attributes = GetFileAttributesW(wide.c_str());
  WIN32_FIND_DATAW entry;
  size_t sep = wide.find_last_of(L"\\/:");
  bool wildcard = wide.find_first_of(L"*?", sep == std::wstring::npos ? 0 : sep) != wide.npos;
  HANDLE find = wildcard ? INVALID_HANDLE_VALUE : FindFirstFileW(wide.c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    // Wine lists a FIFO or device file but gives no attributes for it.
    return find != INVALID_HANDLE_VALUE ? EntryKind::kOther : EntryKind::kMissing;
  }
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    // Wine reports no tag; other tags (cloud files, deduplication) are no links.
    DWORD tag = find != INVALID_HANDLE_VALUE ? entry.dwReserved0 : 0;
    if (tag == 0 || IsReparseTagNameSurrogate(tag)) return EntryKind::kLink;
  }
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryKind::kFolder;
  // Under Wine a link to a file shows as a plain file; only where it lies
  // tells. An entry that cannot be told from a link is no file to write.
  Handle handle(openEntry(wide, 0, true));
  if (!handle.ok()) return EntryKind::kFile;
  if (GetFileType(handle.get()) != FILE_TYPE_DISK) return EntryKind::kOther;
  Naming naming = namesEntryItself(wide, handle.get());
  if (naming == Naming::kElsewhere) return EntryKind::kLink;
  return naming == Naming::kItself ? EntryKind::kFile : EntryKind::kOther;
}

std::string finalPath(const std::string& path) {
  if (inspect(path) != EntryKind::kLink) return path;
  Handle handle(openEntry(widePath(path), 0, false));
  std::wstring final_path = handle.ok() ? finalPathOf(handle.get()) : L"";
  return final_path.empty() ? path : fromWide(reusable(final_path));
}

bool putFileInPlace(const std::string& working, const std::string& target) {
  if (!usable(working) || !usable(target) || inspect(working) != EntryKind::kFile) return false;
  std::string real = finalPath(target);
  std::wstring from = widePath(working);
  std::wstring to = widePath(real);
  EntryKind kind = inspect(real);
  if (kind == EntryKind::kMissing) {
    return retried([&] { return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH); });
  }
  DWORD attributes = GetFileAttributesW(to.c_str());
  if (kind != EntryKind::kFile || attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & FILE_ATTRIBUTE_READONLY)) {
    return false;
  }
  if (!runningOnWine()) {
    // ReplaceFileW keeps the replaced file's attributes, ACL and streams.
    if (retried([&] {
          return ReplaceFileW(to.c_str(), from.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                              nullptr, nullptr);
        })) {
      return true;
    }
    // This error, without a backup name, means the old file is gone already.
    bool gone = GetLastError() == ERROR_UNABLE_TO_MOVE_REPLACEMENT &&
                GetFileAttributesW(to.c_str()) == INVALID_FILE_ATTRIBUTES;
    return gone && MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
  }
  // A rename over the target is one step under Wine; it carries the working
  // file's attributes, so they are made the target's first.
  const DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  SetFileAttributesW(from.c_str(), (attributes & kKept) | FILE_ATTRIBUTE_NORMAL);
  return retried([&] {
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  });
}

bool removeFile(const std::string& path) { return removeEntry(path, false); }

bool createFolder(const std::string& path) {
  return usable(path) && CreateDirectoryW(widePath(path).c_str(), nullptr) != 0;
}

bool renameFolder(const std::string& from, const std::string& to) {
  return usable(from) && usable(to) &&
         retried([&] { return MoveFileExW(widePath(from).c_str(), widePath(to).c_str(), 0); });
}

bool removeFolder(const std::string& path) { return removeEntry(path, true); }

bool sameExistingFile(const std::string& a, const std::string& b) {
  auto identify = [](const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
    Handle handle(openEntry(widePath(path), 0, false));
    return handle.ok() && GetFileInformationByHandle(handle.get(), info) != 0;
  };
  BY_HANDLE_FILE_INFORMATION ia, ib;
  return usable(a) && usable(b) && identify(a, &ia) && identify(b, &ib) &&
         ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

bool listFolder(const std::string& pattern, std::vector<std::string>* names) {
  names->clear();
  if (pattern.find('\0') != std::string::npos) return false;
  size_t sep = pattern.find_last_of("\\/");
  std::string folder = sep == std::string::npos ? "." : pattern.substr(0, sep);
  std::string name_pattern = sep == std::string::npos ? pattern : pattern.substr(sep + 1);
  // List everything and match with the program's own rules: Windows would
  // also match patterns against short 8.3 names.
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(widePath(folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  do {
    std::string name = fromWide(data.cFileName);
    if (nameMatchesPattern(name, name_pattern)) names->push_back(name);
  } while (FindNextFileW(find, &data));
  bool complete = GetLastError() == ERROR_NO_MORE_FILES;
  FindClose(find);
  sortListing(names);
  return complete;
}

namespace {

// A folder by its path: Win32 takes a name as one component only when it
// holds no separator, stream colon or wildcard and no final dot or space
// that the path rules would drop, which is exactly a Windows name. Any other
// listed name (Wine shows host names) is refused rather than reinterpreted.
class Win32Folder : public Folder {
 public:
  explicit Win32Folder(std::string path) : path_(std::move(path)) {}

  bool list(const std::string& namePattern, std::vector<std::string>* names) override {
    return listFolder(path_ + "\\" + namePattern, names);
  }
  EntryKind inspect(const std::string& name) override {
    return isWindowsName(name) ? platform::inspect(child(name)) : EntryKind::kMissing;
  }
  std::unique_ptr<Folder> openFolder(const std::string& name) override {
    if (inspect(name) != EntryKind::kFolder) return nullptr;
    return std::make_unique<Win32Folder>(child(name));
  }
  FILE* openForReading(const std::string& name) override {
    return inspect(name) == EntryKind::kFile ? platform::openForReading(child(name)) : nullptr;
  }
  FILE* createNewFile(const std::string& name) override {
    if (!isWindowsName(name)) return nullptr;
    HANDLE handle =
        CreateFileW(widePath(child(name)).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return streamFor(handle, _O_WRONLY | _O_BINARY, "wb");
  }
  bool createFolder(const std::string& name) override {
    return isWindowsName(name) && platform::createFolder(child(name));
  }
  bool removeFile(const std::string& name) override {
    return isWindowsName(name) && platform::removeFile(child(name));
  }
  bool removeFolder(const std::string& name) override {
    return isWindowsName(name) && platform::removeFolder(child(name));
  }
  bool rename(const std::string& from, const std::string& to) override {
    return isWindowsName(from) && isWindowsName(to) &&
           MoveFileExW(widePath(child(from)).c_str(), widePath(child(to)).c_str(), 0) != 0;
  }
  bool syncFile(const std::string& name) override {
    if (inspect(name) != EntryKind::kFile) return false;
    Handle handle(openEntry(widePath(child(name)), GENERIC_WRITE, true));
    return handle.ok() && FlushFileBuffers(handle.get()) != 0;
  }
  bool sync() override { return syncFolder(path_); }

 private:
  std::string child(const std::string& name) const { return path_ + "\\" + name; }
  std::string path_;
};

}  // namespace

std::unique_ptr<Folder> openFolder(const std::string& path) {
  DWORD attributes = attributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return nullptr;
  }
  std::string folder = path;
  // "C:\" keeps its separator: "C:" alone is the drive's current folder.
  while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/') &&
         folder[folder.size() - 2] != ':') {
    folder.pop_back();
  }
  return std::make_unique<Win32Folder>(folder);
}

std::unique_ptr<FolderLock> lockFolder(const std::string& folder) {
  std::wstring name = usable(folder) ? lockName(folder) : L"";
  if (name.empty()) return nullptr;
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) return nullptr;
  DWORD wait = WaitForSingleObject(mutex, INFINITE);
  // An abandoned mutex (its holder died) is ours now, as a crash releases it.
  if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return nullptr;
  }
  return std::make_unique<Win32FolderLock>(mutex);
}

void upperCaseWide(std::u16string* text) {
  if (text->empty()) return;
  std::wstring wide(text->begin(), text->end());
  CharUpperBuffW(&wide[0], static_cast<DWORD>(wide.size()));
  for (size_t i = 0; i < wide.size(); ++i) (*text)[i] = static_cast<char16_t>(wide[i]);
}

std::string getEnvironment(const char* name) {
  const wchar_t* value = _wgetenv(widePath(name).c_str());
  return value != nullptr ? fromWide(value) : "";
}

bool readRegistryString(RegistryRoot root, const std::string& key, const std::string& name,
                        std::string* out) {
  out->clear();
  REGSAM view = root == RegistryRoot::kLocalMachine32   ? KEY_WOW64_32KEY
                : root == RegistryRoot::kLocalMachine64 ? KEY_WOW64_64KEY
                                                        : 0;
  HKEY hive = root == RegistryRoot::kCurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  HKEY opened;
  if (RegOpenKeyExW(hive, widePath(key).c_str(), 0, KEY_QUERY_VALUE | view, &opened) !=
      ERROR_SUCCESS) {
    return false;
  }
  wchar_t value[512];
  DWORD size = sizeof value;
  DWORD type = REG_NONE;
  LONG status = RegQueryValueExW(opened, widePath(name).c_str(), nullptr, &type,
                                 reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(opened);
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  size_t length = wcsnlen(value, size / sizeof(wchar_t));
  if (length > 511) return false;  // no room left for the terminator
  *out = fromWide(std::wstring(value, length));
  return true;
}

bool readSpecialFolder(SpecialFolder folder, std::string* out) {
  out->clear();
  int csidl = folder == SpecialFolder::kLocalAppData    ? CSIDL_LOCAL_APPDATA
              : folder == SpecialFolder::kCommonAppData ? CSIDL_COMMON_APPDATA
                                                        : CSIDL_PERSONAL;
  wchar_t path[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return false;
  *out = fromWide(path);
  return !out->empty();
}

}  // namespace platform

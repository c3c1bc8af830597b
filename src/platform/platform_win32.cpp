// The platform layer on Windows: the real Win32 services. Narrow text is
// widened byte for byte (U+0000 to U+00FF) and wide text narrowed by the low
// byte of each code unit, so both targets see the same bytes.
#include <io.h>
#include <shlobj.h>
#include <windows.h>

#include <cwchar>

#include "platform/platform.h"

namespace platform {
namespace {

std::wstring Widen(const std::string& narrow) {
  std::wstring wide;
  for (char c : narrow) wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return wide;
}

std::string Narrow(const wchar_t* wide, size_t length) {
  std::string narrow;
  for (size_t i = 0; i < length && wide[i] != L'\0'; ++i) {
    narrow.push_back(static_cast<char>(wide[i] & 0xFF));
  }
  return narrow;
}

// A path the program may hand to Win32: not empty and not a device.
bool Usable(const std::string& path) { return !path.empty() && !NamesDevice(path); }

DWORD Attributes(const std::string& path) {
  return Usable(path) ? GetFileAttributesW(Widen(path).c_str()) : INVALID_FILE_ATTRIBUTES;
}

// The file a path finally names through any symbolic links, or the path
// itself. Asked of every existing path: a link Wine maps from the host does
// not show as a reparse point.
std::wstring FinalPath(const std::wstring& path) {
  HANDLE handle = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return path;
  wchar_t buffer[32768];
  DWORD length = GetFinalPathNameByHandleW(handle, buffer, 32768, FILE_NAME_NORMALIZED);
  CloseHandle(handle);
  return length > 0 && length < 32768 ? std::wstring(buffer, length) : path;
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

// A name for the lock of one folder, the same however the folder is spelled.
std::wstring LockName(const std::string& folder) {
  wchar_t full[32768];
  DWORD length = GetFullPathNameW(Widen(folder).c_str(), 32768, full, nullptr);
  std::wstring path = length > 0 && length < 32768 ? std::wstring(full, length) : Widen(folder);
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  CharUpperBuffW(&path[0], static_cast<DWORD>(path.size()));
  unsigned long long hash = 1469598103934665603ULL;
  for (wchar_t c : path) {
    if (c == L'/') c = L'\\';
    hash = (hash ^ static_cast<unsigned>(c)) * 1099511628211ULL;
  }
  wchar_t name[64];
  swprintf(name, 64, L"Local\\fuselox-%016llx", hash);
  return name;
}

}  // namespace

bool ReadSimulatorAppPath(std::string* out) {
  out->clear();
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER,
                    L"Software\\Microsoft\\Microsoft Games\\Flight Simulator\\10.0", 0,
                    KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  wchar_t value[512];
  DWORD size = sizeof value;
  LONG status =
      RegQueryValueExW(key, L"AppPath", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return false;
  *out = Narrow(value, size / sizeof(wchar_t));
  return true;
}

bool ReadRoamingAppDataFolder(std::string* out) {
  out->clear();
  wchar_t folder[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    return false;
  }
  *out = Narrow(folder, MAX_PATH);
  return true;
}

FILE* OpenStream(const std::string& path, const char* binary_mode) {
  if (!Usable(path)) return nullptr;
  return _wfopen(Widen(path).c_str(), Widen(binary_mode).c_str());
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
  DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsReadOnlyFile(const std::string& path) {
  DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

bool SyncFile(FILE* file) { return std::fflush(file) == 0 && _commit(_fileno(file)) == 0; }

bool PutFileInPlace(const std::string& working, const std::string& target) {
  if (!Usable(working) || !Usable(target) || IsReadOnlyFile(target)) return false;
  std::wstring to = FinalPath(Widen(target));
  return MoveFileExW(Widen(working).c_str(), to.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const std::string& path) {
  return Usable(path) && DeleteFileW(Widen(path).c_str()) != 0;
}

bool CreateFolder(const std::string& path) {
  return Usable(path) && CreateDirectoryW(Widen(path).c_str(), nullptr) != 0;
}

bool RenameFolder(const std::string& from, const std::string& to) {
  return Usable(from) && Usable(to) && MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), 0) != 0;
}

bool RemoveFolder(const std::string& path) {
  return Usable(path) && RemoveDirectoryW(Widen(path).c_str()) != 0;
}

bool SameExistingFile(const std::string& a, const std::string& b) {
  auto identify = [](const std::string& path, BY_HANDLE_FILE_INFORMATION* info) {
    HANDLE handle =
        CreateFileW(Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    bool ok = GetFileInformationByHandle(handle, info) != 0;
    CloseHandle(handle);
    return ok;
  };
  BY_HANDLE_FILE_INFORMATION ia, ib;
  return Usable(a) && Usable(b) && identify(a, &ia) && identify(b, &ib) &&
         ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
         ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

bool ListFolder(const std::string& pattern, std::vector<std::string>* names) {
  names->clear();
  size_t sep = pattern.find_last_of("\\/");
  std::string folder = sep == std::string::npos ? "." : pattern.substr(0, sep);
  std::string name_pattern = sep == std::string::npos ? pattern : pattern.substr(sep + 1);
  // List everything and match with the program's own rules: Windows would
  // also match patterns against short 8.3 names.
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(Widen(folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  do {
    std::string name = Narrow(data.cFileName, MAX_PATH);
    if (NameMatchesPattern(name, name_pattern)) names->push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  SortListing(names);
  return true;
}

std::unique_ptr<FolderLock> LockFolder(const std::string& folder) {
  DWORD attributes = Attributes(folder);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return nullptr;
  }
  HANDLE mutex = CreateMutexW(nullptr, FALSE, LockName(folder).c_str());
  if (mutex == nullptr) return nullptr;
  DWORD wait = WaitForSingleObject(mutex, INFINITE);
  // An abandoned mutex (its holder died) is ours now, as a crash releases it.
  if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return nullptr;
  }
  return std::make_unique<Win32FolderLock>(mutex);
}

WideArgs DecodeUtf8Args(int argc, char** argv) {
  WideArgs args;
  for (int i = 0; i < argc; ++i) {
    std::u16string arg;
    for (const char* p = argv[i]; *p != '\0'; ++p) {
      arg.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
    }
    args.push_back(arg);
  }
  return args;
}

void UpperCaseWide(std::u16string* text) {
  if (text->empty()) return;
  std::wstring wide(text->begin(), text->end());
  CharUpperBuffW(&wide[0], static_cast<DWORD>(wide.size()));
  for (size_t i = 0; i < wide.size(); ++i) (*text)[i] = static_cast<char16_t>(wide[i]);
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
  const wchar_t* value = _wgetenv(Widen(name).c_str());
  return value != nullptr ? Narrow(value, wcslen(value)) : "";
}

}  // namespace platform

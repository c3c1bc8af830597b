// Reads a program's version resource and manifest back as Windows does (the
// file's properties, the loader) and prints them for resources.py:
//   FileVersion=1.21            (StringFileInfo, one line per value)
//   Fixed=1.21.0.0              (VS_FIXEDFILEINFO)
//   Manifest=<the manifest's bytes to the end>
// Exits with 1 when a resource is missing.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <vector>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return 1;
  _setmode(_fileno(stdout), _O_BINARY);
  DWORD ignored = 0;
  std::vector<char> info(GetFileVersionInfoSizeW(argv[1], &ignored));
  if (info.empty() || !GetFileVersionInfoW(argv[1], 0, info.size(), info.data())) return 1;
  VS_FIXEDFILEINFO* fixed = nullptr;
  WORD* translation = nullptr;
  UINT size = 0;
  if (!VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size) ||
      !VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &size) ||
      size < 4) {
    return 1;
  }
  for (const wchar_t* name : {L"ProductName", L"FileVersion", L"ProductVersion"}) {
    wchar_t key[128];
    wchar_t* value = nullptr;
    swprintf(key, 128, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1], name);
    if (!VerQueryValueW(info.data(), key, reinterpret_cast<void**>(&value), &size)) return 1;
    std::printf("%ls=%ls\n", name, value);
  }
  std::printf("Fixed=%u.%u.%u.%u\n", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
              HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));

  // The manifest the loader reads when the program starts.
  HMODULE module = LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
  // Resource 1 of type 24: CREATEPROCESS_MANIFEST_RESOURCE_ID of RT_MANIFEST.
  HRSRC manifest =
      module ? FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)) : nullptr;
  HGLOBAL loaded = manifest ? LoadResource(module, manifest) : nullptr;
  if (loaded == nullptr) return 1;
  std::printf("Manifest=");
  std::fwrite(LockResource(loaded), 1, SizeofResource(module, manifest), stdout);
  return 0;
}

// The Windows entry: the wide command line as the C runtime splits it.
#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "cli/run.h"

int wmain(int argc, wchar_t** argv) {
  // Result lines are bytes: the same "\n" on every target, never "\r\n".
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  platform::WideArgs args;
  for (int i = 0; i < argc; ++i) {
    std::u16string arg;
    for (const wchar_t* p = argv[i]; *p != L'\0'; ++p) arg.push_back(static_cast<char16_t>(*p));
    args.push_back(arg);
  }
  return runFuselox(args);
}

// The POSIX entry: the UTF-8 command line decoded as Windows would pass it.
#include "cli/run.h"

int main(int argc, char** argv) { return runFuselox(platform::decodeUtf8Args(argc, argv)); }

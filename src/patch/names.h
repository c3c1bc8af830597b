// Comparing file names as the simulator's file system does.
#ifndef FUSELOX_PATCH_NAMES_H_
#define FUSELOX_PATCH_NAMES_H_

#include <string>

// True when the two texts are equal with ASCII letters compared without
// regard to case.
bool sameNameIgnoringCase(const std::string& a, const std::string& b);

#endif  // FUSELOX_PATCH_NAMES_H_

// Every module here is bound when ours is loaded: the loader has already found them all.
#include "platform/late_libraries.h"

std::string PlatformLateLibrariesProblem(const void* const*, int) {
  return {};
}

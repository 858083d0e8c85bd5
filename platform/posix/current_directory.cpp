// The current directory in host form: the system's working directory seen through the drive root.
#include <unistd.h>

#include <climits>

#include "platform/path_translation.h"
#include "platform/win_directory.h"

char* _getcwd(char* buffer, int size) {
  if (buffer == nullptr || size <= 0) return nullptr;
  char system[PATH_MAX];
  if (getcwd(system, sizeof system) == nullptr) return nullptr;
  return PlatformHostPath(system, buffer, static_cast<size_t>(size)) < static_cast<size_t>(size)
             ? buffer
             : nullptr;
}

// Host paths are this system's own paths: translation both ways copies the bytes. A drive prefix
// here is the real drive; the drive root is kept (platform/drive_root.cpp) but not used.
#include "platform/path_translation.h"

#include <cstring>

namespace {

// Copies path (null reads as "") into dst when it fits with its terminator, else "" when size > 0;
// returns the full length.
size_t CopyPath(const char* path, char* dst, size_t size) {
  if (path == nullptr) path = "";
  size_t length = std::strlen(path);
  if (size > 0) {
    if (length < size)
      std::memcpy(dst, path, length + 1);
    else
      dst[0] = '\0';
  }
  return length;
}

}  // namespace

size_t PlatformTranslatePath(const char* hostPath, char* dst, size_t size) {
  return CopyPath(hostPath, dst, size);
}

size_t PlatformHostPath(const char* systemPath, char* dst, size_t size) {
  return CopyPath(systemPath, dst, size);
}

// Host paths are this system's own paths: translation both ways copies the bytes. The drive root
// is kept so that its calls keep their contract, but a drive prefix here is the real drive.
#include "platform/path_translation.h"

#include <cstring>

namespace {

char g_driveRoot[kPlatformDriveRootMax + 1] = "/";

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

int PlatformSetDriveRoot(const char* root) {
  if (root == nullptr || root[0] == '\0') root = "/";
  size_t length = std::strlen(root);
  if (length > kPlatformDriveRootMax) return 1;
  std::memcpy(g_driveRoot, root, length + 1);
  return 0;
}

const char* PlatformDriveRoot() {
  return g_driveRoot;
}

size_t PlatformTranslatePath(const char* hostPath, char* dst, size_t size) {
  return CopyPath(hostPath, dst, size);
}

size_t PlatformHostPath(const char* systemPath, char* dst, size_t size) {
  return CopyPath(systemPath, dst, size);
}

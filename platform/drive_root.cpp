// The directory that drive prefixes stand for, kept for path translation.
#include "platform/path_translation.h"

#include <cstring>

namespace {
char g_driveRoot[kPlatformDriveRootMax + 1] = "/";
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

// Host paths to system paths. Every drive letter maps to the same root; the rest of the path keeps
// its bytes, with each backslash turned into a slash.
#include "platform/path_translation.h"

#include <cstring>

namespace {

char g_driveRoot[kPlatformDriveRootMax + 1] = "/";

bool IsDriveLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Appends bytes to dst while they fit; counts them all.
struct Writer {
  char* dst;
  size_t size;
  size_t length = 0;

  void Put(char c) {
    if (length + 1 < size) dst[length] = c;
    ++length;
  }
};

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
  const char* path = hostPath != nullptr ? hostPath : "";
  Writer out{dst, size};
  if (IsDriveLetter(path[0]) && path[1] == ':') {
    path += 2;
    // The root without its trailing separators, then one separator before the rest; a bare "C:"
    // is the root itself.
    size_t rootLength = std::strlen(g_driveRoot);
    while (rootLength > 0 &&
           (g_driveRoot[rootLength - 1] == '/' || g_driveRoot[rootLength - 1] == '\\'))
      --rootLength;
    for (size_t i = 0; i < rootLength; ++i) out.Put(g_driveRoot[i] == '\\' ? '/' : g_driveRoot[i]);
    if (*path != '/' && *path != '\\' && (*path != '\0' || rootLength == 0)) out.Put('/');
  }
  for (; *path != '\0'; ++path) out.Put(*path == '\\' ? '/' : *path);
  if (size > 0) dst[out.length < size ? out.length : 0] = '\0';
  return out.length;
}

size_t PlatformHostPath(const char* systemPath, char* dst, size_t size) {
  const char* path = systemPath != nullptr ? systemPath : "";
  Writer out{dst, size};
  size_t rootLength = std::strlen(g_driveRoot);
  while (rootLength > 0 &&
         (g_driveRoot[rootLength - 1] == '/' || g_driveRoot[rootLength - 1] == '\\'))
    --rootLength;
  // Inside the root: the root itself, or the root followed by a separator.
  if (path[0] == '/' && std::strncmp(path, g_driveRoot, rootLength) == 0 &&
      (path[rootLength] == '\0' || path[rootLength] == '/')) {
    path += rootLength;
    out.Put('C');
    out.Put(':');
    if (*path == '\0') out.Put('\\');
  }
  for (; *path != '\0'; ++path) out.Put(*path == '/' ? '\\' : *path);
  if (size > 0) dst[out.length < size ? out.length : 0] = '\0';
  return out.length;
}

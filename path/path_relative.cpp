// Making a path relative to the directory of a base file.
#include <cstring>

#include "path/file_url.h"
#include "path/net_files.h"
#include "path/path_internal.h"
#include "path/path_text.h"
#include "strings/byte_string.h"
#include "strings/memory.h"

namespace {

bool IsSeparatorOrColon(const char* p, int length) {
  return length == 1 && (*p == '\\' || *p == '/' || *p == ':');
}

void RelativeUrl(char* path, const char* baseFile) {
  if (NetIsNetworkName(baseFile) == 0) return;
  char* result = nullptr;
  if (NetRelativeUrl(baseFile, path, &result) != 0) return;
  if (StrLength(result) <= kPathTextMax) {
    StrCopy(path, result);
    if (NetIsNetworkName(path) == 0) UrlDecodeToPath(path);
  }
  MemFree(result);
}

}  // namespace

void PathMakeRelative(char* path, const char* baseFile) {
  if (path == nullptr) MemBailOut();
  if (baseFile == nullptr || PathIsAbsolute(path) == 0 || PathIsAbsolute(baseFile) == 0) return;
  if (NetIsNetworkName(path) != 0) return RelativeUrl(path, baseFile);
  char dir[kPathBufferSize];
  if (NetIsNetworkName(baseFile) != 0) {
    const char* slash = StrFindLastChar(baseFile, '/');
    const int length = slash != nullptr ? static_cast<int>(slash - baseFile) : 0;
    if (length > kPathTextMax) return;
    std::memcpy(dir, baseFile, length);
    dir[length] = '\0';
  } else if (PathSplit(baseFile, dir, nullptr) != 0) {
    return;
  }
  if (path[0] == '\0') return;
  const Stepper st = PathStepper();
  // The directory without a trailing separator character.
  int dirLength = 0;
  for (int i = 0, n; dir[i] != '\0'; i += n) {
    n = CharLength(st, dir + i);
    dirLength = i + n;
    if (dir[i + n] == '\0' && IsSeparatorChar(dir + i, n)) dirLength = i;
  }
  dir[dirLength] = '\0';
  // The common start, character by character, single bytes folded to lower case.
  int matched = 0;
  int count = 0;
  int lastSeparator = -1;
  bool inComponent = false;
  while (dir[matched] != '\0' && path[matched] != '\0') {
    const int n = CharLength(st, path + matched);
    if (CharLength(st, dir + matched) != n) break;
    if (n == 1 ? Fold(dir[matched]) != Fold(path[matched])
               : std::memcmp(dir + matched, path + matched, n) != 0) {
      break;
    }
    if (IsSeparatorOrColon(path + matched, n)) {
      if (inComponent) ++count;
      inComponent = false;
      lastSeparator = matched;
    } else {
      inComponent = true;
    }
    matched += n;
  }
  if (count == 0) return;  // nothing in common, such as another drive
  if (matched == dirLength && IsSeparatorChar(path + matched, CharLength(st, path + matched))) {
    std::memmove(path, path + matched + 1, StrLength(path + matched + 1) + 1);
    return;
  }
  if (dirLength == 2 && dir[1] == ':' && path[0] == dir[0] && path[1] == ':' &&
      IsSeparatorChar(path + 2, CharLength(st, path + 2))) {
    std::memmove(path, path + 3, StrLength(path + 3) + 1);
    return;
  }
  int ups = 0;
  for (int i = lastSeparator, n; dir[i] != '\0'; i += n) {
    n = CharLength(st, dir + i);
    if (IsSeparatorOrColon(dir + i, n)) ++ups;
  }
  const char* tail = path + lastSeparator + 1;
  const int tailLength = StrLength(tail);
  if (3 * ups > kPathTextMax - 3 || 3 * ups + tailLength > kPathTextMax) return;
  char result[kPathBufferSize];
  for (int i = 0; i < ups; ++i) std::memcpy(result + 3 * i, "..\\", 3);
  std::memcpy(result + 3 * ups, tail, tailLength + 1);
  StrCopy(path, result);
}

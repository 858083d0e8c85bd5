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

// Texts equal as names, character by character: one-byte characters compared through the
// lower-case table, a backslash the same as a slash.
bool SameName(const char* a, const char* b) {
  const Stepper st = PathStepper();
  while (*a != '\0' && *b != '\0') {
    const int n = CharLength(st, a);
    if (CharLength(st, b) != n) return false;
    if (n == 1) {
      if (!(IsSeparatorChar(a, 1) && IsSeparatorChar(b, 1)) && Fold(*a) != Fold(*b)) return false;
    } else if (std::memcmp(a, b, n) != 0) {
      return false;
    }
    a += n;
    b += n;
  }
  return *a == *b;
}

// True when relative, taken against the base directory dir as a name given with that base is,
// names the same file as path: a relative form that does not is no form of path at all.
bool ResolvesBackTo(const char* relative, const char* dir, const char* path) {
  char back[kPathBufferSize];
  char original[kPathBufferSize];
  StrCopy(back, relative);
  StrCopy(original, path);
  return PathResolve(back, dir) == 0 && PathResolve(original, nullptr) == 0 &&
         SameName(back, original);
}

}  // namespace

void PathMakeRelative(char* path, const char* baseFile) {
  if (path == nullptr) MemBailOut();
  if (baseFile == nullptr || PathIsAbsolute(path) == 0 || PathIsAbsolute(baseFile) == 0) return;
  // A repository name is the store's own; nothing local is relative to one.
  if (StrHasPrefix(path, kRepositoryPrefix) != 0 || StrHasPrefix(baseFile, kRepositoryPrefix) != 0)
    return;
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
  char baseDir[kPathBufferSize];
  StrCopy(baseDir, dir);
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
  char result[kPathBufferSize];
  if (matched == dirLength && IsSeparatorChar(path + matched, CharLength(st, path + matched))) {
    StrCopy(result, path + matched + 1);
  } else if (dirLength == 2 && dir[1] == ':' && path[0] == dir[0] && path[1] == ':' &&
             IsSeparatorChar(path + 2, CharLength(st, path + 2))) {
    StrCopy(result, path + 3);
  } else {
    int ups = 0;
    for (int i = lastSeparator, n; dir[i] != '\0'; i += n) {
      n = CharLength(st, dir + i);
      if (IsSeparatorOrColon(dir + i, n)) ++ups;
    }
    const char* tail = path + lastSeparator + 1;
    const int tailLength = StrLength(tail);
    if (3 * ups > kPathTextMax - 3 || 3 * ups + tailLength > kPathTextMax) return;
    for (int i = 0; i < ups; ++i) std::memcpy(result + 3 * i, "..\\", 3);
    std::memcpy(result + 3 * ups, tail, tailLength + 1);
  }
  // A colon that is no drive's ("ab:f", "C:g", "C:\a\f:x") does not divide as a backslash does.
  if (ResolvesBackTo(result, baseDir, path)) StrCopy(path, result);
}

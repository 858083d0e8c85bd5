// Paths to "file:" and relative URLs and back.
#include <cstring>

#include "path/file_url.h"
#include "path/net_files.h"
#include "path/path_internal.h"
#include "path/path_syntax.h"
#include "strings/byte_string.h"
#include "strings/memory.h"

namespace {

char SeparatorOf(int syntax) {
  switch (syntax) {
    case PathSyntaxDefault:
    case PathSyntaxBackslash:
      return '\\';
    case PathSyntaxColon:
      return ':';
    default:
      return '/';
  }
}

bool PassesUnchanged(const char* text) {
  return NetIsNetworkName(text) != 0 || IsRepositoryName(text) != 0;
}

// In place: every one-byte separator character turns into a slash.
void SeparatorsToSlashes(char* text, char separator) {
  const Stepper st = PathStepper();
  for (char* p = text; *p != '\0'; p += CharLength(st, p)) {
    if (*p == separator && CharLength(st, p) == 1) *p = '/';
  }
}

bool HasSeparator(const char* text, char separator) {
  const Stepper st = PathStepper();
  for (const char* p = text; *p != '\0'; p += CharLength(st, p)) {
    if (*p == separator && CharLength(st, p) == 1) return true;
  }
  return false;
}

// The encoded form of text, with prefix before it.
char* Prefixed(const char* prefix, const char* encoded) {
  if (encoded == nullptr) return nullptr;
  const size_t prefixLength = std::strlen(prefix);
  const size_t length = std::strlen(encoded);
  auto* result = static_cast<char*>(MemCalloc(prefixLength + length + 1, 1, 0));
  if (result != nullptr) {
    std::memcpy(result, prefix, prefixLength);
    std::memcpy(result + prefixLength, encoded, length + 1);
  }
  return result;
}

}  // namespace

int PathIsAbsoluteInSyntax(const char* text, int syntax) {
  if (text == nullptr || text[0] == '\0') return 0;
  switch (syntax) {
    case PathSyntaxSlash:
      return text[0] == '/' ? 1 : 0;
    case PathSyntaxColon:
      return StrFindChar(text + 1, ':') != nullptr ? 1 : 0;
    case PathSyntaxDefault:
    case PathSyntaxBackslash:
      return PathIsAbsolute(text);
    default:
      return 0;
  }
}

char* FileUrlFromPath(const char* path, int syntax) {
  if (path == nullptr || path[0] == '\0') return nullptr;
  if (PassesUnchanged(path)) return StrCopyNew(path);
  char* copy = StrCopyNew(path);
  if (copy == nullptr) return nullptr;
  if (syntax != PathSyntaxSlash) SeparatorsToSlashes(copy, SeparatorOf(syntax));
  char* encoded = UrlEncode(copy);
  MemFree(copy);
  // A path that begins with a separator brings its own slash: one more would make "\\x" the
  // network share "file:////x".
  const bool rooted = path[0] == '\\' || path[0] == '/';
  char* result = Prefixed(syntax != PathSyntaxSlash && !rooted ? "file:///" : "file://", encoded);
  MemFree(encoded);
  return result;
}

char* RelativeUrlFromPath(const char* path, int syntax) {
  if (path == nullptr || path[0] == '\0') return nullptr;
  const char separator = SeparatorOf(syntax);
  if (syntax == PathSyntaxSlash || !HasSeparator(path, separator) || PassesUnchanged(path)) {
    return StrCopyNew(path);
  }
  // Worst case: every byte a leading colon that becomes "../".
  const size_t length = std::strlen(path);
  auto* work = static_cast<char*>(MemCalloc(3 * length + 1, 1, 0));
  if (work == nullptr) return nullptr;
  const char* p = path;
  char* out = work;
  if (syntax == PathSyntaxColon && *p == ':') {
    ++p;  // the colon that marks a relative colon path
    for (; *p == ':'; ++p, out += 3) std::memcpy(out, "../", 3);
  }
  std::memcpy(out, p, std::strlen(p) + 1);
  SeparatorsToSlashes(out, separator);
  char* result = UrlEncode(work);
  MemFree(work);
  return result;
}

char* UrlFromPath(const char* path) {
  return path != nullptr && path[0] != '\0' && PathIsAbsolute(path) != 0
             ? FileUrlFromPath(path, PathSyntaxDefault)
             : RelativeUrlFromPath(path, PathSyntaxDefault);
}

char* UrlFromPathInSyntax(const char* path, int syntax) {
  return PathIsAbsoluteInSyntax(path, syntax) != 0 ? FileUrlFromPath(path, syntax)
                                                   : RelativeUrlFromPath(path, syntax);
}

char* PathFromFileUrl(const char* url, int syntax) {
  if (url != nullptr && PassesUnchanged(url)) return StrCopyNew(url);
  if (url == nullptr || StrHasPrefix(url, "file:") == 0) return nullptr;
  char separator = SeparatorOf(syntax);
  int check = syntax == PathSyntaxDefault ? PathSyntaxBackslash : syntax;
  const char* rest = url + 5;
  if (StrFindChar(rest, ':') != nullptr) {  // a drive letter
    for (int i = 0; i < 2 && *rest == '/'; ++i) ++rest;
    if (syntax != PathSyntaxSlash && *rest == '/') ++rest;
  } else {
    int slashes = 0;
    while (rest[slashes] == '/') ++slashes;
    if (slashes >= 4) {
      rest += slashes - 2;  // a network share
      check = PathSyntaxBackslash;
      separator = '\\';
    } else if (slashes == 3 || slashes == 1) {
      rest += slashes - 1;
      check = PathSyntaxSlash;
      separator = '/';
    } else if (slashes == 2) {
      check = PathSyntaxBackslash;
      separator = '\\';
    }
  }
  // Null for "file:" with nothing after it, and for a byte that decodes to 0.
  char* path = UrlDecodeToName(rest);
  if (path == nullptr || path[0] == '\0') return path;  // nothing to check
  for (char* p = path; *p != '\0'; ++p) {
    if (*p == '/') *p = separator;
  }
  if (PathIsAbsoluteInSyntax(path, check) == 0) {
    MemFree(path);
    return nullptr;
  }
  return path;
}

char* RelativePathFromUrl(const char* url) {
  if (url == nullptr || url[0] == '\0') return nullptr;
  if (PassesUnchanged(url) || StrFindChar(url, '/') == nullptr) return StrCopyNew(url);
  char* path = UrlDecodeToName(url);
  if (path == nullptr) return nullptr;
  if (path[0] == '\0') {
    MemFree(path);
    return nullptr;
  }
  for (char* p = path; *p != '\0'; ++p) {
    if (*p == '/') *p = '\\';
  }
  return path;
}

char* PathFromUrl(const char* url) {
  return url != nullptr && StrHasPrefix(url, "file:") != 0 ? PathFromFileUrl(url, PathSyntaxDefault)
                                                           : RelativePathFromUrl(url);
}

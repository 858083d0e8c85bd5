// A FilePath to and from text in each syntax, and the guess at a text's syntax.
#include "path/path_syntax.h"
#include "bridge/host_errno.h"
#include "path/net_files.h"
#include "path/path_internal.h"
#include "path/path_text.h"
#include "strings/byte_string.h"
#include "strings/memory.h"

FilePath* PathFromText(const char* text, const FilePath* base, int syntax) {
  if (syntax < PathSyntaxDefault || syntax > PathSyntaxBackslash) MemRaiseFatal();
  if (text == nullptr || text[0] == '\0' || syntax == PathSyntaxColon) return nullptr;
  if (syntax == PathSyntaxPortable) {
    char platform[kPathBufferSize];
    if (PortableToPlatform(text, platform) != 0) return nullptr;
    return PathResolveAgainst(platform, base);
  }
  return PathResolveAgainst(text, base);
}

char* PathToText(const FilePath* path, int syntax) {
  if (path == nullptr || syntax == PathSyntaxColon || syntax < PathSyntaxDefault ||
      syntax > PathSyntaxBackslash) {
    HostErrno = kPathErrUnsupportedSyntax;
    return nullptr;
  }
  if (syntax == PathSyntaxPortable) {
    // A path that may not serve as a base has no portable form; asking is no programming error.
    if ((path->flags & PathFlagNoBase) != 0) return nullptr;
    char* portable = nullptr;
    int length = 0;
    return PathToPortable(path, nullptr, &portable, &length) == 0 ? portable : nullptr;
  }
  char* copy = StrCopyNew(path->text);
  if (copy == nullptr || syntax != PathSyntaxSlash) return copy;
  // Whole characters: in Shift-JIS a trail byte 0x5C is no backslash.
  const Stepper st = PathStepper();
  for (char* p = copy; *p != '\0'; p += CharLength(st, p)) {
    if (*p == '\\' && CharLength(st, p) == 1) *p = '/';
  }
  return copy;
}

int PathClassify(const char* text) {
  if (text == nullptr || text[0] == '\0') return PathSyntaxDefault;
  if (NetIsNetworkName(text) != 0) return PathSyntaxBackslash;
  const int length = StrLength(text);
  // Longer than the marker alone: "<c>x" is still a name.
  if (length > 4 && text[0] == '<' && text[2] == '>' && text[1] != '\0' &&
      StrFindChar("rcuhv", text[1]) != nullptr) {
    return PathSyntaxPortable;
  }
  if ((length >= 2 && text[0] == '/') || (length >= 3 && StrHasPrefix(text, "./") != 0) ||
      (length >= 4 && StrHasPrefix(text, "../") != 0)) {
    return PathSyntaxSlash;
  }
  const Stepper st = PathStepper();
  int spaces = 0, slashes = 0, colons = 0, backslashes = 0;
  int colonAt = -1;
  for (const char* p = text; *p != '\0'; p += CharLength(st, p)) {
    if (CharLength(st, p) != 1) continue;
    if (*p == ' ') ++spaces;
    if (*p == '/') ++slashes;
    if (*p == '\\') ++backslashes;
    if (*p == ':') {
      ++colons;
      colonAt = static_cast<int>(p - text);
    }
  }
  if (slashes + colons + backslashes == 0) return PathSyntaxDefault;
  if (slashes > 0) {
    return spaces + colons + backslashes == 0 ? PathSyntaxSlash : PathSyntaxColon;
  }
  if (colons == 0) return PathSyntaxBackslash;
  if (colons >= 2) return PathSyntaxColon;
  return colonAt == 1 && length >= 3 && IsAsciiLetter(text[0]) ? PathSyntaxBackslash
                                                               : PathSyntaxColon;
}

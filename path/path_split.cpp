// Splitting a path into directory and name, and the small edits on its last component.
#include <cstring>

#include "path/file_url.h"
#include "path/net_files.h"
#include "path/path_internal.h"
#include "path/path_text.h"
#include "strings/byte_string.h"
#include "strings/memory.h"
#include "strings/multibyte.h"

namespace {

void Clear(char* dir, char* name) {
  if (dir != nullptr) dir[0] = '\0';
  if (name != nullptr) name[0] = '\0';
}

// Writes the first dirLength bytes of text to dir and nameStart to name (either may be null); 1
// with both cleared when either part is too long.
int SplitAt(const char* text, int dirLength, const char* nameStart, char* dir, char* name) {
  if (dirLength > kPathTextMax || StrLength(nameStart) >= kPathComponentSize) {
    Clear(dir, name);
    return 1;
  }
  if (dir != nullptr) {
    std::memcpy(dir, text, dirLength);
    dir[dirLength] = '\0';
  }
  if (name != nullptr) StrCopy(name, nameStart);
  return 0;
}

int SplitNetwork(const char* text, char* dir, char* name) {
  const char* slash = StrFindLastChar(text, '/');
  const char* nameStart = slash != nullptr ? slash + 1 : text;
  const int dirLength = slash != nullptr ? static_cast<int>(slash - text) : 0;
  if (SplitAt(text, dirLength, nameStart, dir, name) != 0) return 1;
  if (name != nullptr) UrlDecodeToPath(name);
  return 0;
}

// A repository name splits at its last slash, "repo://" itself never split, and is not decoded:
// the store's names are its own.
int SplitRepository(const char* text, char* dir, char* name) {
  const int prefix = static_cast<int>(sizeof kRepositoryPrefix) - 1;
  const char* slash = StrFindLastChar(text + prefix, '/');
  const char* nameStart = slash != nullptr ? slash + 1 : text + prefix;
  const int dirLength = static_cast<int>((slash != nullptr ? slash : nameStart) - text);
  return SplitAt(text, dirLength, nameStart, dir, name);
}

}  // namespace

const char* PathNameStart(const char* text) {
  if (text == nullptr) return nullptr;
  const Stepper st = PathStepper();
  const char* start = text;
  for (const char* p = text; *p != '\0';) {
    const int n = CharLength(st, p);
    if (n == 1 && (*p == '\\' || *p == ':')) start = p + 1;
    p += n;
  }
  return start;
}

int PathSplit(const char* text, char* dir, char* name) {
  if (text == nullptr) text = "";
  if (NetIsNetworkName(text) != 0) return SplitNetwork(text, dir, name);
  if (StrHasPrefix(text, kRepositoryPrefix) != 0) return SplitRepository(text, dir, name);
  const char* start = PathNameStart(text);
  const int n = static_cast<int>(start - text);
  if (n > kPathTextMax || StrLength(start) >= kPathComponentSize) {
    Clear(dir, name);
    return 1;
  }
  if (name != nullptr) StrCopy(name, start);
  if (dir == nullptr) return 0;
  int dirLength = n - 1;  // without the separator
  if (n == 0) {
    dirLength = 0;
  } else if (n == 1) {
    dirLength = 1;  // "\f" and ":f": the root ("\")
  } else if ((n == 2 && IsAsciiLetter(text[0]) && text[1] == ':') ||
             (n == 3 && HasDriveRoot(text))) {
    // "C:f" and "C:\f": the drive ("C:") and the drive's root ("C:\"). Any other colon is a
    // separator that goes with it, as a backslash does.
    dirLength = n;
  }
  std::memcpy(dir, text, dirLength);
  dir[dirLength] = '\0';
  if (n == 1) dir[0] = '\\';
  return 0;
}

int PathAppendComponent(char* text, const char* component, int size) {
  if (text == nullptr || component == nullptr || component[0] == '\0') return 0;
  const int length = StrLength(text);
  const int componentLength = StrLength(component);
  const char* nameStart = PathNameStart(text);
  const bool separate = length > 0 && (nameStart[0] != '\0' || text[length - 1] == ':');
  // A component cut short would name another file: it goes in whole or not at all.
  if (length + (separate ? 1 : 0) + componentLength > size - 1) return 0;
  if (separate) text[length] = '\\';
  std::memcpy(text + length + (separate ? 1 : 0), component, componentLength + 1);
  return length + (separate ? 1 : 0) + componentLength;
}

char* PathCutLast(char* start, char* end) {
  if (start == nullptr || end == nullptr) MemBailOut();
  if (end > start && end[-1] == ':') return end;
  const Stepper st = PathStepper();
  char* cut = start;
  for (char* p = start; p < end && *p != '\0';) {
    const int n = CharLength(st, p);
    if (n == 1 && (*p == '\\' || *p == '/'))
      cut = p;
    else if (n == 1 && *p == ':')
      cut = p + 1;
    p += n;
  }
  *cut = '\0';
  return cut;
}

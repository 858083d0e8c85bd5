// The portable marker form of a path: encoding and decoding.
#include <cstring>

#include "path/net_files.h"
#include "path/path_internal.h"
#include "path/path_syntax.h"
#include "path/path_text.h"
#include "strings/byte_string.h"
#include "strings/memory.h"

namespace {

// The marker text that starts at p, unescaped into text (kPathComponentSize bytes): the position
// of the next marker (or the end), or null when the text is longer than kPathComponentSize - 1.
const char* ReadMarkerText(const Stepper& st, const char* p, char* text) {
  int length = 0;
  while (*p != '\0' && *p != '<') {
    int n = CharLength(st, p);
    // A '<' is never part of a valid character; one inside a broken sequence still starts a
    // marker.
    for (int i = 1; i < n; ++i) {
      if (p[i] == '<') n = i;
    }
    if (n == 1 && *p == '\\') {  // the next byte stands for itself
      ++p;
      if (*p == '\0') break;
      n = 1;
    }
    if (length + n > kPathComponentSize - 1) return nullptr;
    std::memcpy(text + length, p, n);
    length += n;
    p += n;
  }
  text[length] = '\0';
  return p;
}

bool IsMarker(const char* p) {
  return p[0] == '<' && p[1] != '\0' && p[2] == '>';
}

// The marker text of the path in working, written to out; false when the path has no portable
// form that names the same file.
bool Encode(const char* working, PathOutput* out) {
  const char* p = working;
  if (p[0] == '\\' && p[1] == '\\') return false;  // a network share: "<h>" names another file
  if (p[0] == '\\' || p[0] == '/') {
    out->Put("<r>");
    ++p;
  } else if (p[0] != '\0' && p[1] == ':') {
    // "C:x" is relative to the drive's current directory; the form has no marker for that.
    if (p[2] != '\0' && p[2] != '\\' && p[2] != '/') return false;
    if (p[0] == '<') return false;  // would read as a marker
    out->Put("<v>");
    out->Put(p, 2);
    p += 2;
  }
  PathComponentReader reader;
  PathComponentReaderStart(&reader, p);
  while (PathComponentReaderNext(&reader) != 0) {
    if (reader.cut != 0 || StrFindChar(reader.component, '<') != nullptr) return false;
    if (StrEqual(reader.component, "..") != 0) {
      out->Put("<u>");
    } else if (StrEqual(reader.component, ".") == 0) {
      out->Put("<c>");
      out->Put(reader.component);
    }
  }
  return !out->overflow;
}

// PortableToPlatform's work; on failure out may hold part of a text.
int Decode(const char* text, char* out) {
  if (text == nullptr) return -1;
  if (NetIsNetworkName(text) != 0) {
    if (StrLength(text) > kPathTextMax) return -1;
    StrCopy(out, text);
    return 0;
  }
  const Stepper st = PathStepper();
  PathOutput o{out};
  char previous = 0;
  const char* p = text;
  while (IsMarker(p)) {
    const char letter = p[1];
    char markerText[kPathComponentSize];
    p = ReadMarkerText(st, p + 3, markerText);
    if (p == nullptr) return -1;
    const bool first = o.length == 0;
    switch (letter) {
      case 'c':
        o.Put(markerText);
        o.Put("\\");
        break;
      case 'v':
        if (!first) return -1;
        o.Put(markerText);
        o.Put("\\");
        break;
      case 'r':
        if (previous == 'v') break;
        if (!first) return -1;
        o.Put("\\");
        break;
      case 'h':
        if (!first) return -1;
        o.Put("\\");
        o.Put(markerText);
        o.Put("\\");
        break;
      case 'u':
        if (previous == 'r' || previous == 'h') return -1;
        o.Put("..\\");
        break;
      default:
        break;
    }
    if (o.overflow) return -1;
    previous = letter;
  }
  if (o.length == 0) return -1;
  out[o.length - 1] = '\0';  // the trailing backslash
  return 0;
}

}  // namespace

int PortableToPlatform(const char* text, char* out) {
  if (out == nullptr) MemBailOut();
  out[0] = '\0';
  if (Decode(text, out) == 0) return 0;
  out[0] = '\0';  // what was decoded before the failure is no path
  return -1;
}

int PathToPortable(const FilePath* path, const FilePath* other, char** out, int* length) {
  if (out == nullptr || length == nullptr) MemBailOut();
  if (path == nullptr || path->magic != kPathMagic) return 1;
  if ((path->flags & PathFlagNoBase) != 0) MemBailOut();
  if (other != nullptr && (other->magic != kPathMagic || (other->flags & PathFlagNoBase) != 0)) {
    MemBailOut();
  }
  const char* text = path->text != nullptr ? path->text : "";
  if (StrLength(text) > kPathTextMax) return -1;
  char working[kPathBufferSize];
  StrCopy(working, text);
  if (other != nullptr) PathMakeRelative(working, other->text);
  char encoded[kPathBufferSize];
  PathOutput o{encoded};
  if (NetIsNetworkName(working) != 0) {
    o.Put(working);
  } else if (!Encode(working, &o)) {
    return -1;
  }
  encoded[o.length] = '\0';
  *out = StrCopyNew(encoded);
  if (*out == nullptr) return -1;
  *length = o.length;
  return 0;
}

FilePath* PathFromPortableName(const char* portable, const FilePath* base) {
  char platform[kPathBufferSize];
  if (PortableToPlatform(portable, platform) != 0) return nullptr;
  return PathFromName(platform, base);
}

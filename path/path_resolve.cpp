// Resolution of a name against a base directory: $NAME and ~ expansion, joining, and the
// normalisation that merges separators and applies "." and "..".
#include <cstdlib>
#include <cstring>

#include "path/net_files.h"
#include "path/path_internal.h"
#include "path/path_text.h"
#include "strings/byte_string.h"
#include "strings/memory.h"

namespace {

bool IsDotComponent(const char* p, int length) {
  return length == 1 && p[0] == '.';
}

bool IsDotDotComponent(const char* p, int length) {
  return length == 2 && p[0] == '.' && p[1] == '.';
}

// The byte length of the component at p: up to the next backslash or slash character.
int ComponentLength(const Stepper& st, const char* p) {
  const char* q = p;
  for (int n; *q != '\0' && !IsSeparatorChar(q, n = CharLength(st, q)); q += n) {
  }
  return static_cast<int>(q - p);
}

// The last position in out[0, end) holding a backslash or slash character (and colons too when
// withColon), or -1.
int LastSeparator(const Stepper& st, const char* out, int end, bool withColon) {
  int found = -1;
  for (int i = 0; i < end;) {
    const int n = CharLength(st, out + i);
    if (IsSeparatorChar(out + i, n) || (withColon && n == 1 && out[i] == ':')) found = i;
    i += n;
  }
  return found;
}

// Normalises w into out (kPathBufferSize bytes; never longer than w).
void Normalise(const char* w, char* out) {
  const Stepper st = PathStepper();
  char separator = '\\';
  for (const char* p = w; *p != '\0'; p += CharLength(st, p)) {
    if (IsSeparatorChar(p, CharLength(st, p))) {
      separator = *p;
      break;
    }
  }
  int o = 0;
  int lastSeparator = -1;  // where the separator written last stands, -1 for none
  const char* p = w;
  if (p[0] == '\\' && p[1] == '\\') {  // a network share prefix keeps both backslashes
    out[o++] = '\\';
    out[o++] = '\\';
    lastSeparator = 1;
    p += 2;
  }
  while (*p != '\0') {
    if (IsSeparatorChar(p, CharLength(st, p))) {
      while (IsSeparatorChar(p, CharLength(st, p))) ++p;
      lastSeparator = o;
      out[o++] = separator;
      continue;
    }
    const int length = ComponentLength(st, p);
    if (IsDotComponent(p, length)) {
      p += length;
      while (IsSeparatorChar(p, CharLength(st, p))) ++p;
      continue;
    }
    if (IsDotDotComponent(p, length)) {
      p += length;
      if (lastSeparator < 0) continue;  // nothing to go up from
      if (lastSeparator > 0 && out[lastSeparator - 1] == ':') {
        o = lastSeparator;  // "C:\.." stays at "C:"
      } else {
        const int before = LastSeparator(st, out, lastSeparator, true);
        o = before < 0 ? 0 : out[before] == ':' ? before + 1 : before;
      }
      lastSeparator = LastSeparator(st, out, o, false);
      continue;
    }
    std::memcpy(out + o, p, length);
    o += length;
    p += length;
  }
  out[o] = '\0';
}

// Joins a relative name to a network base directory as a URL: 0, or 1 with name emptied.
int ResolveUrl(char* name, const char* base) {
  const Stepper st = PathStepper();
  for (char* p = name; *p != '\0'; p += CharLength(st, p)) {
    if (*p == '\\' && CharLength(st, p) == 1) *p = '/';
  }
  const int baseLength = StrLength(base);
  char* joined = static_cast<char*>(MemAlloc(baseLength + 2, 0));
  char* result = nullptr;
  if (joined != nullptr) {
    std::memcpy(joined, base, baseLength + 1);
    // The base names a directory; one that already ends in a slash needs no second one.
    if (baseLength == 0 || base[baseLength - 1] != '/') StrAppend(joined, "/");
    if (NetResolveUrl(joined, name, &result) != 0) result = nullptr;
    MemFree(joined);
  }
  const bool fits = result != nullptr && StrLength(result) <= kPathTextMax;
  if (fits)
    StrCopy(name, result);
  else
    name[0] = '\0';
  MemFree(result);
  return fits ? 0 : 1;
}

// Joins a relative name to a repository base directory with a slash, the name's backslashes
// turned into slashes and nothing else rewritten: the result names a file in the same store.
// 0, or 1 with name emptied when the result would not fit.
int JoinRepository(char* name, const char* base) {
  const Stepper st = PathStepper();
  for (char* p = name; *p != '\0'; p += CharLength(st, p)) {
    if (*p == '\\' && CharLength(st, p) == 1) *p = '/';
  }
  char joined[kPathBufferSize];
  PathOutput w{joined};
  const int baseLength = StrLength(base);
  w.Put(base, baseLength);
  if (name[0] != '\0' && base[baseLength - 1] != '/') w.Put("/", 1);
  w.Put(name, StrLength(name));
  if (w.overflow) {
    name[0] = '\0';
    return 1;
  }
  joined[w.length] = '\0';
  StrCopy(name, joined);
  return 0;
}

}  // namespace

int PathExpandVariables(char* text) {
  if (text == nullptr) MemBailOut();
  if (StrHasPrefix(text, kRepositoryPrefix) != 0) return 0;  // the store's name, never ours
  char result[kPathBufferSize];
  PathOutput out{result};
  const char* p = text;
  if (p[0] == '~') {
    ++p;
    if (*p == '\0' || *p == '\\' || *p == '/')
      out.Put(PathHomeDirectory, StrLength(PathHomeDirectory));
  }
  while (*p != '\0' && !out.overflow) {
    if (*p == '$' && (p == text || p[1] != '.')) {
      const char* nameStart = p + 1;
      const char* nameEnd = nameStart;
      while (*nameEnd != '\0' && *nameEnd != '\\' && *nameEnd != '/') ++nameEnd;
      const int nameLength = static_cast<int>(nameEnd - nameStart);
      const char* value = nullptr;
      if (nameLength > 0 && nameLength < kPathComponentSize) {
        char variable[kPathComponentSize];
        std::memcpy(variable, nameStart, nameLength);
        variable[nameLength] = '\0';
        value = std::getenv(variable);
      }
      if (value != nullptr) {
        out.Put(value, StrLength(value));
        p = nameEnd;
        continue;
      }
    }
    out.Put(p, 1);
    ++p;
  }
  if (out.overflow) return 1;
  result[out.length] = '\0';
  StrCopy(text, result);
  return 0;
}

int PathResolve(char* name, const char* base) {
  if (name == nullptr) MemBailOut();
  if (base == nullptr) base = "";
  if (NetIsNetworkName(name) != 0 || StrHasPrefix(name, kRepositoryPrefix) != 0) return 0;
  if (PathIsAbsolute(name) == 0 && NetIsNetworkName(base) != 0) return ResolveUrl(name, base);
  if (PathIsAbsolute(name) == 0 && StrHasPrefix(base, kRepositoryPrefix) != 0) {
    return JoinRepository(name, base);
  }
  if (PathExpandVariables(name) != 0) {
    name[0] = '\0';
    return 1;
  }
  char joined[kPathBufferSize];
  PathOutput w{joined};
  if (PathIsAbsolute(name) == 0) w.Put(base, StrLength(base));
  if (name[0] != '\0' && w.length > 0) {
    joined[w.length] = '\0';
    const Stepper st = PathStepper();
    const char* last = nullptr;
    for (const char* p = joined; *p != '\0'; p += CharLength(st, p)) last = p;
    if (!(*last == '\\' && CharLength(st, last) == 1)) w.Put("\\", 1);
  }
  w.Put(name, StrLength(name));
  if (w.overflow) {
    name[0] = '\0';
    return 1;
  }
  joined[w.length] = '\0';
  // A repository name that a variable brought in is the store's own as well.
  if (StrHasPrefix(joined, kRepositoryPrefix) != 0) {
    StrCopy(name, joined);
    return 0;
  }
  Normalise(joined, name);
  return 0;
}

// FilePath objects, their constructors and the queries on path texts.
#include <cstring>

#include "path/net_files.h"
#include "path/path_internal.h"
#include "path/path_text.h"
#include "platform/win_directory.h"
#include "strings/byte_string.h"
#include "strings/memory.h"

char PathHomeDirectory[kPathBufferSize];

namespace {

bool ValidBase(const FilePath* base) {
  return base == nullptr || (base->magic == kPathMagic && (base->flags & PathFlagNoBase) == 0);
}

// A new path owning text (taken over), or null after freeing text.
FilePath* Adopt(char* text, uint16_t flags) {
  FilePath* path = PathNew();
  if (path == nullptr) {
    MemFree(text);
    return nullptr;
  }
  path->flags = flags;
  path->text = text;
  return path;
}

// name copied into buffer and resolved against base; false for an empty or failed result.
bool Resolve(const char* name, const char* base, char* buffer) {
  if (name == nullptr || name[0] == '\0' || StrLength(name) > kPathTextMax) return false;
  StrCopy(buffer, name);
  return PathResolve(buffer, base) == 0 && buffer[0] != '\0';
}

enum class RootedTest { kNetworkOnly, kAlways };

FilePath* FromName(const char* name, const FilePath* base, RootedTest test) {
  if (name == nullptr || name[0] == '\0' || !ValidBase(base)) return nullptr;
  char dir[kPathBufferSize] = "";
  if (base != nullptr && PathSplit(base->text, dir, nullptr) != 0) return nullptr;
  char buffer[kPathBufferSize];
  if (!Resolve(name, base != nullptr ? dir : nullptr, buffer)) return nullptr;
  const bool rooted =
      HasDriveRoot(buffer) && (test == RootedTest::kAlways || NetIsNetworkName(buffer) != 0);
  return Adopt(StrCopyNew(buffer), rooted ? PathFlagRooted : PathFlagNoBase);
}

}  // namespace

FilePath* PathNew() {
  auto* path = static_cast<FilePath*>(MemCalloc(1, sizeof(FilePath), 0));
  if (path != nullptr) path->magic = kPathMagic;
  return path;
}

FilePath* PathNewFromText(const char* text) {
  if (text == nullptr) return PathNew();
  char* copy = StrCopyNew(text);
  return copy != nullptr ? Adopt(copy, 0) : nullptr;
}

FilePath* PathFromName(const char* name, const FilePath* base) {
  return FromName(name, base, RootedTest::kNetworkOnly);
}

FilePath* PathFromDriveName(const char* name, const FilePath* base) {
  return FromName(name, base, RootedTest::kAlways);
}

FilePath* PathResolveAgainst(const char* name, const FilePath* base) {
  if (!ValidBase(base)) return nullptr;
  char buffer[kPathBufferSize];
  if (!Resolve(name, base != nullptr ? base->text : nullptr, buffer)) return nullptr;
  return Adopt(StrCopyNew(buffer), PathFlagRooted);
}

FilePath* PathFromDirectory(const void* record) {
  if (record == nullptr) MemBailOut();
  const char* text = nullptr;
  std::memcpy(&text, static_cast<const char*>(record) + sizeof(uint64_t), sizeof text);
  if (text != nullptr && text[0] != '\0') return PathNewFromText(text);
  char cwd[kPathBufferSize];
  if (_getcwd(cwd, kPathBufferSize - 1) == nullptr) return nullptr;  // room for the backslash
  StrAppendChar(cwd, '\\', kPathBufferSize);
  return PathNewFromText(cwd);
}

FilePath* PathParent(const FilePath* path, int* status) {
  if (status == nullptr) MemBailOut();
  *status = 0;
  if (path == nullptr || PathIsRoot(path->text) != 0) return nullptr;
  // A repository name with nothing after its store is the store's root.
  const char* text = path->text != nullptr ? path->text : "";
  if (StrHasPrefix(text, kRepositoryPrefix) != 0 &&
      StrFindChar(text + sizeof kRepositoryPrefix - 1, '/') == nullptr) {
    return nullptr;
  }
  char dir[kPathBufferSize];
  if (PathSplit(path->text, dir, nullptr) != 0) return nullptr;
  FilePath* parent = PathNewFromText(dir);
  if (parent == nullptr) *status = -1;
  return parent;
}

char* PathLeafName(const FilePath* path) {
  if (path == nullptr) return nullptr;
  const char* text = path->text != nullptr ? path->text : "";
  char copy[kPathBufferSize];
  if (StrLength(text) > kPathTextMax) return nullptr;
  StrCopy(copy, text);
  // A trailing backslash character: the name is that of the last component.
  const Stepper st = PathStepper();
  char* last = nullptr;
  for (char* p = copy; *p != '\0'; p += CharLength(st, p)) last = p;
  if (last != nullptr && *last == '\\' && CharLength(st, last) == 1) *last = '\0';
  char name[kPathComponentSize];
  if (PathSplit(copy, nullptr, name) != 0) return nullptr;
  return StrCopyNew(name);
}

void PathFree(FilePath* path) {
  if (path == nullptr) return;
  MemFree(path->text);
  MemFree(path);
}

int PathFreeRef(FilePath** ref) {
  if (ref == nullptr) MemBailOut();
  PathFree(*ref);
  return 0;
}

char* StrCopyOrEmpty(const char* text) {
  return text != nullptr && text[0] != '\0' ? StrCopyNew(text) : StrAlloc(0);
}

int PathIsAbsolute(const char* text) {
  if (text == nullptr || text[0] == '\0') return 0;
  if (text[1] == ':' || text[0] == '\\' || text[0] == '/') return 1;
  if (StrHasPrefix(text, kRepositoryPrefix) != 0) return 1;
  return NetIsNetworkName(text);
}

int PathIsRoot(const char* text) {
  if (text == nullptr) return 0;
  if (text[0] == '\\' && text[1] == '\0') return 1;
  if (!IsAsciiLetter(text[0]) || text[1] != ':') return 0;
  return text[2] == '\0' || (text[2] == '\\' && text[3] == '\0') ? 1 : 0;
}

int PathIsUnc(const char* text) {
  return text != nullptr && text[0] == '\\' && text[1] == '\\' ? 1 : 0;
}

int PathIsSeparator(int byte) {
  return byte == '\\' || byte == '/' ? 1 : 0;
}

// File paths: the FilePath object, its constructors, and the queries every file-handling part of
// the library asks of a path text.
//
// Path texts are the host's: backslash syntax with drive letters ("C:\dir\file"), in the current
// dialog encoding, at most kPathTextMax bytes. Names that NetLib claims (URLs) bypass the platform
// rules; names beginning with "repo://" are repository names and are never rewritten. Every object
// and text returned here belongs to the caller (PathFree, MemFree).
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr uint32_t kPathMagic = 0x70617468;        // "path": set in every valid FilePath
inline constexpr uint16_t PathFlagNoBase = 0x01;          // not a base directory, no portable form
inline constexpr uint16_t PathFlagRooted = 0x10;          // drive-rooted
inline constexpr int kPathBufferSize = 4096;              // every working text and in-place buffer
inline constexpr int kPathTextMax = kPathBufferSize - 1;  // the longest path text
inline constexpr int kPathComponentSize = 1024;  // one name part or component, terminator included

// A path: its text, owned, with the flags that say how it may be used.
struct FilePath {
  uint32_t magic;  // kPathMagic
  uint16_t flags;  // PathFlagNoBase, PathFlagRooted
  char* text;      // the path text, owned
};
static_assert(sizeof(FilePath) == 16);
static_assert(offsetof(FilePath, flags) == 4);
static_assert(offsetof(FilePath, text) == 8);

// The text that replaces a leading tilde; starts empty and the library never sets it. A client
// that wants "~" expanded writes its home directory here (at most kPathTextMax bytes).
extern char PathHomeDirectory[kPathBufferSize];

// ---- Objects: each returns a new FilePath or null ----

// An empty path: magic set, flags 0, no text.
FilePath* PathNew();
// A path holding a copy of text (null text: no text); null when memory is short.
FilePath* PathNewFromText(const char* text);
// name resolved (PathResolve) against the directory part of base, or against nothing; null for an
// empty name or result, or a base that lacks the magic or has PathFlagNoBase. Flags:
// PathFlagRooted for a network result of the form "X:\...", otherwise PathFlagNoBase.
FilePath* PathFromName(const char* name, const FilePath* base);
// As PathFromName, but PathFlagRooted for every result of the form "X:\..." (no network test).
FilePath* PathFromDriveName(const char* name, const FilePath* base);
// name resolved against the whole text of base (not its directory part); flags PathFlagRooted.
FilePath* PathResolveAgainst(const char* name, const FilePath* base);
// A path holding the text that record keeps in its second member (after one 64-bit member); when
// that text is null or empty, the current working directory with a backslash appended. Null when
// the working directory cannot be obtained.
FilePath* PathFromDirectory(const void* record);
// The directory part of path as a new path with flags 0; sets *status to 0, and to -1 when that
// allocation fails. Null for a null path or one whose text is a root (a repository name with no
// slash after its store counts as one); a repository name's parent is a repository name.
FilePath* PathParent(const FilePath* path, int* status);

// ---- Conversions and release ----

// A new text holding the name part of path (a trailing backslash ignored); null for a null path.
char* PathLeafName(const FilePath* path);
// Frees the text and the object; null does nothing.
void PathFree(FilePath* path);
// PathFree(*ref); a null ref goes to MemBailOut; *ref is not reset. Returns 0.
int PathFreeRef(FilePath** ref);
// A new copy of text, or a new empty string for a null or empty text.
char* StrCopyOrEmpty(const char* text);

// ---- Queries: 1 or 0 ----

// 1 for a network name, a text with a colon as second byte, a repository name, or one beginning
// with a backslash or slash.
int PathIsAbsolute(const char* text);
// 1 for a text that is exactly one backslash, "X:" or "X:\" (X an ASCII letter).
int PathIsRoot(const char* text);
// 1 for a text that begins with two backslashes.
int PathIsUnc(const char* text);
// 1 for backslash and slash.
int PathIsSeparator(int byte);

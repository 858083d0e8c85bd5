// The one translation a host path takes before the library hands it to the system: backslashes
// become slashes and a drive prefix ("C:") becomes a configurable root directory ("/" by default).
#pragma once

#include <cstddef>

// Makes root the directory that drive prefixes stand for (copied; null or "" restores "/"):
// 0, or 1 when it is longer than kPlatformDriveRootMax bytes, leaving the root unchanged.
int PlatformSetDriveRoot(const char* root);
// The directory that drive prefixes stand for.
const char* PlatformDriveRoot();
// Writes the system form of hostPath (null reads as "") into dst when it fits in size bytes with
// its terminator; otherwise writes "" when size > 0. Returns the length of the full translation,
// so a result ≥ size means it did not fit.
size_t PlatformTranslatePath(const char* hostPath, char* dst, size_t size);
// The way back: writes the host form of the system path systemPath into dst. A path inside the
// drive root becomes "C:\" followed by the rest; any other keeps its bytes. Slashes become
// backslashes. Returns the full length, as PlatformTranslatePath does.
size_t PlatformHostPath(const char* systemPath, char* dst, size_t size);

inline constexpr size_t kPlatformDriveRootMax = 1023;  // bytes of a drive root, terminator apart

// Windows' temporary-file calls: the temporary directory from the environment (TMPDIR, TMP, TEMP,
// else /tmp) and unique names made and created there.
#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "platform/path_translation.h"
#include "platform/platform_calls.h"
#include "platform/posix/file_names.h"
#include "platform/win_file.h"

namespace {

unsigned g_tempCounter = 0;  // spreads the first number tried by successive calls

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

}  // namespace

DWORD WINAPI GetTempPathA(DWORD length, LPSTR buffer) {
  const char* dir = nullptr;
  for (const char* name : {"TMPDIR", "TMP", "TEMP"}) {
    dir = g_platformCalls.GetEnv(name);
    if (dir != nullptr && dir[0] != '\0') break;
    dir = nullptr;
  }
  if (dir == nullptr) dir = "/tmp";
  const size_t n = std::strlen(dir);
  const size_t needed = n + (IsSeparator(dir[n - 1]) ? 0 : 1);  // with the final separator
  if (needed + 1 > length || buffer == nullptr) {
    return needed + 1 > 0xFFFFFFFFu ? 0 : static_cast<DWORD>(needed + 1);
  }
  std::memcpy(buffer, dir, n);
  if (needed > n) buffer[n] = '/';
  buffer[needed] = '\0';
  return static_cast<DWORD>(needed);
}

UINT WINAPI GetTempFileNameA(LPCSTR path, LPCSTR prefix, UINT unique, LPSTR tempFileName) {
  if (path == nullptr || tempFileName == nullptr) return 0;
  const size_t pathLength = std::strlen(path);
  if (pathLength > MAX_PATH - 14) return 0;
  const char* separator = pathLength > 0 && IsSeparator(path[pathLength - 1]) ? "" : "\\";
  const int prefixLength = prefix == nullptr ? 0 : static_cast<int>(strnlen(prefix, 3));
  auto makeName = [&](unsigned number) {
    std::snprintf(tempFileName, MAX_PATH, "%s%s%.*s%04X.TMP", path, separator, prefixLength,
                  prefix != nullptr ? prefix : "", number & 0xFFFF);
  };
  if (unique != 0) {
    makeName(unique);
    return unique & 0xFFFF;
  }
  const unsigned start =
      static_cast<unsigned>(g_platformCalls.MonotonicMs()) + 7919u * ++g_tempCounter;
  for (unsigned i = 0; i < 0x10000; ++i) {
    const unsigned number = (start + i) & 0xFFFF;
    if (number == 0) continue;
    makeName(number);
    char system[kPlatformNameBytes];
    if (PlatformTranslatePath(tempFileName, system, sizeof system) >= sizeof system) return 0;
    errno = 0;
    const int fd = g_platformCalls.Open(system, O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0) {
      g_platformCalls.Close(fd);
      return number;
    }
    if (errno != EEXIST) return 0;
  }
  return 0;
}

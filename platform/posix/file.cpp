// Windows' file calls over POSIX descriptors. A handle is (descriptor + 1) × 4, so that it is
// never 0, looks like a Windows handle and fits in 32 bits; every system call goes through the
// platform call table.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "platform/path_translation.h"
#include "platform/platform_calls.h"
#include "platform/posix/file_names.h"
#include "platform/win_file.h"

namespace {

UINT g_errorMode = 0;

HANDLE HandleFromDescriptor(int fd) {
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd + 1) * 4);
}

// The descriptor of a handle, or -1 for a value no file handle has.
int DescriptorFromHandle(HANDLE handle) {
  const auto value = reinterpret_cast<intptr_t>(handle);
  if (value <= 0 || value % 4 != 0 || value > INT32_MAX) return -1;
  return static_cast<int>(value / 4 - 1);
}

}  // namespace

HANDLE WINAPI CreateFileW(LPCWSTR name, DWORD access, DWORD, SECURITY_ATTRIBUTES*,
                          DWORD disposition, DWORD, HANDLE) {
  char path[kPlatformNameBytes];
  if (!PlatformWideNameToPath(name, path, sizeof path)) return INVALID_HANDLE_VALUE;
  const bool reads = (access & GENERIC_READ) != 0;
  const bool writes = (access & GENERIC_WRITE) != 0;
  if (!reads && !writes) return INVALID_HANDLE_VALUE;
  int flags = O_CLOEXEC | (reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY);
  switch (disposition) {
    case CREATE_NEW:
      flags |= O_CREAT | O_EXCL;
      break;
    case CREATE_ALWAYS:
      flags |= O_CREAT | O_TRUNC;
      break;
    case OPEN_EXISTING:
      break;
    case OPEN_ALWAYS:
      flags |= O_CREAT;
      break;
    case TRUNCATE_EXISTING:
      if (!writes) return INVALID_HANDLE_VALUE;
      flags |= O_TRUNC;
      break;
    default:
      return INVALID_HANDLE_VALUE;
  }
  const int fd = g_platformCalls.Open(path, flags, 0666);
  if (fd < 0) return INVALID_HANDLE_VALUE;
  long long size = 0;
  int isDirectory = 0;
  if (g_platformCalls.FileStat(fd, &size, &isDirectory) != 0 || isDirectory != 0 ||
      fd >= (INT32_MAX / 4) - 1) {
    g_platformCalls.Close(fd);
    return INVALID_HANDLE_VALUE;
  }
  return HandleFromDescriptor(fd);
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, OVERLAPPED*) {
  if (read != nullptr) *read = 0;
  const int fd = DescriptorFromHandle(file);
  if (fd < 0 || (buffer == nullptr && toRead > 0)) return FALSE;
  DWORD done = 0;
  BOOL ok = TRUE;
  while (done < toRead) {
    const long long n = g_platformCalls.Read(fd, static_cast<char*>(buffer) + done, toRead - done);
    if (n < 0) ok = FALSE;
    if (n <= 0) break;
    done += static_cast<DWORD>(n);
  }
  if (read != nullptr) *read = done;
  return ok;
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, OVERLAPPED*) {
  if (written != nullptr) *written = 0;
  const int fd = DescriptorFromHandle(file);
  if (fd < 0 || (buffer == nullptr && toWrite > 0)) return FALSE;
  DWORD done = 0;
  while (done < toWrite) {
    const long long n =
        g_platformCalls.Write(fd, static_cast<const char*>(buffer) + done, toWrite - done);
    if (n <= 0) break;
    done += static_cast<DWORD>(n);
  }
  if (written != nullptr) *written = done;
  return done == toWrite ? TRUE : FALSE;
}

DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method) {
  const int fd = DescriptorFromHandle(file);
  if (fd < 0 || method > FILE_END) return INVALID_SET_FILE_POINTER;
  const long long move =
      distanceHigh != nullptr
          ? static_cast<long long>(
                (static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                static_cast<uint32_t>(distance))
          : distance;
  long long base = 0;
  if (method == FILE_CURRENT) {
    base = g_platformCalls.Seek(fd, 0, SEEK_CUR);
  } else if (method == FILE_END) {
    int isDirectory = 0;
    if (g_platformCalls.FileStat(fd, &base, &isDirectory) != 0) base = -1;
  }
  if (base < 0) return INVALID_SET_FILE_POINTER;
  const long long target = base + move;
  if (target < 0 || (distanceHigh == nullptr && target >= INVALID_SET_FILE_POINTER))
    return INVALID_SET_FILE_POINTER;
  if (!(method == FILE_CURRENT && move == 0) && g_platformCalls.Seek(fd, target, SEEK_SET) < 0)
    return INVALID_SET_FILE_POINTER;
  if (distanceHigh != nullptr) *distanceHigh = static_cast<LONG>(target >> 32);
  return static_cast<DWORD>(target);
}

DWORD WINAPI GetFileSize(HANDLE file, LPDWORD high) {
  const int fd = DescriptorFromHandle(file);
  long long size = 0;
  int isDirectory = 0;
  if (fd < 0 || g_platformCalls.FileStat(fd, &size, &isDirectory) != 0) return INVALID_FILE_SIZE;
  if (high != nullptr) *high = static_cast<DWORD>(static_cast<uint64_t>(size) >> 32);
  return static_cast<DWORD>(size);
}

BOOL WINAPI CloseHandle(HANDLE object) {
  const int fd = DescriptorFromHandle(object);
  return fd >= 0 && g_platformCalls.Close(fd) == 0 ? TRUE : FALSE;
}

UINT WINAPI SetErrorMode(UINT mode) {
  const UINT previous = g_errorMode;
  g_errorMode = mode;
  return previous;
}

BOOL WINAPI DeleteFileA(LPCSTR name) {
  char path[kPlatformNameBytes];
  if (name == nullptr || PlatformTranslatePath(name, path, sizeof path) >= sizeof path)
    return FALSE;
  return g_platformCalls.Unlink(path) == 0 ? TRUE : FALSE;
}

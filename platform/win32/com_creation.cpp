// What the library adds to Windows' COM creation: the reason a creation failed, in Windows' own
// words. (Windows' headers are not included beside the seam's own declarations of the same
// types; the one call needed is declared here.)
#include "platform/com_creation.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

extern "C" __declspec(dllimport) unsigned long __stdcall FormatMessageA(
    unsigned long flags, const void* source, unsigned long id, unsigned long language, char* buffer,
    unsigned long size, va_list* arguments);

namespace {
constexpr unsigned long kFromSystem = 0x00001000;     // FORMAT_MESSAGE_FROM_SYSTEM
constexpr unsigned long kIgnoreInserts = 0x00000200;  // FORMAT_MESSAGE_IGNORE_INSERTS
}  // namespace

void ComDescribeCreationFailure(HRESULT hr, REFCLSID, char* buffer, size_t size) {
  if (buffer == nullptr || size == 0) return;
  buffer[0] = '\0';
  const unsigned long n =
      FormatMessageA(kFromSystem | kIgnoreInserts, nullptr, static_cast<unsigned long>(hr), 0,
                     buffer, static_cast<unsigned long>(size), nullptr);
  if (n == 0) {
    std::snprintf(buffer, size, "error 0x%08lX", static_cast<unsigned long>(hr));
    return;
  }
  // FormatMessage ends its sentence with a line break; the caller prints one line.
  size_t length = std::strlen(buffer);
  while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r'))
    buffer[--length] = '\0';
}

// The Windows base types and constants that the library uses, with Windows' names and widths
// (LLP64: long is 32 bits there, so DWORD is spelled as a fixed-width type here).
#pragma once

#include <cstddef>
#include <cstdint>

// Windows' integer, pointer and handle types, with Windows' widths.
typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int32_t BOOL;
typedef uint32_t UINT;
typedef int32_t INT;
typedef int32_t HRESULT;
typedef uint64_t ULONG_PTR;
typedef int64_t LONG_PTR;
typedef size_t SIZE_T;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef char CHAR;
typedef char* LPSTR;
typedef const char* LPCSTR;
typedef char16_t WCHAR;  // 16-bit as on Windows; wchar_t is 32 bits here
typedef WCHAR* LPWSTR;
typedef const WCHAR* LPCWSTR;
typedef void* HANDLE;
typedef void* HGLOBAL;

#ifndef TRUE
// BOOL's two values.
#define TRUE 1
#define FALSE 0
#endif

#define WINAPI  // Windows' calling convention: the only one on 64-bit Windows

// Around the declarations of calls the system itself provides. On Windows they are the system's
// own functions (kernel32, user32, ole32, version.dll and the C run-time), which have C linkage;
// here they are the stand-ins of libtansel_platform.
#ifdef _WIN32
#define TANSEL_SYSTEM_BEGIN extern "C" {
#define TANSEL_SYSTEM_END }
#else
#define TANSEL_SYSTEM_BEGIN
#define TANSEL_SYSTEM_END
#endif

static_assert(sizeof(DWORD) == 4 && sizeof(LONG) == 4 && sizeof(ULONG_PTR) == 8);
static_assert(sizeof(WCHAR) == 2 && sizeof(HGLOBAL) == 8);

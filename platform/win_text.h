// Text conversion with Windows' names: multibyte text to UTF-16.
#pragma once

#include "platform/win_types.h"

inline constexpr UINT CP_ACP = 0;  // the ANSI code page; UTF-8 on this platform, as its locales
inline constexpr UINT CP_UTF8 = 65001;              // UTF-8
inline constexpr DWORD MB_ERR_INVALID_CHARS = 0x8;  // fail on malformed input instead of U+FFFD

TANSEL_SYSTEM_BEGIN
// Converts bytes (of byteCount bytes; -1: up to and including the terminating zero) into
// wideCount UTF-16 units at wide. Returns the units written, or with wideCount 0 the units
// needed; 0 on failure: an unknown code page, null text, a buffer too small (nothing is cut), or
// malformed input under MB_ERR_INVALID_CHARS. Malformed sequences otherwise become U+FFFD.
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR bytes, int byteCount, LPWSTR wide,
                               int wideCount);
TANSEL_SYSTEM_END

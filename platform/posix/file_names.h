// The names the file stand-ins take, turned into this system's paths.
#pragma once

#include <cstddef>

#include "platform/win_types.h"

inline constexpr size_t kPlatformNameBytes = 16384;  // a system path of the file stand-ins at most

// Converts a UTF-16 host path (lone surrogates become U+FFFD) to UTF-8 and translates it to this
// system's form into path of size bytes; false for a null name or one that does not fit.
bool PlatformWideNameToPath(LPCWSTR name, char* path, size_t size);

// Helpers shared by the byte-string sources; not part of the library's interface.
#pragma once

#include "strings/char_tables.h"

namespace {

// The one empty string that null arguments read as; never written.
inline constexpr char kEmptyString[1] = {0};

inline const char* OrEmpty(const char* s) {
  return s != nullptr ? s : kEmptyString;
}

// The byte as HostRoman lower case, for the case-insensitive operations.
inline unsigned char Fold(char c) {
  return CaseLowerTable[static_cast<unsigned char>(c)];
}

inline unsigned char Byte(char c) {
  return static_cast<unsigned char>(c);
}

}  // namespace

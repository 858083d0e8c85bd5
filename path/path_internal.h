// Character stepping and small helpers shared by the path sources; not part of the interface.
#pragma once

#include <cstring>

#include "path/file_path.h"
#include "strings/mb_internal.h"

namespace {

// How texts in the current dialog encoding divide into characters.
inline Stepper PathStepper() {
  return StepperFor(CurrentDialogEncoding);
}

// 1 when the character at p (of byte length length) is a backslash or slash.
inline bool IsSeparatorChar(const char* p, int length) {
  return length == 1 && (*p == '\\' || *p == '/');
}

inline bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// "X:\" at the start of text.
inline bool HasDriveRoot(const char* text) {
  return text[0] != '\0' && text[1] == ':' && text[2] == '\\';
}

inline constexpr char kRepositoryPrefix[] = "repo://";

// Appends to a kPathBufferSize buffer while the text stays within kPathTextMax bytes; an append
// that would pass it is dropped whole and remembered.
struct PathOutput {
  char* text;
  int length = 0;
  bool overflow = false;

  void Put(const char* bytes, int count) {
    if (length + count > kPathTextMax) {
      overflow = true;
      return;
    }
    std::memcpy(text + length, bytes, count);
    length += count;
  }
  void Put(const char* s) { Put(s, static_cast<int>(std::strlen(s))); }
};

}  // namespace

// UrlDecode that also gives the number of bytes decoded (0 for a null result).
char* UrlDecodeCounted(const char* text, size_t* length);
// UrlDecode for a text that becomes a file name: null also when a byte decodes to 0.
char* UrlDecodeToName(const char* text);

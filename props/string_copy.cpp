// String duplication for the list and record copies.
#include "props/string_copy.h"

#include <cstring>

#include "strings/memory.h"

char* PropStringCopy(const char* text) {
  // A null source still becomes a string of its own: the host expects every copied string field
  // to point somewhere, and the copy must be freeable like any other.
  size_t length = text == nullptr ? 0 : std::strlen(text);
  auto* copy = static_cast<char*>(MemAlloc(length + 1, 0));
  if (copy == nullptr) return nullptr;
  if (length != 0) std::memcpy(copy, text, length);
  copy[length] = '\0';
  return copy;
}

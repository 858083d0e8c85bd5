// UTF-16 host paths to this system's paths.
#include "platform/posix/file_names.h"

#include "platform/path_translation.h"

bool PlatformWideNameToPath(LPCWSTR name, char* path, size_t size) {
  if (name == nullptr) return false;
  char utf8[kPlatformNameBytes];
  size_t n = 0;
  for (size_t i = 0; name[i] != 0; ++i) {
    unsigned long point = name[i];
    if (point >= 0xD800 && point <= 0xDBFF && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
      point = 0x10000 + ((point - 0xD800) << 10) + (name[i + 1] - 0xDC00);
      ++i;
    } else if (point >= 0xD800 && point <= 0xDFFF) {
      point = 0xFFFD;
    }
    if (n + 5 > sizeof utf8) return false;
    if (point < 0x80) {
      utf8[n++] = static_cast<char>(point);
    } else if (point < 0x800) {
      utf8[n++] = static_cast<char>(0xC0 | (point >> 6));
      utf8[n++] = static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
      utf8[n++] = static_cast<char>(0xE0 | (point >> 12));
      utf8[n++] = static_cast<char>(0x80 | ((point >> 6) & 0x3F));
      utf8[n++] = static_cast<char>(0x80 | (point & 0x3F));
    } else {
      utf8[n++] = static_cast<char>(0xF0 | (point >> 18));
      utf8[n++] = static_cast<char>(0x80 | ((point >> 12) & 0x3F));
      utf8[n++] = static_cast<char>(0x80 | ((point >> 6) & 0x3F));
      utf8[n++] = static_cast<char>(0x80 | (point & 0x3F));
    }
  }
  utf8[n] = '\0';
  return PlatformTranslatePath(utf8, path, size) < size;
}

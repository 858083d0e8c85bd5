// Byte-string escapes on text from the input: escaping stays within its 1023 bytes, leaves no
// special byte of its own, and unescaping what was escaped gives the text back whenever the escape
// was not cut. Unescaping arbitrary text stays within its bounds too.
#include <cstdint>
#include <cstring>
#include <string>

#include "strings/byte_string.h"
#include "strings/memory.h"
#include "tests/fuzz/fuzz_support.h"

namespace {
std::string Take(char* p) {
  FUZZ_CHECK(p != nullptr);
  std::string s(p);
  MemFree(p);
  return s;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text.resize(std::strlen(text.c_str()));

  std::string escaped = Take(StrEscape(text.c_str()));
  FUZZ_CHECK(escaped.size() <= 1023);
  for (char c : std::string("\x04\x05\x08\x09\x0A\x10\x11\x12\x13\x14\x15"))
    FUZZ_CHECK(escaped.find(c) == std::string::npos);
  // Every byte of the text escapes to at most two bytes: an escape shorter than the limit's last
  // escape was not cut.
  if (escaped.size() < 1022) FUZZ_CHECK(Take(StrUnescape(escaped.c_str())) == text);

  std::string unescaped = Take(StrUnescape(text.c_str()));
  FUZZ_CHECK(unescaped.size() <= 1023 && unescaped.size() <= text.size());
  return 0;
}

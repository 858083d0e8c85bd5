// UTF-8 and UTF-16 stepping and editing on text from the input. Stepping never passes the
// terminator and always moves; encoding a decoded character and decoding it again gives the same
// code point; cutting at the first invalid character leaves valid text; reversing twice restores
// valid text; removals never lengthen the text or leave it invalid.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "strings/multibyte.h"
#include "strings/utf8.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  std::string needle = input.ConsumeRandomLengthString(8);
  needle.resize(std::strlen(needle.c_str()));
  std::string text = input.ConsumeRemainingBytesAsString();
  text.resize(std::strlen(text.c_str()));
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back(0);  // exactly the text and its terminator
  const char* end = buffer.data() + text.size();

  size_t steps = 0;
  for (const char* p = buffer.data(); *p != 0;) {
    const char* before = p;
    int32_t code = Utf8Decode(p);
    Utf8Next(p);
    FUZZ_CHECK(p > before && p <= end);
    ++steps;
    char encoded[4];
    int n = Utf8Encode(code, encoded);
    FUZZ_CHECK(n >= 1 && n <= 4);
    if (code < 0x110000) {
      std::string one(encoded, n);
      FUZZ_CHECK(Utf8Decode(one.c_str()) == code || code == 0);
      char16_t units[2];
      int count = Utf16FromCodePoint(code, units);
      FUZZ_CHECK(count == 1 || count == 2);
      if (count == 1) FUZZ_CHECK(units[0] < 0xD800 || units[0] > 0xDFFF);
      char16_t terminated[3] = {units[0], count == 2 ? units[1] : u'\0', 0};
      int32_t back = Utf16Decode(terminated);
      FUZZ_CHECK(back == code || back == 0xFFFD);
    }
  }
  FUZZ_CHECK(steps <= text.size());

  std::vector<char> cut = buffer;
  Utf8CutInvalid(cut.data());
  FUZZ_CHECK(Utf8IsValid(cut.data()) == 1);
  FUZZ_CHECK(std::memcmp(cut.data(), buffer.data(), std::strlen(cut.data())) == 0);

  if (Utf8IsValid(buffer.data())) {
    std::vector<char> twice = buffer;
    Utf8Reverse(twice.data(), 1 << 20);
    FUZZ_CHECK(Utf8IsValid(twice.data()) == 1);
    Utf8Reverse(twice.data(), 1 << 20);
    FUZZ_CHECK(std::strcmp(twice.data(), buffer.data()) == 0);

    // A valid needle matched on a boundary covers whole characters.
    std::vector<char> removed = buffer;
    Utf8RemoveAll(removed.data(), needle.c_str());
    FUZZ_CHECK(std::strlen(removed.data()) <= text.size());
    if (Utf8IsValid(needle.c_str())) {
      FUZZ_CHECK(Utf8IsValid(removed.data()) == 1);
      if (!needle.empty())
        FUZZ_CHECK(MbFind(removed.data(), needle.c_str(), 5) == -1 ||
                   std::strlen(removed.data()) < text.size());
    }

    std::vector<char> deleted = buffer;
    Utf8DeleteChars(deleted.data(), needle.c_str());
    FUZZ_CHECK(std::strlen(deleted.data()) <= text.size());
    FUZZ_CHECK(Utf8IsValid(deleted.data()) == 1);
  }
  return 0;
}

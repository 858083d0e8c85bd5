// The bounded multibyte operations in every dialog encoding on text from the input. A bounded copy
// or cut is a prefix of the text that ends on a character boundary and fits its buffer (buffers
// are sized exactly, so the sanitizers see any byte beyond); a search finds a real occurrence on a
// boundary; character counts never exceed byte counts.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "strings/multibyte.h"
#include "strings/utf8.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// 1 when byte index pos of s starts a character (or is the end), walking whole characters from
// the start as the encoding defines them. Invalid UTF-8 has no agreed characters to keep whole:
// there only the bounds are checked.
bool OnBoundary(const char* s, int pos, int enc) {
  if (enc != 5) return MbIsTrailPosition(s, pos, enc) == 0;
  if (!Utf8IsValid(s)) return true;
  const char* p = s;
  while (p - s < pos && *p != 0) Utf8Next(p);
  return p - s == pos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const int enc = input.ConsumeIntegralInRange(0, 5);
  const int room = input.ConsumeIntegralInRange(1, 64);
  std::string needle = input.ConsumeRandomLengthString(6);
  needle.resize(std::strlen(needle.c_str()));
  std::string text = input.ConsumeRemainingBytesAsString();
  text.resize(std::strlen(text.c_str()));
  const int length = static_cast<int>(text.size());

  std::vector<char> copy(room);
  int copied = MbCopyN(copy.data(), text.c_str(), room, enc);
  FUZZ_CHECK(copied >= 0 && copied < room && copied <= length);
  FUZZ_CHECK(copy[copied] == 0 && std::memcmp(copy.data(), text.data(), copied) == 0);
  FUZZ_CHECK(OnBoundary(text.c_str(), copied, enc));

  std::vector<char> cut(text.begin(), text.end());
  cut.push_back(0);
  MbTruncate(cut.data(), room - 1, enc);
  FUZZ_CHECK(static_cast<int>(std::strlen(cut.data())) == copied);

  std::vector<char> appended(room, 0);
  int total = MbAppendN(appended.data(), text.c_str(), room, enc);
  FUZZ_CHECK(total == copied || (length == 0 && total == 0));

  FUZZ_CHECK(MbCharCount(text.c_str(), enc) <= length);

  int found = MbFind(text.c_str(), needle.c_str(), enc);
  if (needle.empty()) {
    FUZZ_CHECK(found == (length == 0 ? -1 : 0));
  } else if (found >= 0) {
    FUZZ_CHECK(found + needle.size() <= text.size());
    FUZZ_CHECK(std::memcmp(text.data() + found, needle.data(), needle.size()) == 0);
    FUZZ_CHECK(OnBoundary(text.c_str(), found, enc));
  } else if (enc != 5 || Utf8IsValid(text.c_str())) {
    // No occurrence on a boundary: every byte occurrence starts inside a character.
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
      FUZZ_CHECK(!OnBoundary(text.c_str(), static_cast<int>(at), enc));
  }

  FUZZ_CHECK(MbICompare(text.c_str(), text.c_str(), enc) == 0);
  FUZZ_CHECK(MbIEqual(text.c_str(), text.c_str(), enc) == 1);
  return 0;
}

// Conversion between every pair of encoding numbers, with and without kept controls, on bytes from
// the input. Every result must end in two zero bytes inside its block; a UTF-16 result read back to
// UTF-8 must give the UTF-8 result; text that is valid UTF-8 (by ICU's strict reading) and has no
// control bytes must come back unchanged through UTF-16.
#include <fuzzer/FuzzedDataProvider.h>
#include <unicode/putil.h>
#include <unicode/ustring.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "encoding/convert.h"
#include "encoding/encoding_id.h"
#include "strings/memory.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

struct Freed {
  char* p;
  ~Freed() { MemFree(p); }
};

// The byte length of a result, checking its second zero byte (the sanitizers check the block).
size_t ByteLength(const char* result) {
  size_t n = std::strlen(result);
  FUZZ_CHECK(result[n + 1] == 0);
  return n;
}

size_t UnitLength(const char* result) {
  size_t n = 0;
  while (result[2 * n] != 0 || result[2 * n + 1] != 0) ++n;
  return n;
}

bool StrictUtf8WithoutControls(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20) return false;
  }
  UErrorCode status = U_ZERO_ERROR;
  int32_t units = 0;
  u_strFromUTF8(nullptr, 0, &units, text.data(), static_cast<int32_t>(text.size()), &status);
  return status == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(status);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  u_setDataDirectory(TANSEL_ICU_DATA_DIR);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  // A source outside 0 to 17 is a caller's fault that takes the fatal path.
  const EncodingId from = input.ConsumeIntegralInRange<EncodingId>(0, kEncodingUtf16);
  const EncodingId to = input.ConsumeIntegralInRange<EncodingId>(0, kEncodingIdCount - 1);
  const bool keep = input.ConsumeBool();
  std::string bytes = input.ConsumeRemainingBytesAsString();
  // The source is a zero-terminated text (UTF-16 sources: whole units, a zero unit at the end).
  if (from == kEncodingUtf16) {
    if (bytes.size() % 2) bytes.pop_back();
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
      if (bytes[i] == 0 && bytes[i + 1] == 0) {
        bytes.resize(i);
        break;
      }
    }
    bytes.push_back(0);
  } else {
    bytes.resize(std::strlen(bytes.c_str()));
  }

  auto convert = keep ? EncConvertByIdKeepControls : EncConvertById;
  Freed result{convert(bytes.c_str(), from, to)};
  if (result.p != nullptr) {
    if (to == kEncodingUtf16) {
      UnitLength(result.p);
      Freed back{convert(result.p, kEncodingUtf16, kEncodingUtf8)};
      Freed direct{convert(bytes.c_str(), from, kEncodingUtf8)};
      // UTF-8 and UTF-16 sources convert invalid text as a whole; every other source decodes
      // the same way whichever Unicode form it is written in.
      const bool sameDecoding = from != kEncodingUtf8 && from != kEncodingUtf16;
      if (sameDecoding && back.p && direct.p) FUZZ_CHECK(std::strcmp(back.p, direct.p) == 0);
    } else {
      ByteLength(result.p);
    }
  }

  if (from == kEncodingUtf8 && StrictUtf8WithoutControls(bytes.c_str())) {
    Freed wide{EncConvertById(bytes.c_str(), kEncodingUtf8, kEncodingUtf16)};
    FUZZ_CHECK(wide.p != nullptr);
    Freed back{EncConvertById(wide.p, kEncodingUtf16, kEncodingUtf8)};
    FUZZ_CHECK(back.p != nullptr && std::strcmp(back.p, bytes.c_str()) == 0);
  }
  return 0;
}

// Percent-encoding and file URLs on texts from the input. Decoding undoes encoding; an encoded text
// carries no byte that needs escaping but its '%'s; decoding never lengthens a text; a drive path
// comes back from its file URL unchanged.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "path/file_url.h"
#include "strings/memory.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const int syntax = input.ConsumeIntegralInRange(0, 5);
  std::string text = input.ConsumeRemainingBytesAsString();
  text.resize(std::strlen(text.c_str()));

  char* encoded = UrlEncode(text.c_str());
  FUZZ_CHECK((encoded == nullptr) == text.empty());
  if (encoded != nullptr) {
    for (const char* p = encoded; *p != '\0'; ++p) {
      FUZZ_CHECK(*p == '%' || UrlCharNeedsEscape(static_cast<unsigned char>(*p)) == 0);
    }
    char* decoded = UrlDecode(encoded);
    FUZZ_CHECK(decoded != nullptr && text == decoded);
    MemFree(decoded);
    MemFree(encoded);
  }

  char* decoded = UrlDecode(text.c_str());
  FUZZ_CHECK(decoded == nullptr || std::strlen(decoded) <= text.size());
  MemFree(decoded);
  std::string inPlace = text;
  UrlDecodeToPath(inPlace.data());
  FUZZ_CHECK(std::strlen(inPlace.c_str()) <= text.size());

  MemFree(FileUrlFromPath(text.c_str(), syntax));
  MemFree(RelativeUrlFromPath(text.c_str(), syntax));
  MemFree(PathFromFileUrl(text.c_str(), syntax));
  MemFree(PathFromUrl(text.c_str()));

  // "C:\" and the text: a drive path, which its file URL gives back unchanged.
  const std::string path = "C:\\" + text;
  if (path.find("://") == std::string::npos) {
    char* url = FileUrlFromPath(path.c_str(), 0);
    FUZZ_CHECK(url != nullptr);
    char* back = PathFromFileUrl(url, 0);
    std::string expected = path;
    for (char& c : expected) c = c == '/' ? '\\' : c;
    FUZZ_CHECK(back != nullptr && expected == back);
    MemFree(back);
    MemFree(url);
  }
  return 0;
}

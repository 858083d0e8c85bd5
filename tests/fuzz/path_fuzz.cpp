// Path texts in every dialog encoding: resolution, splitting, relative paths, the component reader,
// classification and the portable form, on names and bases from the input. Every result fits its
// buffer; a split gives a prefix and a suffix of the text; a component is never longer than its
// buffer; a portable form that decodes gives a text within the limit.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "encoding/dialog_encoding.h"
#include "path/path_syntax.h"
#include "path/path_text.h"
#include "strings/memory.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

std::string Text(FuzzedDataProvider& input, size_t max) {
  std::string text = input.ConsumeRandomLengthString(max);
  text.resize(std::strlen(text.c_str()));
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const DialogEncoding enc = input.ConsumeIntegralInRange(0, 5);
  EncLeadTrailTable(enc);
  CurrentDialogEncoding = enc;
  const std::string base = Text(input, kPathTextMax);
  const std::string name = Text(input, kPathTextMax);

  char buffer[kPathBufferSize];
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  const int resolved = PathResolve(buffer, base.c_str());
  FUZZ_CHECK(std::strlen(buffer) <= static_cast<size_t>(kPathTextMax));
  FUZZ_CHECK(resolved == 0 || buffer[0] == '\0');

  std::memcpy(buffer, name.c_str(), name.size() + 1);
  PathMakeRelative(buffer, base.c_str());
  FUZZ_CHECK(std::strlen(buffer) <= static_cast<size_t>(kPathTextMax));

  char dir[kPathBufferSize];
  char leaf[kPathComponentSize];
  if (PathSplit(name.c_str(), dir, leaf) == 0 && name.find("://") == std::string::npos) {
    FUZZ_CHECK(name.compare(0, std::strlen(dir), dir) == 0 || std::strcmp(dir, "\\") == 0);
    const size_t leafLength = std::strlen(leaf);
    FUZZ_CHECK(leafLength <= name.size() &&
               name.compare(name.size() - leafLength, leafLength, leaf) == 0);
  }

  PathComponentReader reader;
  PathComponentReaderStart(&reader, name.c_str());
  while (PathComponentReaderNext(&reader) != 0) {
    FUZZ_CHECK(std::strlen(reader.component) < static_cast<size_t>(kPathComponentSize));
    FUZZ_CHECK(reader.cut != 0 || name.find(reader.component) != std::string::npos);
  }

  const int syntax = PathClassify(name.c_str());
  FUZZ_CHECK(syntax >= 0 && syntax <= 4);

  if (PortableToPlatform(name.c_str(), buffer) == 0) {
    FUZZ_CHECK(std::strlen(buffer) <= static_cast<size_t>(kPathTextMax));
  }
  FilePath* path = PathNewFromText(name.c_str());
  char* portable = nullptr;
  int length = 0;
  if (path != nullptr && PathToPortable(path, nullptr, &portable, &length) == 0) {
    FUZZ_CHECK(static_cast<int>(std::strlen(portable)) == length);
    if (PortableToPlatform(portable, buffer) == 0) {
      FUZZ_CHECK(std::strlen(buffer) <= name.size() + 1);  // never longer than the path itself
    }
    MemFree(portable);
  }
  PathFree(path);
  CurrentDialogEncoding = kDialogHostRoman;
  return 0;
}

// The simulator's document files from the input: any text either parses or gives a one-line error,
// never an exception or a crash; what parses keeps every document's own object ids distinct.
#include <cstdint>
#include <string>
#include <vector>

#include "hostsim/document_file.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<SimDocument> documents;
  std::string error;
  const bool parsed = ParseDocuments(text, "fuzz.json", documents, error);
  if (!parsed) {
    FUZZ_CHECK(!error.empty());
    FUZZ_CHECK(error.find('\n') == std::string::npos);
  }
  return 0;
}

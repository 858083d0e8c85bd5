// Notification 75's field split on text from the input: the fields joined again with the separator
// give the text back, and there is one field more than there are separators.
#include <cstdint>
#include <cstring>
#include <string>

#include "bridge/notify_fields.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text.resize(std::strlen(text.c_str()));
  NotifyFieldRecord* record = NotifyFieldsSplit(text.c_str());
  FUZZ_CHECK(record != nullptr);

  size_t separators = 0;
  for (char c : text) separators += c == kNotifyFieldSeparator;
  std::string joined;
  size_t fields = 0;
  for (int i = 0; i < 6 && record->fields[i] != nullptr; ++i, ++fields) {
    if (fields > 0) joined += kNotifyFieldSeparator;
    joined += record->fields[i];
  }
  if (fields < 6) FUZZ_CHECK(record->count == 0 && record->more == nullptr);
  for (uint32_t i = 0; i < record->count; ++i, ++fields) {
    FUZZ_CHECK(record->more[i] != nullptr);
    joined += kNotifyFieldSeparator;
    joined += record->more[i];
  }
  FUZZ_CHECK(fields == separators + 1);
  FUZZ_CHECK(joined == text);
  NotifyFieldsFree(record);
  return 0;
}

// Class identifiers from text (as "HOSTGUID" supplies them): exactly the braced form is accepted,
// and what it reads prints back as the same text; the text buffer is sized exactly.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/com_creation.h"
#include "tests/fuzz/fuzz_support.h"

namespace {
bool IsBraced(const std::u16string& text) {
  if (text.size() != 38 || text.front() != u'{' || text.back() != u'}') return false;
  for (size_t i = 1; i < 37; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    const char16_t c = text[i];
    const bool hex =
        (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    if (dash ? c != u'-' : !hex) return false;
  }
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::u16string text;
  for (size_t i = 0; i + 1 < size; i += 2) {
    char16_t unit = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    if (unit == 0) break;
    text += unit;
  }
  auto exact = std::make_unique<char16_t[]>(text.size() + 1);
  std::copy(text.begin(), text.end(), exact.get());
  exact[text.size()] = 0;
  CLSID clsid;
  const HRESULT hr = CLSIDFromString(exact.get(), &clsid);
  FUZZ_CHECK((hr == S_OK) == IsBraced(text));
  if (hr != S_OK) {
    FUZZ_CHECK(hr == CO_E_CLASSSTRING);
    return 0;
  }
  char back[40];
  std::snprintf(back, sizeof back, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(clsid.Data1), clsid.Data2, clsid.Data3, clsid.Data4[0],
                clsid.Data4[1], clsid.Data4[2], clsid.Data4[3], clsid.Data4[4], clsid.Data4[5],
                clsid.Data4[6], clsid.Data4[7]);
  for (size_t i = 0; i < 38; ++i)
    FUZZ_CHECK(back[i] == std::toupper(static_cast<unsigned char>(text[i])));
  return 0;
}

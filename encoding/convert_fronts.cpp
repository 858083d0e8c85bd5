// The front ends of EncConvert: encoding numbers (with the symbol-font tables), dialog encodings,
// host encoding names, and the platform's locale with its escaped round trip.
#include <cstdint>
#include <cstring>

#include "encoding/convert.h"
#include "encoding/symbol_tables.h"
#include "strings/byte_string.h"
#include "strings/memory.h"

namespace {

constexpr char kUtf8[] = "UTF-8";
constexpr char kUtf16[] = "UTF-16";
constexpr char kLocale[] = "locale";

char* Copy(const char* text, bool units) {
  if (text == nullptr) return nullptr;
  size_t size = 0;
  if (units) {
    const auto* u = reinterpret_cast<const char16_t*>(text);
    while (u[size / 2] != 0) size += 2;
  } else {
    size = std::strlen(text);
  }
  auto* result = static_cast<char*>(MemAlloc(size + 2, kMemFatal));
  std::memcpy(result, text, size);
  result[size] = result[size + 1] = '\0';
  return result;
}

bool IsSymbolFont(EncodingId id) {
  return id >= 13 && id <= 15;
}

char* ConvertById(const char* text, EncodingId from, EncodingId to, int keepControls,
                  bool symbolAsUtf8) {
  if (text == nullptr) return nullptr;
  if (from == to) return Copy(text, from == kEncodingUtf16);
  if (IsSymbolFont(to)) return nullptr;  // nothing converts into the symbol fonts
  if (from < 0 || from > kEncodingUtf16) MemBailOut();
  const char* target = EncConverterNameForId(to);  // null (a byte copy) outside 0 to 18
  if (!IsSymbolFont(from))
    return EncConvert(text, EncConverterNameForId(from), target, keepControls, 0);
  const char16_t* table = EncSymbolTable(from);
  char16_t* units = symbolAsUtf8
                        ? EncUtf8ToUtf16ByTable(text, table, SIZE_MAX, keepControls)
                        : EncBytesToUtf16ByTable(text, table, std::strlen(text), keepControls);
  char* result = EncConvert(reinterpret_cast<const char*>(units), kUtf16, target, keepControls, 0);
  MemFree(units);
  return result;
}

char* ConvertHostNames(const char* text, const char* fromHostName, const char* toHostName,
                       int keepControls) {
  if (text == nullptr) return nullptr;
  if (fromHostName == nullptr || fromHostName[0] == '\0' || toHostName == nullptr ||
      toHostName[0] == '\0')
    return Copy(text, false);
  return EncConvert(text, EncConverterNameForHostName(fromHostName),
                    EncConverterNameForHostName(toHostName), keepControls, 0);
}

}  // namespace

char* EncConvertById(const char* text, EncodingId from, EncodingId to) {
  return ConvertById(text, from, to, 0, false);
}

char* EncConvertByIdKeepControls(const char* text, EncodingId from, EncodingId to) {
  return ConvertById(text, from, to, 1, false);
}

char* EncConvertByIdEx(const char* text, EncodingId from, EncodingId to, int keepControls) {
  return ConvertById(text, from, to, keepControls, true);
}

char* EncUtf8ToDialog(const char* text, DialogEncoding index) {
  const char* name = EncConverterNameForDialog(index);
  if (name == nullptr) return Copy(text, false);
  return EncConvert(text, kUtf8, name, 0, 0);
}

char* EncDialogToUtf8(const char* text, DialogEncoding index) {
  const char* name = EncConverterNameForDialog(index);
  if (name == nullptr) return Copy(text, false);
  return EncConvert(text, name, kUtf8, 0, 0);
}

char* EncUtf8ToCurrent(const char* text) {
  return EncUtf8ToDialog(text, CurrentDialogEncoding);
}

char* EncCurrentToUtf8(const char* text) {
  return EncDialogToUtf8(text, CurrentDialogEncoding);
}

char* EncConvertHostNames(const char* text, const char* fromHostName, const char* toHostName) {
  return ConvertHostNames(text, fromHostName, toHostName, 0);
}

char* EncConvertHostNamesKeepControls(const char* text, const char* fromHostName,
                                      const char* toHostName) {
  return ConvertHostNames(text, fromHostName, toHostName, 1);
}

char* EncLocaleToUtf8(const char* text) {
  return EncConvert(text, kLocale, kUtf8, 1, 0);
}

char* EncUtf8ToLocale(const char* text) {
  return EncConvert(text, kUtf8, kLocale, 1, 0);
}

char* EncLocaleToUtf8Escaped(const char* text) {
  return EncConvert(text, kLocale, kUtf8, 1, 1);
}

char* EncUtf8ToLocaleUnescaped(const char* text) {
  char* result = EncUtf8ToLocale(text);
  if (result == nullptr) return nullptr;
  StrDecodeHexEscapes(result);
  result[std::strlen(result) + 1] = '\0';  // decoding only shrinks: the block has this byte
  return result;
}

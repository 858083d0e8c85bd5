// The three symbol-font encodings (EncodingId 13, 14, 15), which no ICU converter knows: fixed
// tables from byte to UTF-16 unit, and the table conversions to UTF-16.
#pragma once

#include <cstddef>
#include <cstdint>

#include "encoding/encoding_id.h"

inline constexpr char16_t kSymbolNoChar = 0xFFFF;  // table value: the byte has no character

// The 256-unit table of a symbol-font id (13 to 15); null for any other id.
const char16_t* EncSymbolTable(EncodingId id);
// Converts length bytes through table: a byte below 0x20 is copied unchanged unless keepControls
// is set, any other is replaced by its table unit, or dropped when that is kSymbolNoChar. A new
// zero-terminated block (MemFree); null for null bytes.
char16_t* EncBytesToUtf16ByTable(const char* bytes, const char16_t* table, size_t length,
                                 int keepControls);
// The same for count UTF-8 characters (fewer when the text ends first), each read as the first
// UTF-16 unit of its code point; characters beyond U+00FF have no entry and are dropped.
char16_t* EncUtf8ToUtf16ByTable(const char* text, const char16_t* table, size_t count,
                                int keepControls);

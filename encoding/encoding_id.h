// Encoding numbers (EncodingId 0 to 18) and the names tied to them: the ICU converter of each
// number, the host's encoding names, and the registry of alias names.
#pragma once

#include <cstdint>

typedef int32_t EncodingId;  // 0 to 18

// The encoding numbers the library names itself (HostRoman, UTF-8, UTF-16), and the count of
// numbers.
inline constexpr EncodingId kEncodingHostRoman = 0;
inline constexpr EncodingId kEncodingUtf8 = 16;
inline constexpr EncodingId kEncodingUtf16 = 17;
inline constexpr EncodingId kEncodingIdCount = 19;

inline constexpr uint32_t kEncNamePreferred = 0x1;  // registry flag: preferred name of its id

// The ICU converter name of id; null for ids without a converter (13, 14, 15, 18) and for ids
// outside 0 to 18.
const char* EncConverterNameForId(EncodingId id);
// The converter name for one of the host's encoding names (exact match); null for any other.
const char* EncConverterNameForHostName(const char* hostName);
// The host's encoding name for a converter name (exact match); null for any other.
const char* EncHostNameForConverterName(const char* converterName);
// The id of a traditional encoding name (case-insensitive); any other non-empty name gives 16
// (UTF-8), a null or empty name -1.
EncodingId EncIdFromName(const char* name);
// The id of the first registry row whose name matches under EncCompareNamesLoose; 0 for none.
EncodingId EncIdFromNameLoose(const char* name);
// Compares only the letters and digits of a and b, through the HostRoman upper-case table: the
// difference of the first differing values, 0 when they match ("utf8" = "UTF-8").
int EncCompareNamesLoose(const char* a, const char* b);
// The first registry name of id; the shared empty string when id has none.
const char* EncNameForId(EncodingId id);
// The preferred registry name of id, else its first; the shared empty string when it has none.
const char* EncPreferredNameForId(EncodingId id);
// The first registry name of id whose flags share a bit with mask, else its first (mask 0: the
// first); the shared empty string when id has none.
const char* EncNameForIdWithFlags(EncodingId id, uint32_t mask);

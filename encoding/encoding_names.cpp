// Encoding numbers and their names: the converter table, the host's names, and the traditional
// names that EncIdFromName knows.
#include "encoding/encoding_id.h"

#include "strings/byte_string.h"

namespace {

// Rows without a name have no ICU converter (13 to 15 are the symbol-font tables).
constexpr const char* kConverterNames[kEncodingIdCount] = {
    "host-roman-windows",
    "ISO-8859-1",
    "US-ASCII",
    "windows-1252",
    "macintosh",
    "JIS7",
    "host-shift-jis",
    "EUC-JP",
    "host-big5",
    "EUC-CN",
    "host-gb2312",
    "HZ",
    "host-ksc-5601",
    nullptr,
    nullptr,
    nullptr,
    "UTF-8",
    "UTF-16",
    nullptr,
};

struct NamePair {
  const char* hostName;       // the host's encoding name
  const char* converterName;  // the ICU converter of the same encoding
};

constexpr NamePair kHostNames[] = {
    {"HostRoman", "host-roman-windows"},
    {"JISX0208.ShiftJIS", "host-shift-jis"},
    {"KSC5601-1992", "host-ksc-5601"},
    {"BIG5", "host-big5"},
    {"GB2312-80.EUC", "host-gb2312"},
    {"UTF-8", "UTF-8"},
    {"UTF-16", "UTF-16"},
};

struct NameId {
  const char* name;  // matched case-insensitively
  EncodingId id;     // its number
};

constexpr NameId kTraditionalNames[] = {
    {"ISO-8859-1", 1}, {"ASCII", 2},    {"ANSI", 3},      {"windows-1252", 3}, {"MacASCII", 4},
    {"macintosh", 4},  {"ShiftJIS", 6}, {"Shift_JIS", 6}, {"Big5", 8},         {"GB", 10},
    {"EUC-CN", 10},    {"KSC8", 12},    {"EUC-KR", 12},   {"UTF-8", 16},       {"UTF-16", 17},
};

}  // namespace

const char* EncConverterNameForId(EncodingId id) {
  return id >= 0 && id < kEncodingIdCount ? kConverterNames[id] : nullptr;
}

const char* EncConverterNameForHostName(const char* hostName) {
  for (const NamePair& pair : kHostNames)
    if (StrEqual(hostName, pair.hostName)) return pair.converterName;
  return nullptr;
}

const char* EncHostNameForConverterName(const char* converterName) {
  for (const NamePair& pair : kHostNames)
    if (StrEqual(converterName, pair.converterName)) return pair.hostName;
  return nullptr;
}

EncodingId EncIdFromName(const char* name) {
  if (name == nullptr || name[0] == '\0') return -1;
  for (const NameId& entry : kTraditionalNames)
    if (StrIEqual(name, entry.name)) return entry.id;
  return kEncodingUtf8;
}

// The dialog encodings: their lead/trail tables, filled once and never freed, and the current one.
#include "encoding/dialog_encoding.h"

#include "strings/byte_string.h"

DialogEncoding CurrentDialogEncoding = kDialogHostRoman;

namespace {

struct ByteRange {
  uint8_t first, last;  // inclusive; {0, 0} ends a list
};

struct DialogRow {
  const char* hostName;       // the host's name of the encoding
  const char* converterName;  // the ICU converter that implements it
  EncodingId id;              // its encoding number
  ByteRange lead[3];          // lead-byte ranges
  ByteRange trail[3];         // trail-byte ranges
};

constexpr DialogRow kDialogRows[kDialogEncodingCount] = {
    {"HostRoman", "host-roman-windows", 0, {}, {}},
    {"JISX0208.ShiftJIS",
     "host-shift-jis",
     6,
     {{0x81, 0x9F}, {0xE0, 0xFC}},
     {{0x40, 0x7E}, {0x80, 0xFC}}},
    {"KSC5601-1992", "host-ksc-5601", 12, {{0xA1, 0xFE}}, {{0xA1, 0xFE}}},
    {"BIG5", "host-big5", 8, {{0xA1, 0xFE}}, {{0x40, 0x7E}, {0xA1, 0xFE}}},
    {"GB2312-80.EUC", "host-gb2312", 10, {{0x81, 0xFE}}, {{0x40, 0xFE}}},
    {"UTF-8", "UTF-8", 16, {}, {}},
};

LeadTrailTable g_tables[kDialogEncodingCount];
int g_tablesReady = 0;

void SetRanges(uint8_t* flags, const ByteRange* ranges) {
  for (int i = 0; i < 3 && ranges[i].first != 0; ++i)
    for (int b = ranges[i].first; b <= ranges[i].last; ++b) flags[b] = 1;
}

void FillTables() {
  if (g_tablesReady) return;
  for (int i = 0; i < kDialogEncodingCount; ++i) {
    LeadTrailTable& table = g_tables[i];
    for (int b = 0; b < 256; ++b) table.lead[b] = table.trail[b] = 0;
    SetRanges(table.lead, kDialogRows[i].lead);
    SetRanges(table.trail, kDialogRows[i].trail);
    table.name = kDialogRows[i].hostName;
  }
  g_tablesReady = 1;
}

bool IsDialogIndex(DialogEncoding index) {
  return index >= 0 && index < kDialogEncodingCount;
}

}  // namespace

DialogEncoding EncSetDialogEncoding(const char* hostName) {
  FillTables();
  for (int i = 0; i < kDialogEncodingCount; ++i) {
    if (StrIEqual(hostName, g_tables[i].name)) {
      CurrentDialogEncoding = i;
      break;
    }
  }
  return CurrentDialogEncoding;
}

int EncTablesReady() {
  return g_tablesReady;
}

const LeadTrailTable* EncLeadTrailTable(DialogEncoding index) {
  if (!IsDialogIndex(index)) return nullptr;
  FillTables();  // callers stepping characters before start-up still see the real tables
  return &g_tables[index];
}

const char* EncDialogEncodingName(DialogEncoding index) {
  return IsDialogIndex(index) ? g_tables[index].name : nullptr;
}

DialogEncoding EncDialogEncodingFromName(const char* name) {
  for (int i = 0; i < kDialogEncodingCount; ++i)
    if (StrIEqual(name, kDialogRows[i].hostName)) return i;
  return kDialogHostRoman;
}

EncodingId EncIdFromDialogEncoding(DialogEncoding index) {
  if (IsDialogIndex(index)) return kDialogRows[index].id;
  return CurrentDialogEncoding == kDialogUtf8 ? kEncodingUtf8 : kEncodingHostRoman;
}

DialogEncoding EncDialogEncodingFromId(EncodingId id) {
  for (int i = 0; i < kDialogEncodingCount; ++i)
    if (kDialogRows[i].id == id) return i;
  return CurrentDialogEncoding == kDialogUtf8 ? kDialogUtf8 : kDialogHostRoman;
}

const char* EncConverterNameForDialog(DialogEncoding index) {
  return IsDialogIndex(index) ? kDialogRows[index].converterName : nullptr;
}

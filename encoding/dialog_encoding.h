// The six dialog encodings in which text crosses the host boundary, their lead/trail byte tables,
// and the one current dialog encoding of the client.
#pragma once

#include <cstddef>
#include <cstdint>

#include "encoding/encoding_id.h"

typedef int32_t DialogEncoding;  // index 0 to 5

// The six dialog encodings, and their count.
inline constexpr DialogEncoding kDialogHostRoman = 0;
inline constexpr DialogEncoding kDialogShiftJis = 1;
inline constexpr DialogEncoding kDialogKsc5601 = 2;
inline constexpr DialogEncoding kDialogBig5 = 3;
inline constexpr DialogEncoding kDialogGb2312 = 4;
inline constexpr DialogEncoding kDialogUtf8 = 5;
inline constexpr int kDialogEncodingCount = 6;

// Which bytes may start and which may end a two-byte character. A two-byte character is a lead
// byte immediately followed by a trail byte; any other byte stands alone. HostRoman and UTF-8
// keep all-zero flags (UTF-8 has its own rules).
struct LeadTrailTable {
  uint8_t lead[256];   // 1: the byte may start a two-byte character
  uint8_t trail[256];  // 1: the byte may be the second byte of one
  const char* name;    // the host encoding name ("JISX0208.ShiftJIS")
};
static_assert(sizeof(LeadTrailTable) == 520);
static_assert(offsetof(LeadTrailTable, trail) == 256);
static_assert(offsetof(LeadTrailTable, name) == 512);

// The current dialog encoding: HostRoman (0) until EncSetDialogEncoding selects another.
extern DialogEncoding CurrentDialogEncoding;

// Fills the tables on the first call, then makes current the encoding whose host name matches
// hostName case-insensitively; returns CurrentDialogEncoding (unchanged when none matches).
DialogEncoding EncSetDialogEncoding(const char* hostName);
// 1 once the lead/trail tables are filled.
int EncTablesReady();
// The lead/trail table of index, filled on first use; null for an index outside 0 to 5.
const LeadTrailTable* EncLeadTrailTable(DialogEncoding index);
// The host encoding name of index; null outside 0 to 5 or before the tables are filled.
const char* EncDialogEncodingName(DialogEncoding index);
// The index whose host encoding name matches name case-insensitively; 0 when none does.
DialogEncoding EncDialogEncodingFromName(const char* name);
// The EncodingId of index (0, 6, 12, 8, 10, 16); any other index gives 16 while the current
// dialog encoding is UTF-8, else 0.
EncodingId EncIdFromDialogEncoding(DialogEncoding index);
// The index of a dialog EncodingId (0, 6, 8, 10, 12, 16); any other id gives 5 while the current
// dialog encoding is UTF-8, else 0.
DialogEncoding EncDialogEncodingFromId(EncodingId id);
// The ICU converter name of index; null outside 0 to 5.
const char* EncConverterNameForDialog(DialogEncoding index);

// The fields of notification 75: the host sends one text whose fields are separated by the byte
// 0x1E; the client receives them split into a NotifyFieldRecord.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bridge/host_types.h"

inline constexpr char kNotifyFieldSeparator = 0x1E;  // between two fields of the text
inline constexpr int32_t kNotifyFields = 75;         // the notification whose text is split

// Notification 75's text split into its fields; the client's ClientNotify gets it as text.
struct NotifyFieldRecord {
  char* fields[6];  // the first six fields in order; null when the text had fewer
  uint32_t count;   // number of further fields in more
  char** more;      // the seventh field onward (grown 16 entries at a time), or null
};
static_assert(sizeof(NotifyFieldRecord) == 64 && offsetof(NotifyFieldRecord, count) == 48 &&
              offsetof(NotifyFieldRecord, more) == 56);

// Splits text at every 0x1E into owned strings (an empty segment gives an empty string; a null
// text reads as empty). Null when an allocation fails, with nothing left allocated.
NotifyFieldRecord* NotifyFieldsSplit(const char* text);
// Frees every string, the array and the record; null is allowed.
void NotifyFieldsFree(NotifyFieldRecord* record);
// The record that ClientNotify receives, in place of the text, for notification 75.
inline const NotifyFieldRecord* NotifyFieldsOf(const char* text) {
  return reinterpret_cast<const NotifyFieldRecord*>(text);
}

// Notification 75 without a sink: splits text and calls ClientNotify(75, object, record, value);
// nothing is called when the split fails.
void ClientNotifyDirect(ObjectId object, const char* text, int32_t value);

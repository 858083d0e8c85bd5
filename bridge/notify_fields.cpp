// Splitting notification 75's text into fields.
#include "bridge/notify_fields.h"

#include <cstring>

#include "bridge/client_callbacks.h"
#include "strings/memory.h"

namespace {

constexpr uint32_t kGrowth = 16;  // the further-fields array grows by this many entries

// Stores field in the first free one of the six, or appends it to the further fields.
bool Store(NotifyFieldRecord* record, char* field) {
  for (char*& slot : record->fields) {
    if (slot == nullptr) {
      slot = field;
      return true;
    }
  }
  if (record->count % kGrowth == 0) {
    size_t entries = size_t{record->count} + kGrowth;
    char** grown = static_cast<char**>(MemCalloc(entries, sizeof(char*), 0));
    if (grown == nullptr) return false;
    if (record->count != 0) std::memcpy(grown, record->more, record->count * sizeof(char*));
    MemFree(record->more);
    record->more = grown;
  }
  record->more[record->count++] = field;
  return true;
}

}  // namespace

NotifyFieldRecord* NotifyFieldsSplit(const char* text) {
  if (text == nullptr) text = "";
  auto* record = static_cast<NotifyFieldRecord*>(MemCalloc(1, sizeof(NotifyFieldRecord), 0));
  if (record == nullptr) return nullptr;
  const char* start = text;
  for (const char* p = text;; ++p) {
    if (*p != kNotifyFieldSeparator && *p != '\0') continue;
    size_t length = static_cast<size_t>(p - start);
    char* field = static_cast<char*>(MemAlloc(length + 1, 0));
    if (field == nullptr) {
      NotifyFieldsFree(record);
      return nullptr;
    }
    std::memcpy(field, start, length);
    field[length] = '\0';
    if (!Store(record, field)) {
      MemFree(field);
      NotifyFieldsFree(record);
      return nullptr;
    }
    if (*p == '\0') break;
    start = p + 1;
  }
  return record;
}

void NotifyFieldsFree(NotifyFieldRecord* record) {
  if (record == nullptr) return;
  for (char* field : record->fields) MemFree(field);
  for (uint32_t i = 0; i < record->count; ++i) MemFree(record->more[i]);
  MemFree(record->more);
  MemFree(record);
}

void ClientNotifyDirect(ObjectId object, const char* text, int32_t value) {
  NotifyFieldRecord* record = NotifyFieldsSplit(text);
  if (record == nullptr) return;
  ClientNotify(kNotifyFields, object, reinterpret_cast<const char*>(record), value);
  NotifyFieldsFree(record);
}

// Property value lists: allocation, search, set, copy, release and the status bit set.
#include "props/property_list.h"

#include <bit>
#include <climits>

#include "bridge/host_errno.h"
#include "strings/memory.h"

namespace {

constexpr uint32_t kFirstCapacity = 8;  // a list's first block holds this many entries

// The list's entries as far as they can be read: null items mean none, whatever count says.
uint32_t EntryCount(const PropertyValueList* list) {
  return list == nullptr || list->items == nullptr ? 0 : list->count;
}

}  // namespace

PropertyValueList PropListAlloc(uint32_t n) {
  auto* items = static_cast<PropertyValue*>(MemCalloc(n, sizeof(PropertyValue), 0));
  if (items == nullptr) return PropertyValueList{0, nullptr};
  return PropertyValueList{n, items};
}

int32_t PropListFind(const PropertyValueList* list, int32_t num) {
  uint32_t count = EntryCount(list);
  if (count > INT32_MAX) count = INT32_MAX;  // beyond that an index cannot be answered
  for (uint32_t i = 0; i < count; ++i) {
    if (list->items[i].ident.num == num) return static_cast<int32_t>(i);
  }
  return PropNotFound;
}

void PropListSet(PropertyValueList* list, int32_t num, const TypedValue* value) {
  if (list == nullptr || value == nullptr) MemBailOut();
  // Copy first: value may be a payload of this very list, which the release or the reallocation
  // below would pull from under it.
  TypedValue copy = TypedValueCopy(value);
  PropertyValue* entry;
  int32_t found = PropListFind(list, num);
  if (found >= 0) {
    entry = &list->items[found];
    PropIdentFree(&entry->ident);
    TypedValueFree(&entry->value);
  } else {
    uint32_t n = EntryCount(list);
    // No capacity is kept: grow to the first power of two from 8 above n on every append (a
    // block already that size keeps its place). The count is unsigned; 64-bit sizes cannot wrap.
    size_t capacity = kFirstCapacity;
    while (capacity <= n) capacity *= 2;
    void* grown =
        n == UINT32_MAX ? nullptr : MemRealloc(list->items, capacity * sizeof(PropertyValue), 0);
    if (grown == nullptr) {
      TypedValueFree(&copy);
      HostErrno = ErrPropNoMemory;
      return;
    }
    list->items = static_cast<PropertyValue*>(grown);
    list->count = n + 1;
    entry = &list->items[n];
  }
  entry->ident.num = num;
  entry->ident.name = nullptr;
  entry->value = copy;
}

void PropListSetString(PropertyValueList* list, int32_t num, const char* text) {
  TypedValue value{PropString, {}};
  value.payload.string = const_cast<char*>(text);  // only read: the list stores a copy
  PropListSet(list, num, &value);
}

void PropListSetInt(PropertyValueList* list, int32_t num, int32_t value) {
  TypedValue typed{PropInt, {}};
  typed.payload.intValue = value;
  PropListSet(list, num, &typed);
}

void PropListSetFixed(PropertyValueList* list, int32_t num, Fixed value) {
  TypedValue typed{PropFixed, {}};
  typed.payload.fixedValue = value;
  PropListSet(list, num, &typed);
}

void PropListSetStrings(PropertyValueList* list, int32_t num, StringList strings) {
  TypedValue typed{PropStrings, {}};
  typed.payload.strings = strings;
  PropListSet(list, num, &typed);
}

PropertyValueList PropListCopy(const PropertyValueList* source) {
  uint32_t n = EntryCount(source);
  if (n == 0) return PropertyValueList{0, nullptr};
  auto* items = static_cast<PropertyValue*>(MemCalloc(n, sizeof(PropertyValue), 0));
  if (items == nullptr) return PropertyValueList{0, nullptr};
  for (uint32_t i = 0; i < n; ++i) items[i] = PropValueCopy(&source->items[i]);
  return PropertyValueList{n, items};
}

void PropListFree(PropertyValueList* list) {
  if (list == nullptr) return;
  uint32_t n = EntryCount(list);
  for (uint32_t i = 0; i < n; ++i) PropValueFree(&list->items[i]);
  MemFree(list->items);
  list->count = 0;
  list->items = nullptr;
}

int PropStatusBit(const PropertyValueList* list, int32_t bit) {
  int32_t found = PropListFind(list, 3);
  if (found < 0) found = PropListFind(list, 1);
  if (found < 0) {
    HostErrno = ErrPropNoStatus;
    return 0;
  }
  // Whatever its type code, the payload is read as a counted list of 32-bit words. A scalar entry
  // has null items there (or a stray pointer the host put in): null reads as no words at all. A
  // byte list's block holds count bytes, not words: only their bits exist.
  const IntList& words = list->items[found].value.payload.words;
  uint64_t bytes = words.items == nullptr                          ? 0
                   : list->items[found].value.valType == PropBytes ? uint64_t{words.count}
                                                                   : 4 * uint64_t{words.count};
  auto index = static_cast<uint32_t>(bit);
  if (index >= 8 * bytes) {
    HostErrno = PropNotFound;
    return 0;
  }
  // Bit n of the little-endian words is bit n % 8 of byte n / 8: read no byte past the one needed.
  static_assert(std::endian::native == std::endian::little);
  return (reinterpret_cast<const uint8_t*>(words.items)[index / 8] >> (index % 8)) & 1;
}

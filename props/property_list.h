// Property value lists in the layout the host shares: a counted list of entries that each hold a
// deep copy of their value. Lists keep no capacity; PropListSet grows the block to the next power
// of two from 8 on every append.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bridge/host_errno.h"  // ErrPropNoMemory
#include "fixed/fixed.h"
#include "props/counted_list.h"
#include "props/property_value.h"

// A counted list of property values, in the layout the host shares.
struct PropertyValueList {
  uint32_t count;        // number of entries
  PropertyValue* items;  // heap block of at least count entries, or null (empty)
};
static_assert(sizeof(PropertyValueList) == 16 && offsetof(PropertyValueList, count) == 0 &&
              offsetof(PropertyValueList, items) == 8);

inline constexpr int32_t PropNotFound =
    -4;  // PropListFind's miss; HostErrno for a bit out of range
inline constexpr int32_t ErrPropNoStatus = -5;  // HostErrno: the list holds no status bits

// n zero-filled entries (valType 0) for the caller to fill in place; {0, null} when refused.
PropertyValueList PropListAlloc(uint32_t n);
// Index of the first entry numbered num, or PropNotFound (also for a null or empty list).
int32_t PropListFind(const PropertyValueList* list, int32_t num);
// Stores a deep copy of value under num, replacing the first entry so numbered (its name dropped)
// or appending one; value may live inside the list. When the list cannot grow it is left as it
// was and HostErrno is set to ErrPropNoMemory.
void PropListSet(PropertyValueList* list, int32_t num, const TypedValue* value);
// PropListSet with a PropString value; the list keeps its own copy of text.
void PropListSetString(PropertyValueList* list, int32_t num, const char* text);
// PropListSet with a PropInt value.
void PropListSetInt(PropertyValueList* list, int32_t num, int32_t value);
// PropListSet with a PropFixed value.
void PropListSetFixed(PropertyValueList* list, int32_t num, Fixed value);
// PropListSet with a PropStrings value; the list keeps its own copy of strings.
void PropListSetStrings(PropertyValueList* list, int32_t num, StringList strings);
// A deep copy; a null source, null items or a refused block give {0, null}.
PropertyValueList PropListCopy(const PropertyValueList* source);
// Releases every entry, first to last, then the block, and leaves {0, null}; null does nothing.
void PropListFree(PropertyValueList* list);
// Bit `bit` of the bit set held under number 3, else number 1: 0 or 1. Sets HostErrno to
// ErrPropNoStatus (and gives 0) when neither is there, to PropNotFound when bit, read unsigned,
// is beyond the words the entry holds.
int PropStatusBit(const PropertyValueList* list, int32_t bit);

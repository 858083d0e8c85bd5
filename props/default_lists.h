// Default option lists for host operations: each builder returns a fresh PropertyValueList that
// the caller owns, with the library's defaults in a fixed order (every entry numbered, no number
// twice). Change options with PropListSet and its setters, pass the list on, release it with
// PropListFree. Three convenience calls wrap the common pattern around the two kept-list host
// calls. A builder whose allocation fails returns {0, null}.
#pragma once

#include <cstdint>

#include "bridge/host_types.h"
#include "props/property_list.h"

inline constexpr int32_t ErrNoDefaultList = -42;  // HostErrno: a convenience call had no list

// The builders of the host operations' default option lists, each named by its entry count
// (PropDefaultsDictionary holds 8 entries; PropDefaults29 one, number 29).
PropertyValueList PropDefaults48();
PropertyValueList PropDefaults6();
PropertyValueList PropDefaults12();
PropertyValueList PropDefaults54();
PropertyValueList PropDefaults17();
PropertyValueList PropDefaults87();
PropertyValueList PropDefaults14();
PropertyValueList PropDefaultsDictionary();
PropertyValueList PropDefaults29();
// 17 entries, and with flag 1 an eighteenth: 29 holding 1.
PropertyValueList PropDefaultsNamedCall(int32_t flag);
PropertyValueList PropDefaultsObjectCall();

// HostNamedListCall on name (in UTF-8 unless the dialog encoding is UTF-8 already) with the
// PropDefaultsNamedCall(0) options when useDefaults is nonzero, else with an empty list; both lists
// are released afterwards. The host's result, or 0 with HostErrno = ErrNoDefaultList when the
// options could not be built.
int32_t PropCallNamedWithDefaults(const char* name, int32_t useDefaults);
// The same with PropDefaultsNamedCall(1), or the one-entry list of PropDefaults29; name is passed
// as it stands.
int32_t PropCallNamedWith29(const char* name, int32_t useDefaults);
// HostObjectListCall on object and name (converted as above) with the PropDefaultsObjectCall
// options, or an empty list.
int32_t PropCallObjectWithDefaults(ObjectId object, const char* name, int32_t useDefaults);

// How the builders allocate their lists (PropListAlloc); a test may replace it.
extern PropertyValueList (*PropDefaultsAllocate)(uint32_t n);

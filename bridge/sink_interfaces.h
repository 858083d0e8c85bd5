// The interfaces the client implements for the host's callbacks, declared from
// bridge/sink_slots.inc, and the records that cross them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bridge/host_types.h"
#include "platform/com_types.h"

// What "GetResource" hands back: the host owns data and frees it with CoTaskMemFree.
struct HostResource {
  uint32_t size;  // bytes at data
  void* data;     // CoTaskMemAlloc block of size bytes
};
static_assert(sizeof(HostResource) == 16 && offsetof(HostResource, data) == 8);

// The result of "CMSCommand", shared with the host; the client's copies come from the C heap.
struct CmsCommandResult {
  int64_t value;   // leading value, the host's meaning
  char* text;      // owned string, or null
  uint32_t count;  // number of integers at items
  int32_t* items;  // owned array of count integers, or null
};
static_assert(sizeof(CmsCommandResult) == 32 && offsetof(CmsCommandResult, text) == 8 &&
              offsetof(CmsCommandResult, count) == 16 && offsetof(CmsCommandResult, items) == 24);

#define SINK_INTERFACE(Name, l, w1, w2, ...) \
  inline constexpr IID IID_##Name = {l, w1, w2, {__VA_ARGS__}};
#include "bridge/sink_slots.inc"

#define SINK_INTERFACE(Name, ...) \
  struct Name : IUnknown {        \
    enum : int { kSlotCounterBase = __COUNTER__ };
#define SINK_SLOT(Interface, slot, Method, Params)                         \
  static_assert(__COUNTER__ - kSlotCounterBase == (slot)-2, "slot order"); \
  virtual HRESULT STDMETHODCALLTYPE Method Params = 0;
#define SINK_INTERFACE_END(Name) \
  }                              \
  ;
#include "bridge/sink_slots.inc"

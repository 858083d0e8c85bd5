// The host's COM interfaces, declared slot by slot from bridge/host_slots.inc, with their
// identifiers and their places in the client's interface table.
//
// No interface has a virtual destructor: the vtable slot of each method is its declaration order
// after IUnknown's three, as the host lays out its objects.
#pragma once

#include <cstdint>

#include "bridge/host_records.h"
#include "bridge/host_slot_macros.h"
#include "bridge/host_types.h"
#include "platform/com_types.h"

// Identifiers: IID_HostApi, IID_HostApiExt1, ...
#define HOST_INTERFACE(Name, l, w1, w2, ...) \
  inline constexpr IID IID_##Name = {l, w1, w2, {__VA_ARGS__}};
#include "bridge/host_slots.inc"

// Places in the interface table, in the table's order: 15 base interfaces, then the 3 optional.
enum HostInterfaceIndex : int {
#define HOST_INTERFACE(Name, ...) k##Name##Index,
#include "bridge/host_slots.inc"
  kHostInterfaceCount
};
inline constexpr int kHostBaseInterfaceCount = 15;  // the required part of the table
static_assert(kHostInterfaceCount == 18 && kHostMemoryPolicyIndex == kHostBaseInterfaceCount);

// The declarations. Each slot checks, at compile time, that it follows the previous one without
// a gap, so a slot number in the table is the method's vtable slot.
#define HOST_INTERFACE(Name, ...) \
  struct Name : IUnknown {        \
    enum : int { kSlotCounterBase = __COUNTER__ };
#define HOST_SLOT(Interface, slot, Method, Shape, Type, Wrapper, Params)   \
  static_assert(__COUNTER__ - kSlotCounterBase == (slot)-2, "slot order"); \
  virtual HRESULT STDMETHODCALLTYPE Method HOST_PARAMS(Shape, Type, Params) = 0;
#define HOST_INTERFACE_END(Name) \
  }                              \
  ;
#include "bridge/host_slots.inc"

// Compile-time facts about each interface: its table index and its identifier.
template <typename Interface>
struct HostInterfaceTraits;
#define HOST_INTERFACE(Name, ...)                               \
  template <>                                                   \
  struct HostInterfaceTraits<Name> {                            \
    static constexpr HostInterfaceIndex index = k##Name##Index; \
    static constexpr const IID& iid = IID_##Name;               \
  };
#include "bridge/host_slots.inc"

// The identifier of the interface at index of the table.
const IID& HostInterfaceIid(int index);
// The interface's name as the table spells it ("HostApi"), for messages and tests.
const char* HostInterfaceName(int index);

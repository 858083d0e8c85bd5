// The simulated host answers each slot through the vtable entry the table gives it: every slot is
// called raw, by its number, and the host notes which slot ran.
#include <gtest/gtest.h>

#include "bridge/host_interfaces.h"
#include "hostsim/host_object.h"

namespace {

// Calls vtable entry slot of face as a function of the given type, with zero arguments.
template <typename... Params>
HRESULT CallSlot(IUnknown* face, int slot, HRESULT (*)(void*, Params...)) {
  void** vtable = *reinterpret_cast<void***>(face);
  auto fn = reinterpret_cast<HRESULT (*)(void*, Params...)>(vtable[slot]);
  return fn(face, Params{}...);
}

#define SLOT_UNPAREN(...) __VA_ARGS__
#define SLOT_WITH_SELF(...) (void* self __VA_OPT__(, ) __VA_ARGS__)
#define SLOT_SIGNATURE(Params) SLOT_WITH_SELF(SLOT_UNPAREN Params)

struct RawSlot {
  int index;  // HostInterfaceIndex
  int slot;
  const char* method;
  HRESULT (*call)(IUnknown* face, int slot);
};

const RawSlot kSlots[] = {
#define HOST_SLOT(Interface, slot, Method, Shape, Type, Wrapper, Params)                     \
  {k##Interface##Index, slot, #Method, [](IUnknown* face, int s) {                           \
     return CallSlot(                                                                        \
         face, s,                                                                            \
         static_cast<HRESULT(*) SLOT_SIGNATURE(HOST_PARAMS(Shape, Type, Params))>(nullptr)); \
   }},
#include "bridge/host_slots.inc"
};

TEST(SimHostSlotsTest, EverySlotAnswersAtItsNumber) {
  SimHost host;
  host.SetFaultEverywhere(SimFault::kFail);  // no slot does work or touches its arguments
  ASSERT_EQ(std::size(kSlots), 412u);
  for (const RawSlot& row : kSlots) {
    SCOPED_TRACE(std::string(HostInterfaceName(row.index)) + "::" + row.method);
    void* face = nullptr;
    ASSERT_EQ(host.Object()->QueryInterface(HostInterfaceIid(row.index), &face), S_OK);
    EXPECT_EQ(row.call(static_cast<IUnknown*>(face), row.slot), E_FAIL);
    EXPECT_EQ(host.LastCall(), std::make_pair(row.index, row.slot));
    EXPECT_EQ(host.Calls(row.index, row.slot), 1);
    static_cast<IUnknown*>(face)->Release();
  }
  EXPECT_EQ(host.OutstandingTotal(), 0);
}

TEST(SimHostSlotsTest, SlotsWithoutWorkAnswerAsTheirFaultSays) {
  SimHost host;
  host.SetFault(kHostApiIndex, 100, SimFault::kBusy);
  const struct {
    int line;
    int index, slot;
    HRESULT expected;
  } rows[] = {
      {__LINE__, kHostApiIndex, 4, S_OK},
      {__LINE__, kHostApiIndex, 100, RPC_E_SERVERCALL_RETRYLATER},
      {__LINE__, kHostApiExt14Index, 53, S_OK},
      {__LINE__, kHostAuxiliaryIndex, 3, S_OK},
      {__LINE__, kHostModuleLinkIndex, 7, S_OK},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    for (const RawSlot& s : kSlots) {
      if (s.index != row.index || s.slot != row.slot) continue;
      void* face = nullptr;
      ASSERT_EQ(host.Object()->QueryInterface(HostInterfaceIid(row.index), &face), S_OK);
      EXPECT_EQ(s.call(static_cast<IUnknown*>(face), s.slot), row.expected);
      static_cast<IUnknown*>(face)->Release();
    }
  }
}

}  // namespace

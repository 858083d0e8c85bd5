// Every method of the host's and the sink's interfaces sits at the vtable slot the table gives it.
#include <gtest/gtest.h>

#include <cstring>

#include "bridge/host_interfaces.h"
#include "bridge/sink_interfaces.h"

namespace {

// The vtable slot of a virtual member function. Under the Itanium C++ ABI (g++, clang) a pointer
// to a virtual member holds 1 + the byte offset of its vtable entry, then the this-adjustment.
template <typename Method>
long VtableSlot(Method method) {
  static_assert(sizeof(Method) == 2 * sizeof(void*));
  struct {
    uintptr_t pointer;
    ptrdiff_t adjust;
  } raw;
  std::memcpy(&raw, &method, sizeof raw);
  if ((raw.pointer & 1) == 0) return -1;  // not virtual
  return static_cast<long>((raw.pointer - 1) / sizeof(void*));
}

struct SlotRow {
  const char* interface;
  const char* method;
  int slot;
  long actual;
};

const SlotRow kHostSlots[] = {
#define HOST_SLOT(Interface, slot, Method, Shape, Type, Wrapper, Params) \
  {#Interface, #Method, slot, VtableSlot(&Interface::Method)},
#include "bridge/host_slots.inc"
};

const SlotRow kSinkSlots[] = {
#define SINK_SLOT(Interface, slot, Method, Params) \
  {#Interface, #Method, slot, VtableSlot(&Interface::Method)},
#include "bridge/sink_slots.inc"
};

TEST(SlotLayoutTest, HostInterfaces) {
  EXPECT_EQ(std::size(kHostSlots), 412u);
  for (const SlotRow& row : kHostSlots) {
    SCOPED_TRACE(std::string(row.interface) + "::" + row.method);
    EXPECT_EQ(row.actual, row.slot);
  }
}

TEST(SlotLayoutTest, SinkInterfaces) {
  EXPECT_EQ(std::size(kSinkSlots), 9u);
  for (const SlotRow& row : kSinkSlots) {
    SCOPED_TRACE(std::string(row.interface) + "::" + row.method);
    EXPECT_EQ(row.actual, row.slot);
  }
}

TEST(SlotLayoutTest, RoadMethods) {
  // Spelled out once more by hand: the slots the host's callers rely on.
  const struct {
    int line;
    long actual;
    long slot;
  } rows[] = {
      {__LINE__, VtableSlot(&HostApi::QueryInterface), 0},
      {__LINE__, VtableSlot(&HostApi::Release), 2},
      {__LINE__, VtableSlot(&HostApi::RegisterClient), 3},
      {__LINE__, VtableSlot(&HostApi::SetNotification), 8},
      {__LINE__, VtableSlot(&HostApi::ShowMessage), 20},
      {__LINE__, VtableSlot(&HostApi::ConsoleWrite), 24},
      {__LINE__, VtableSlot(&HostApi::GetIntProp), 85},
      {__LINE__, VtableSlot(&HostApi::GetIdProp), 89},
      {__LINE__, VtableSlot(&HostApi::GetStringProp), 97},
      {__LINE__, VtableSlot(&HostApi::Slot164), 164},
      {__LINE__, VtableSlot(&HostMemoryPolicy::QuerySharedMemory), 3},
      {__LINE__, VtableSlot(&HostModuleLink::SetClientModule), 3},
      {__LINE__, VtableSlot(&HostModuleLink::Slot7), 7},
      {__LINE__, VtableSlot(&IHostNotifications0::Initialize), 3},
      {__LINE__, VtableSlot(&IHostNotifications0::Notify), 8},
      {__LINE__, VtableSlot(&IHostNotifications0::GetResource), 9},
      {__LINE__, VtableSlot(&IHostNotifications1::HtmlDialogEventEx), 3},
      {__LINE__, VtableSlot(&IHostCMSNotifications0::CMSCommand), 3},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(row.actual, row.slot);
  }
}

TEST(SlotLayoutTest, TableOrderAndIdentifiers) {
  const char* const order[] = {"HostApiExt1",    "HostApiExt2",  "HostApiExt3",  "HostApi",
                               "HostApiExt4",    "HostApiExt5",  "HostApiExt6",  "HostApiExt7",
                               "HostApiExt8",    "HostApiExt9",  "HostApiExt10", "HostApiExt11",
                               "HostApiExt12",   "HostApiExt13", "HostApiExt14", "HostMemoryPolicy",
                               "HostModuleLink", "HostAuxiliary"};
  for (int i = 0; i < kHostInterfaceCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_STREQ(HostInterfaceName(i), order[i]);
    for (int j = 0; j < i; ++j) EXPECT_FALSE(IsEqualGUID(HostInterfaceIid(i), HostInterfaceIid(j)));
  }
  // {CA913130-7B0A-11D0-985E-0060970BEC0B}, byte for byte as it lies in memory.
  const unsigned char hostApi[16] = {0x30, 0x31, 0x91, 0xCA, 0x0A, 0x7B, 0xD0, 0x11,
                                     0x98, 0x5E, 0x00, 0x60, 0x97, 0x0B, 0xEC, 0x0B};
  EXPECT_EQ(std::memcmp(&IID_HostApi, hostApi, 16), 0);
  EXPECT_EQ(IID_HostAuxiliary.Data1, 0xE1E9B610u);
  EXPECT_EQ(IID_IHostNotifications1.Data4[7], 0x1D);
}

}  // namespace

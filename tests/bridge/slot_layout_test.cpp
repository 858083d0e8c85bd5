// Every method of the host's and the sink's interfaces sits at the vtable slot the table gives it.
#include <gtest/gtest.h>

#include <cstring>

#include "bridge/connection.h"
#include "bridge/host_interfaces.h"
#include "bridge/sink_interfaces.h"
#include "platform/com_creation.h"

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

// Every identifier as the host's documentation writes it, parsed, against the constant the
// library compiles in.
TEST(SlotLayoutTest, IdentifiersAsTheHostWritesThem) {
  const struct {
    int line;
    const char* text;
    const IID& iid;
  } rows[] = {
      {__LINE__, "{CA913130-7B0A-11D0-985E-0060970BEC0B}", IID_HostApi},
      {__LINE__, "{9EB9EBDE-EF45-4FAA-BA83-80C37E746DD7}", IID_HostApiExt1},
      {__LINE__, "{F9EDAC1F-75C2-4544-A65E-36E3C5A4DBA1}", IID_HostApiExt2},
      {__LINE__, "{755FF112-0DD6-4947-BDCC-D322283139A7}", IID_HostApiExt3},
      {__LINE__, "{5B0455F0-0DB8-11D1-986D-0060970BEC0B}", IID_HostApiExt4},
      {__LINE__, "{EA34B890-2289-11D3-BC05-00805FD98389}", IID_HostApiExt5},
      {__LINE__, "{895D2502-96ED-43E1-A88B-4578A1AAA2B5}", IID_HostApiExt6},
      {__LINE__, "{F8A1A179-B5C9-4AF8-8E1A-DA71430EDBA1}", IID_HostApiExt7},
      {__LINE__, "{02AC84A3-499F-4128-9362-0E38BB1620C9}", IID_HostApiExt8},
      {__LINE__, "{B2159D69-A7F0-4978-84A3-C2CA5498F9FE}", IID_HostApiExt9},
      {__LINE__, "{A76BE1F8-B073-4F2D-9553-98543854E0FB}", IID_HostApiExt10},
      {__LINE__, "{9D1E44A4-9CCC-4AB5-B555-6FFAE778342C}", IID_HostApiExt11},
      {__LINE__, "{EC7B1498-ED2D-4278-AE91-07481BCBBFD0}", IID_HostApiExt12},
      {__LINE__, "{B550535A-BAA1-4274-9D2C-41B60F1835B8}", IID_HostApiExt13},
      {__LINE__, "{00F4DCB5-4CAE-4ACC-8A3D-5D276E9028BB}", IID_HostApiExt14},
      {__LINE__, "{04C8B860-BC3B-11D0-8E04-444553540000}", IID_HostMemoryPolicy},
      {__LINE__, "{F5AE87C2-3FF6-11D1-9457-00805F292B02}", IID_HostModuleLink},
      {__LINE__, "{E1E9B610-97D0-11D3-BC10-00805FD98389}", IID_HostAuxiliary},
      {__LINE__, "{EB813990-B81C-11D0-985E-0060970BEC0B}", IID_IHostNotifications0},
      {__LINE__, "{A4B8972D-5B3A-4B57-93C5-3EB3D62A4F1D}", IID_IHostNotifications1},
      {__LINE__, "{7AA0C49A-1141-44EF-A784-155593F95025}", IID_IHostCMSNotifications0},
      {__LINE__, "{539DB5D0-C0C6-11D0-985E-0060970BEC0B}", kDefaultHostClass},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    std::u16string wide(row.text, row.text + std::strlen(row.text));
    CLSID parsed{};
    ASSERT_EQ(CLSIDFromString(reinterpret_cast<LPCWSTR>(wide.c_str()), &parsed), S_OK);
    EXPECT_TRUE(IsEqualGUID(parsed, row.iid));
  }
}

}  // namespace

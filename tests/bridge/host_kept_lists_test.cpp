// The lists the library keeps for a wrapper's caller: repeated calls, the caller's pointer null,
// designating a list of its own or the library's list, and failures in between. The sanitizers
// see every leak and double release.
#include <cstring>

#include "bridge/host_copy.h"
#include "bridge/host_wrappers.h"
#include "props/property_list.h"
#include "strings/memory.h"
#include "tests/bridge/bridge_fixture.h"

namespace {

class HostKeptListsTest : public BridgeTest {
 protected:
  void SetUp() override {
    BridgeTest::SetUp();
    ASSERT_EQ(Connect(), 0);
  }
};

// A list of the caller's own, with strings in it.
PropertyValueList OwnList() {
  PropertyValueList list{0, nullptr};
  PropListSetString(&list, 1, "one");
  PropListSetString(&list, 2, "two");
  return list;
}

enum Designates { kNull, kOwn, kLibrary, kNoPointer };

TEST_F(HostKeptListsTest, TheCallersPointerInEveryState) {
  PropertyValueList own{0, nullptr};
  PropertyValueList* result = nullptr;
  const struct {
    int line;
    Designates designates;
    SimFault fault;
    int32_t status;
    uint32_t count;  // of the kept list after the call
  } rows[] = {
      {__LINE__, kNull, SimFault::kNone, 0, 2},      {__LINE__, kLibrary, SimFault::kNone, 0, 2},
      {__LINE__, kLibrary, SimFault::kFail, -1, 0},  {__LINE__, kLibrary, SimFault::kNone, 0, 2},
      {__LINE__, kOwn, SimFault::kNone, 0, 2},       {__LINE__, kNoPointer, SimFault::kNone, 0, 2},
      {__LINE__, kNoPointer, SimFault::kCode, 9, 0}, {__LINE__, kNull, SimFault::kCode, 9, 0},
      {__LINE__, kLibrary, SimFault::kBusy, -1, 0},  {__LINE__, kLibrary, SimFault::kNone, 0, 2},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    host.SetFault(kHostApiIndex, 32, row.fault, 9);
    PropertyValueList** pointer = &result;
    if (row.designates == kNull) result = nullptr;
    if (row.designates == kOwn) {
      own = OwnList();
      result = &own;
    }
    if (row.designates == kNoPointer) pointer = nullptr;
    PropertyValueList* before = result;
    EXPECT_EQ(HostNamedListCall("name", nullptr, pointer), row.status);
    if (row.designates == kOwn) {
      EXPECT_EQ(own.count, 0u);  // released whole, strings included
      EXPECT_EQ(own.items, nullptr);
    }
    if (pointer == nullptr) {
      EXPECT_EQ(result, before);
      continue;
    }
    ASSERT_NE(result, nullptr);  // set even when the call failed: it never dangles
    EXPECT_NE(result, &own);
    EXPECT_EQ(result->count, row.count);
    if (row.count != 0) {
      EXPECT_EQ(result->items[0].ident.num, 0);
      EXPECT_STREQ(result->items[0].ident.name, "sample");
      EXPECT_STREQ(result->items[1].value.payload.string, "sample");
    }
  }
  // The caller may release the library's list itself; the next call does not release it again.
  PropListFree(result);
  host.ClearFaults();
  EXPECT_EQ(HostNamedListCall("name", nullptr, &result), 0);
  EXPECT_EQ(result->count, 2u);
}

TEST_F(HostKeptListsTest, EveryKeptWrapperHasItsOwnList) {
  PropertyValueList* named = nullptr;
  PropertyValueList* object = nullptr;
  StringList* strings = nullptr;
  ASSERT_EQ(HostNamedListCall("a", nullptr, &named), 0);
  ASSERT_EQ(HostObjectListCall(4, "b", nullptr, &object), 0);
  ASSERT_EQ(HostExt14Call48("c", &strings), 0);
  EXPECT_NE(named, object);
  EXPECT_EQ(named->count, 2u);
  EXPECT_EQ(object->count, 2u);
  ASSERT_EQ(strings->count, 2u);
  EXPECT_STREQ(strings->items[1], "sample");
  // Another call of one wrapper leaves the others' lists as they were.
  ASSERT_EQ(HostNamedListCall("a", nullptr, &named), 0);
  EXPECT_STREQ(object->items[0].ident.name, "sample");
  // A string list of the caller's own is released whole too.
  StringList own{0, nullptr};
  StringListAppend(&own, static_cast<char*>(std::memcpy(MemAlloc(2, 0), "x", 2)));
  strings = &own;
  host.SetFault(kHostApiExt14Index, 48, SimFault::kFail);
  EXPECT_EQ(HostExt14Call48("c", &strings), -1);
  EXPECT_EQ(own.items, nullptr);
  EXPECT_EQ(strings->count, 0u);
}

}  // namespace

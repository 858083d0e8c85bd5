// The lists the library keeps for a wrapper's caller: repeated calls, the caller's pointer null,
// designating a list of its own or the library's list, and failures in between. The sanitizers
// see every leak and double release.
#include <cstring>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "bridge/host_copy.h"
#include "bridge/host_fronts.h"
#include "bridge/host_wrappers.h"
#include "platform/win_memory.h"
#include "props/property_list.h"
#include "strings/memory.h"
#include "tests/bridge/bridge_fixture.h"
#include "tests/support/fault_injection.h"

namespace {

// The simulated host's HostApi, with what slot 32 receives noted before the host answers: the
// name, and the option list's entries' names.
class NotingApi final : public HostApi {
 public:
  explicit NotingApi(HostApi* inner) : inner_(inner) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return inner_->QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
#define HOST_SLOT(Interface, slot, Method, Shape, Type, Wrapper, Params) \
  HOST_FORWARD_##Interface(slot, Method, Shape, Type, Params)
#define HOST_FORWARD_HostApi(slot, Method, Shape, Type, Params)                \
  HRESULT STDMETHODCALLTYPE Method HOST_PARAMS(Shape, Type, Params) override { \
    Note(slot, HOST_ARGS(Shape, Params));                                      \
    if (Hand(slot, HOST_ARGS(Shape, Params))) return S_OK;                     \
    return inner_->Method(HOST_ARGS(Shape, Params));                           \
  }
#define HOST_FORWARD_OTHER(...)
#define HOST_FORWARD_HostApiExt1 HOST_FORWARD_OTHER
#define HOST_FORWARD_HostApiExt2 HOST_FORWARD_OTHER
#define HOST_FORWARD_HostApiExt3 HOST_FORWARD_OTHER
#define HOST_FORWARD_HostApiExt4 HOST_FORWARD_OTHER
#define HOST_FORWARD_HostApiExt5 HOST_FORWARD_OTHER
#define HOST_FORWARD_HostApiExt6 HOST_FORWARD_OTHER
#define HOST_FORWARD_HostApiExt7 HOST_FORWARD_OTHER
#define HOST_FORWARD_HostApiExt8 HOST_FORWARD_OTHER
#define HOST_FORWARD_HostApiExt9 HOST_FORWARD_OTHER
#define HOST_FORWARD_HostApiExt10 HOST_FORWARD_OTHER
#define HOST_FORWARD_HostApiExt11 HOST_FORWARD_OTHER
#define HOST_FORWARD_HostApiExt12 HOST_FORWARD_OTHER
#define HOST_FORWARD_HostApiExt13 HOST_FORWARD_OTHER
#define HOST_FORWARD_HostApiExt14 HOST_FORWARD_OTHER
#define HOST_FORWARD_HostMemoryPolicy HOST_FORWARD_OTHER
#define HOST_FORWARD_HostModuleLink HOST_FORWARD_OTHER
#define HOST_FORWARD_HostAuxiliary HOST_FORWARD_OTHER
#include "bridge/host_slots.inc"

  std::optional<std::string> name;   // slot 32's name as it arrived
  std::vector<std::string> options;  // the names of slot 32's option entries
  // When set, slots 99 (a StringList) and 32 (a PropertyValueList) hand over this list, built in
  // host memory during the call, instead of asking the simulated host.
  std::optional<std::vector<std::string>> handed;

 private:
  static char* HostText(const std::string& text) {
    auto* copy = static_cast<char*>(CoTaskMemAlloc(text.size() + 1));
    std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
  }
  template <typename... Args>
  bool Hand(int slot, Args... args) {
    if constexpr (sizeof...(Args) < 2) {
      return false;
    } else {
      if (!handed) return false;
      auto out = std::get<sizeof...(Args) - 1>(std::tuple<Args...>(args...));
      auto error = std::get<sizeof...(Args) - 2>(std::tuple<Args...>(args...));
      const auto count = static_cast<uint32_t>(handed->size());
      if constexpr (std::is_same_v<decltype(out), StringList*> &&
                    std::is_same_v<decltype(error), int32_t*>) {
        if (slot != 99) return false;
        auto** items = static_cast<char**>(CoTaskMemAlloc(count * sizeof(char*)));
        for (uint32_t i = 0; i < count; ++i) items[i] = HostText((*handed)[i]);
        *out = {count, items};
        *error = 0;
        return true;
      } else if constexpr (std::is_same_v<decltype(out), PropertyValueList*> &&
                           std::is_same_v<decltype(error), int32_t*>) {
        if (slot != 32) return false;
        auto* items = static_cast<PropertyValue*>(CoTaskMemAlloc(count * sizeof(PropertyValue)));
        std::memset(static_cast<void*>(items), 0, count * sizeof(PropertyValue));
        for (uint32_t i = 0; i < count; ++i) {
          items[i].ident = {0, HostText((*handed)[i])};
          items[i].value.valType = PropString;
          items[i].value.payload.string = HostText((*handed)[i]);
        }
        *out = {count, items};
        *error = 0;
        return true;
      } else {
        return false;
      }
    }
  }
  template <typename... Args>
  void Note(int slot, Args... args) {
    if constexpr (sizeof...(Args) == 4) {
      if (slot == 32) NoteNamed(args...);
    }
  }
  void NoteNamed(const char* text, const PropertyValueList* list, int32_t*, PropertyValueList*) {
    name.reset();
    options.clear();
    if (text != nullptr) name = text;
    for (uint32_t i = 0; list != nullptr && i < list->count; ++i) {
      const char* entry = list->items[i].ident.name;
      options.push_back(entry != nullptr ? entry : "#" + std::to_string(list->items[i].ident.num));
    }
  }
  template <typename... Args>
  void NoteNamed(Args...) {}
  HostApi* inner_;
};

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

// A host list the client cannot copy whole is a failed call: nothing partial is handed out, the
// host's blocks are all given back, and HostErrno says the memory ran out.
TEST_F(HostKeptListsTest, AListThatCannotBeCopiedWholeIsAFailure) {
  NotingApi noting(static_cast<HostApi*>(HostInterfaceTable[kHostApiIndex]));
  IUnknown* real = HostInterfaceTable[kHostApiIndex];
  HostInterfaceTable[kHostApiIndex] = &noting;
  const std::vector<std::string> texts = {"alpha", "beta", "gamma"};
  noting.handed = texts;
  // StringList: the pointer array and three strings; PropertyValueList: the items, then a name
  // and a string for each entry.
  for (long allowed = 0; allowed <= 7; ++allowed) {
    SCOPED_TRACE(allowed);
    HostErrno = 55;
    StringList strings{};
    {
      // The host's list is built inside the scope too: its four blocks come first.
      ScopedAllocationFailure refuse(4 + allowed);
      strings = HostGetStringList(1, 2, 3);
    }
    if (allowed >= 4) {
      ASSERT_EQ(strings.count, 3u);
      for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(strings.items[i], texts[i]);
      EXPECT_EQ(HostErrno, 55);
    } else {
      EXPECT_EQ(strings.count, 0u);
      EXPECT_EQ(strings.items, nullptr);
      EXPECT_EQ(HostErrno, ErrNoMemory);
    }
    HostDrop(strings);
    PropertyValueList* kept = nullptr;
    HostErrno = 55;
    int32_t status;
    {
      ScopedAllocationFailure refuse(7 + allowed);
      status = HostNamedListCall("n", nullptr, &kept);
    }
    ASSERT_NE(kept, nullptr);
    if (allowed >= 7) {
      EXPECT_EQ(status, 0);
      ASSERT_EQ(kept->count, 3u);
      EXPECT_STREQ(kept->items[2].value.payload.string, "gamma");
      EXPECT_EQ(HostErrno, 55);
    } else {
      EXPECT_NE(status, 0);
      EXPECT_EQ(kept->count, 0u);
      EXPECT_EQ(kept->items, nullptr);
      EXPECT_EQ(HostErrno, ErrNoMemory);
    }
  }
  HostInterfaceTable[kHostApiIndex] = real;
}

// The host is called before anything is released: a name held in the previous result, or the
// previous result passed back as options, reaches the host intact (the sanitizers see any read of
// a released block).
TEST_F(HostKeptListsTest, ArgumentsInsideThePreviousResultReachTheHost) {
  NotingApi noting(static_cast<HostApi*>(HostInterfaceTable[kHostApiIndex]));
  IUnknown* real = HostInterfaceTable[kHostApiIndex];
  HostInterfaceTable[kHostApiIndex] = &noting;
  PropertyValueList* result = nullptr;
  ASSERT_EQ(HostNamedListCall("first", nullptr, &result), 0);
  ASSERT_EQ(noting.name, "first");
  ASSERT_EQ(result->count, 2u);
  ASSERT_STREQ(result->items[0].ident.name, "sample");
  // The name of the previous result's first entry.
  EXPECT_EQ(HostNamedListCall(result->items[0].ident.name, nullptr, &result), 0);
  EXPECT_EQ(noting.name, "sample");
  EXPECT_EQ(result->count, 2u);
  // The previous result as the options.
  EXPECT_EQ(HostNamedListCall("second", result, &result), 0);
  EXPECT_EQ(noting.name, "second");
  EXPECT_EQ(noting.options, (std::vector<std::string>{"sample", "#7"}));
  EXPECT_EQ(result->count, 2u);
  // A failing call still releases the previous list (once) and leaves {0, null}.
  host.SetFault(kHostApiIndex, 32, SimFault::kFail);
  EXPECT_EQ(HostNamedListCall("third", result, &result), -1);
  EXPECT_EQ(noting.options.size(), 2u);
  EXPECT_EQ(result->count, 0u);
  EXPECT_EQ(result->items, nullptr);
  HostInterfaceTable[kHostApiIndex] = real;
}

}  // namespace

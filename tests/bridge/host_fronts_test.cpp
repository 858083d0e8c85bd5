// The fronts: which slot each reaches, with which ident and arguments. A host made from the slot
// table notes what every slot receives.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <type_traits>
#include <string>
#include <vector>

#include "bridge/client_state.h"
#include "bridge/host_copy.h"
#include "bridge/host_errno.h"
#include "bridge/host_fronts.h"
#include "hostsim/host_object.h"

namespace {

// What the last call of a noting host received.
struct Received {
  int slot = -1;
  std::vector<int64_t> numbers;       // every integer argument and HostValuePointer value
  std::vector<std::string> texts;     // every string argument, "(null)" for null
  std::vector<PropertyIdent> idents;  // the idents, names as they came
  std::vector<const void*> pointers;  // the pointers inside HostValuePointer records
};
Received g_received;

void NoteOne(int32_t v) {
  g_received.numbers.push_back(v);
}
void NoteOne(uint32_t v) {
  g_received.numbers.push_back(v);
}
void NoteOne(const char* text) {
  g_received.texts.push_back(text != nullptr ? text : "(null)");
}
void NoteOne(const PropertyIdent* ident) {
  g_received.idents.push_back(*ident);
}
void NoteOne(const HostValuePointer* record) {
  g_received.numbers.push_back(record->value);
  g_received.pointers.push_back(record->pointer);
}
void NoteOne(int32_t* error) {
  if (error != nullptr) *error = 0;
}
template <typename T>
void NoteOne(T) {}

template <typename... Args>
HRESULT Note(int slot, Args... args) {
  g_received = {};
  g_received.slot = slot;
  (NoteOne(args), ...);
  return S_OK;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#define HOST_INTERFACE(Name, ...)                                                               \
  class Noting##Name final : public Name {                                                      \
   public:                                                                                      \
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; } \
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }                                     \
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
#define HOST_SLOT(Interface, slot, Method, Shape, Type, Wrapper, Params)       \
  HRESULT STDMETHODCALLTYPE Method HOST_PARAMS(Shape, Type, Params) override { \
    return Note(slot, HOST_ARGS(Shape, Params));                               \
  }
#define HOST_INTERFACE_END(Name) \
  }                              \
  ;
#include "bridge/host_slots.inc"
#pragma GCC diagnostic pop

class HostFrontsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostErrno = 0;
    HostInterfaceTable[kHostApiIndex] = &api_;
    HostInterfaceTable[kHostApiExt10Index] = &ext10_;
  }
  void TearDown() override {
    HostInterfaceTable[kHostApiIndex] = nullptr;
    HostInterfaceTable[kHostApiExt10Index] = nullptr;
  }
  NotingHostApi api_;
  NotingHostApiExt10 ext10_;
};

constexpr int32_t kAsked = 300;  // the property number a caller asks for
const char* const kNull = nullptr;

TEST_F(HostFrontsTest, EachFrontReachesItsSlotWithItsIdent) {
  int marker = 0;
  const struct {
    int line;
    std::function<void()> call;
    int slot;
    int32_t num;       // of the ident passed, -1 for none
    const char* name;  // of the ident passed
    std::vector<int64_t> numbers;
    std::vector<std::string> texts;
  } rows[] = {
      {__LINE__, [] { HostGetInt(1, 2, kAsked); }, 85, kAsked, kNull, {1, 2}, {}},
      {__LINE__, [] { HostGetIntByName(1, 2, "n"); }, 85, 0, "n", {1, 2}, {}},
      {__LINE__, [] { HostSetInt(1, 2, kAsked, 7); }, 86, kAsked, kNull, {1, 2, 7}, {}},
      {__LINE__, [] { HostSetIntByName(1, 2, "n", 7); }, 86, 0, "n", {1, 2, 7}, {}},
      {__LINE__, [] { HostGetWord(1, 2, kAsked); }, 91, kAsked, kNull, {1, 2}, {}},
      {__LINE__, [] { HostGetWordByName(1, 2, "w"); }, 91, 0, "w", {1, 2}, {}},
      {__LINE__, [] { HostSetWord(1, 2, kAsked, 8); }, 92, kAsked, kNull, {1, 2, 8}, {}},
      {__LINE__, [] { HostSetWordByName(1, 2, "w", 8); }, 92, 0, "w", {1, 2, 8}, {}},
      {__LINE__, [] { HostGetTypedValue(1, 2, kAsked); }, 79, kAsked, kNull, {1, 2}, {}},
      {__LINE__, [] { HostSetTypedValue(1, 2, kAsked, nullptr); }, 80, kAsked, kNull, {1, 2}, {}},
      {__LINE__, [] { HostGetPropertyValue(1, 2, kAsked); }, 81, kAsked, kNull, {1, 2}, {}},
      {__LINE__, [] { HostGetId(1, 2, kAsked); }, 89, kAsked, kNull, {1, 2}, {}},
      {__LINE__, [] { HostSetId(1, 2, kAsked, 9); }, 90, kAsked, kNull, {1, 2, 9}, {}},
      {__LINE__, [] { HostGetRecord16(1, 2, kAsked); }, 95, kAsked, kNull, {1, 2}, {}},
      {__LINE__, [] { HostSetString(1, 2, kAsked, "s"); }, 98, kAsked, kNull, {1, 2}, {"s"}},
      {__LINE__, [] { HostGetTextEntries(1, 2, kAsked); }, 105, kAsked, kNull, {1, 2}, {}},
      {__LINE__, [] { HostSetRecord24(1, 2, kAsked, nullptr); }, 121, kAsked, kNull, {1, 2}, {}},
      {__LINE__, [] { HostGetTypedValue2(1, 2, kAsked); }, 141, kAsked, kNull, {1, 2}, {}},
      {__LINE__, [] { HostGetPropertyValue2(1, 2, kAsked); }, 143, kAsked, kNull, {1, 2}, {}},
      {__LINE__, [] { HostPropertyStatusByName(1, 2, "p"); }, 75, 0, "p", {1, 2}, {}},
      {__LINE__, [] { HostGetByteListByName(1, 2, "b"); }, 107, 0, "b", {1, 2}, {}},
      {__LINE__, [] { HostSetByteListByName(1, 2, "b", nullptr); }, 108, 0, "b", {1, 2}, {}},
      // The fixed fronts pass their own number whatever the caller wants.
      {__LINE__, [] { HostGetQwordListFixed(1, 2); }, 113, 1488, kNull, {1, 2}, {}},
      {__LINE__, [] { HostGetCompoundEntriesFixed(1, 2); }, 116, 1584, kNull, {1, 2}, {}},
      {__LINE__, [] { HostSetCompoundEntriesFixed(1, 2, nullptr); }, 117, 1584, kNull, {1, 2}, {}},
      {__LINE__, [] { HostGetNamedStringsFixed(1, 2); }, 118, 1634, kNull, {1, 2}, {}},
      {__LINE__, [] { HostSetNamedStringsFixed(1, 2, nullptr); }, 119, 1634, kNull, {1, 2}, {}},
      {__LINE__, [] { HostGetNamedStringsPairsFixed(1, 2); }, 44, 1670, kNull, {1, 2}, {}},
      {__LINE__, [] { HostSetNamedStringsPairsFixed(1, 2, nullptr); }, 45, 1670, kNull, {1, 2}, {}},
      // Fronts that fill fixed arguments.
      {__LINE__,
       [] { HostCall25Text("t", nullptr); },
       25,
       -1,
       kNull,
       {0},
       {"t", "(null)", "(null)"}},
      {__LINE__, [&] { HostCall7With(6, &marker); }, 7, -1, kNull, {6}, {}},
      {__LINE__, [] { HostCall137First(1, 2, 3, 4); }, 137, -1, kNull, {1, 2, 3, 4, 0, 0}, {}},
      {__LINE__, [] { HostCall137Last(1, 2, 5, 6); }, 137, -1, kNull, {1, 2, 0, 0, 5, 6}, {}},
      {__LINE__, [] { HostCall139On(1, 2, 3, 4); }, 139, -1, kNull, {1, 2, 3, 4, 1}, {}},
      {__LINE__, [] { HostCall139Off(1, 2, 3, 4); }, 139, -1, kNull, {1, 2, 3, 4, 0}, {}},
      {__LINE__, [] { HostSetOption104(12); }, 86, 104, kNull, {0, 0, 12}, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    row.call();
    EXPECT_EQ(g_received.slot, row.slot);
    EXPECT_EQ(g_received.numbers, row.numbers);
    EXPECT_EQ(g_received.texts, row.texts);
    if (row.num < 0) {
      EXPECT_TRUE(g_received.idents.empty());
      continue;
    }
    ASSERT_EQ(g_received.idents.size(), 1u);
    EXPECT_EQ(g_received.idents[0].num, row.num);
    if (row.name == nullptr) {
      EXPECT_EQ(g_received.idents[0].name, nullptr);  // a numbered ident has no name
    } else {
      EXPECT_STREQ(g_received.idents[0].name, row.name);
    }
  }
  HostCall7With(6, &marker);
  ASSERT_EQ(g_received.pointers.size(), 1u);
  EXPECT_EQ(g_received.pointers[0], &marker);
}

// Every numbered and named property front, generated from the fronts' own list, against the slot
// each must reach, written out here from the host's property table.
TEST_F(HostFrontsTest, EveryPropertyFrontReachesThePublishedSlot) {
  const std::map<std::string, int> published = {
      {"HostGetTypedValue", 79},
      {"HostSetTypedValue", 80},
      {"HostGetPropertyValue", 81},
      {"HostGetInt", 85},
      {"HostGetIntByName", 85},
      {"HostSetInt", 86},
      {"HostSetIntByName", 86},
      {"HostGetIntList", 87},
      {"HostSetIntList", 88},
      {"HostGetId", 89},
      {"HostSetId", 90},
      {"HostGetWord", 91},
      {"HostGetWordByName", 91},
      {"HostSetWord", 92},
      {"HostSetWordByName", 92},
      {"HostGetQword", 93},
      {"HostSetQword", 94},
      {"HostGetRecord16", 95},
      {"HostSetRecord16", 96},
      {"HostGetString", 97},
      {"HostSetString", 98},
      {"HostGetStringList", 99},
      {"HostSetStringList", 100},
      {"HostGetIntList2", 101},
      {"HostSetIntList2", 102},
      {"HostGetQwordList", 103},
      {"HostSetQwordList", 104},
      {"HostGetTextEntries", 105},
      {"HostSetTextEntries", 106},
      {"HostPropertyStatusByName", 75},
      {"HostGetByteListByName", 107},
      {"HostSetByteListByName", 108},
      {"HostGetRecord24", 120},
      {"HostSetRecord24", 121},
      {"HostGetTypedValue2", 141},
      {"HostGetPropertyValue2", 143},
  };
  struct Front {
    const char* name;
    bool named;
    std::function<void()> call;
  };
  const Front fronts[] = {
#define FRONT_CALL_GetNumber(F, T) \
  [] {                             \
    auto got = F(1, 2, kAsked);    \
    HostDrop(got);                 \
  }
#define FRONT_CALL_SetNumber(F, T) [] { F(1, 2, kAsked, std::type_identity_t<T>{}); }
#define FRONT_CALL_GetName(F, T) \
  [] {                           \
    auto got = F(1, 2, "n");     \
    HostDrop(got);               \
  }
#define FRONT_CALL_SetName(F, T) [] { F(1, 2, "n", std::type_identity_t<T>{}); }
#define FRONT_ROW(Form, F, W, T) \
  {#F, std::string(#Form).find("Name") != std::string::npos, FRONT_CALL_##Form(F, T)},
      HOST_PROPERTY_FRONTS(FRONT_ROW)
#undef FRONT_ROW
  };
  EXPECT_EQ(std::size(fronts), published.size());
  for (const Front& front : fronts) {
    SCOPED_TRACE(front.name);
    auto it = published.find(front.name);
    ASSERT_NE(it, published.end()) << "a front the host's table does not list";
    front.call();
    EXPECT_EQ(g_received.slot, it->second);
    ASSERT_EQ(g_received.idents.size(), 1u);
    EXPECT_EQ(g_received.idents[0].num, front.named ? 0 : kAsked);
    if (front.named) {
      EXPECT_STREQ(g_received.idents[0].name, "n");
    } else {
      EXPECT_EQ(g_received.idents[0].name, nullptr);
    }
    ASSERT_GE(g_received.numbers.size(), 2u);  // the document and the object, in that order
    EXPECT_EQ(g_received.numbers[0], 1);
    EXPECT_EQ(g_received.numbers[1], 2);
  }
}

// The option-104 front reports its own outcome and leaves HostErrno as the caller had it.
TEST(HostOptionFrontTest, ReportsItsOutcomeAndRestoresHostErrno) {
  const struct {
    int line;
    bool connected;
    SimFault fault;
    int32_t result;
  } rows[] = {
      {__LINE__, true, SimFault::kNone, 0},   {__LINE__, true, SimFault::kCode, -1},
      {__LINE__, true, SimFault::kBusy, -1},  {__LINE__, true, SimFault::kNoCode, -1},
      {__LINE__, false, SimFault::kNone, -1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    SimHost host;
    void* api = nullptr;
    ASSERT_EQ(host.Object()->QueryInterface(IID_HostApi, &api), S_OK);
    HostInterfaceTable[kHostApiIndex] = row.connected ? static_cast<IUnknown*>(api) : nullptr;
    host.SetFault(kHostApiIndex, 86, row.fault, 3);
    HostErrno = 77;
    EXPECT_EQ(HostSetOption104(5), row.result);
    EXPECT_EQ(HostErrno, 77);
    EXPECT_EQ(host.Calls(kHostApiIndex, 86), row.connected ? 1 : 0);
    HostInterfaceTable[kHostApiIndex] = nullptr;
    static_cast<IUnknown*>(api)->Release();
  }
}

}  // namespace

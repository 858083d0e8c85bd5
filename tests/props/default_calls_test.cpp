// The convenience calls: which options and name reach the host, what they return, and that both
// lists are released (the sanitizers see the rest).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bridge/client_state.h"
#include "bridge/host_errno.h"
#include "bridge/host_interfaces.h"
#include "bridge/host_wrappers.h"
#include "encoding/dialog_encoding.h"
#include "platform/win_memory.h"
#include "props/default_lists.h"
#include "tests/support/host_stubs.h"

namespace {

// What a list call received.
struct Call {
  int slot = 0;
  ObjectId object = 0;
  const char* name = nullptr;
  std::vector<int32_t> numbers;  // of the options, in order
};

// Answers the two list calls with code, and a one-entry result list in host memory.
class ListHost final : public StubHostApi {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE NamedListCall(const char* name, const PropertyValueList* options,
                                          int32_t* error, PropertyValueList* result) override {
    return Answer(32, 0, name, options, error, result);
  }
  HRESULT STDMETHODCALLTYPE ObjectListCall(ObjectId object, const char* name,
                                           const PropertyValueList* options, int32_t* error,
                                           PropertyValueList* result) override {
    return Answer(33, object, name, options, error, result);
  }

  std::vector<Call> calls;
  int32_t code = 0;

 private:
  HRESULT Answer(int slot, ObjectId object, const char* name, const PropertyValueList* options,
                 int32_t* error, PropertyValueList* result) {
    Call call{slot, object, name, {}};
    for (uint32_t i = 0; options != nullptr && i < options->count; ++i) {
      call.numbers.push_back(options->items[i].ident.num);
    }
    calls.push_back(call);
    auto* entry = static_cast<PropertyValue*>(CoTaskMemAlloc(sizeof(PropertyValue)));
    std::memset(entry, 0, sizeof *entry);
    auto* text = static_cast<char*>(CoTaskMemAlloc(4));
    std::memcpy(text, "out", 4);
    entry->value.valType = PropString;
    entry->value.payload.string = text;
    *result = {1, entry};
    *error = code;
    return S_OK;
  }
};

PropertyValueList RefuseAlloc(uint32_t) {
  return {0, nullptr};
}

class DefaultCallsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostErrno = 0;
    SharedHostMemory = 0;
    saved_ = CurrentDialogEncoding;
    HostInterfaceTable[kHostApiIndex] = &host_;
  }
  void TearDown() override {
    HostInterfaceTable[kHostApiIndex] = nullptr;
    CurrentDialogEncoding = saved_;
    PropDefaultsAllocate = PropListAlloc;
  }
  ListHost host_;
  DialogEncoding saved_ = kDialogHostRoman;
};

const std::vector<int32_t> kNamedNumbers = {1,  2,  14, 15, 16, 17, 18, 19, 20,
                                            21, 22, 23, 28, 24, 25, 4,  44};

TEST_F(DefaultCallsTest, OptionsAndNameThatReachTheHost) {
  const char* const name = "name";
  std::vector<int32_t> with29 = kNamedNumbers;
  with29.push_back(29);
  const struct {
    int line;
    std::function<int32_t()> call;
    int slot;
    ObjectId object;
    std::vector<int32_t> numbers;
    bool convertsName;  // outside UTF-8, the name reaching the host is a converted copy
  } rows[] = {
      {__LINE__, [&] { return PropCallNamedWithDefaults(name, 1); }, 32, 0, kNamedNumbers, true},
      {__LINE__, [&] { return PropCallNamedWithDefaults(name, 0); }, 32, 0, {}, true},
      {__LINE__, [&] { return PropCallNamedWith29(name, 1); }, 32, 0, with29, false},
      {__LINE__, [&] { return PropCallNamedWith29(name, 0); }, 32, 0, {29}, false},
      {__LINE__, [&] { return PropCallObjectWithDefaults(9, name, 1); }, 33, 9, {4, 5, 8, 2}, true},
      {__LINE__, [&] { return PropCallObjectWithDefaults(9, name, 0); }, 33, 9, {}, true},
  };
  for (DialogEncoding encoding : {kDialogUtf8, kDialogHostRoman}) {
    for (const auto& row : rows) {
      SCOPED_TRACE(std::to_string(row.line) + (encoding == kDialogUtf8 ? " UTF-8" : " HostRoman"));
      CurrentDialogEncoding = encoding;
      host_.calls.clear();
      host_.code = 0;
      EXPECT_EQ(row.call(), 0);
      ASSERT_EQ(host_.calls.size(), 1u);
      const Call& call = host_.calls[0];
      EXPECT_EQ(call.slot, row.slot);
      EXPECT_EQ(call.object, row.object);
      EXPECT_EQ(call.numbers, row.numbers);
      const bool converted = encoding != kDialogUtf8 && row.convertsName;
      EXPECT_EQ(call.name == name, !converted);
      // The host's own code is the result, and both lists are still released.
      host_.code = 6;
      EXPECT_EQ(row.call(), 6);
      EXPECT_EQ(HostErrno, 6);
      HostErrno = 0;
    }
  }
}

// The result list the host hands over is given back by the call: the wrapper's library-owned list
// is empty afterwards, whatever the host answered.
TEST_F(DefaultCallsTest, TheResultListIsGivenBack) {
  PropertyValueList* named = nullptr;
  PropertyValueList* object = nullptr;
  ASSERT_EQ(HostNamedListCall("n", nullptr, &named), 0);
  ASSERT_EQ(HostObjectListCall(1, "n", nullptr, &object), 0);
  ASSERT_EQ(named->count, 1u);  // the library's own lists, which the calls below reuse
  ASSERT_EQ(object->count, 1u);
  const struct {
    int line;
    std::function<int32_t()> call;
    PropertyValueList* kept;
  } rows[] = {
      {__LINE__, [] { return PropCallNamedWithDefaults("n", 1); }, named},
      {__LINE__, [] { return PropCallNamedWithDefaults("n", 0); }, named},
      {__LINE__, [] { return PropCallNamedWith29("n", 1); }, named},
      {__LINE__, [] { return PropCallNamedWith29("n", 0); }, named},
      {__LINE__, [] { return PropCallObjectWithDefaults(3, "n", 1); }, object},
      {__LINE__, [] { return PropCallObjectWithDefaults(3, "n", 0); }, object},
  };
  for (int32_t code : {0, 6}) {
    for (const auto& row : rows) {
      SCOPED_TRACE(std::to_string(row.line) + " code " + std::to_string(code));
      ASSERT_EQ(HostNamedListCall("n", nullptr, &named), 0);
      ASSERT_EQ(HostObjectListCall(1, "n", nullptr, &object), 0);
      host_.code = code;
      EXPECT_EQ(row.call(), code);
      host_.code = 0;
      EXPECT_EQ(row.kept->count, 0u);
      EXPECT_EQ(row.kept->items, nullptr);
    }
  }
}

TEST_F(DefaultCallsTest, NoOptionsListMeansNoHostCall) {
  PropDefaultsAllocate = RefuseAlloc;
  const struct {
    int line;
    std::function<int32_t()> call;
    size_t calls;  // those that need no list still call the host
  } rows[] = {
      {__LINE__, [] { return PropCallNamedWithDefaults("n", 1); }, 0},
      {__LINE__, [] { return PropCallNamedWith29("n", 1); }, 0},
      {__LINE__, [] { return PropCallNamedWith29("n", 0); }, 0},
      {__LINE__, [] { return PropCallObjectWithDefaults(3, "n", 1); }, 0},
      {__LINE__, [] { return PropCallNamedWithDefaults("n", 0); }, 1},
      {__LINE__, [] { return PropCallObjectWithDefaults(3, "n", 0); }, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    host_.calls.clear();
    HostErrno = 0;
    EXPECT_EQ(row.call(), 0);
    EXPECT_EQ(host_.calls.size(), row.calls);
    EXPECT_EQ(HostErrno, row.calls == 0 ? ErrNoDefaultList : 0);
  }
}

}  // namespace

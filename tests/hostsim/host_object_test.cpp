// The simulated host object: interfaces and references, documents and markers, tracked memory,
// and calls back into a client.
#include <gtest/gtest.h>

#include <memory>

#include "bridge/client_entry.h"
#include "bridge/client_state.h"
#include "bridge/connection.h"
#include "bridge/host_calls.h"
#include "bridge/host_errno.h"
#include "hostsim/host_object.h"
#include "platform/win_memory.h"
#include "strings/memory.h"

namespace {

constexpr IID kUnknownIid = {0xDEADBEEF, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};

TEST(SimHostTest, QueryInterfaceAndReferences) {
  SimHost host;
  host.Offer(kHostApiExt7Index, false);
  for (int i = 0; i < kHostInterfaceCount; ++i) {
    SCOPED_TRACE(HostInterfaceName(i));
    void* face = reinterpret_cast<void*>(1);
    HRESULT hr = host.Object()->QueryInterface(HostInterfaceIid(i), &face);
    if (i == kHostApiExt7Index) {
      EXPECT_EQ(hr, E_NOINTERFACE);
      EXPECT_EQ(face, nullptr);
      continue;
    }
    ASSERT_EQ(hr, S_OK);
    EXPECT_EQ(host.Outstanding(i), 1);
    // Every face answers for the whole object.
    void* again = nullptr;
    ASSERT_EQ(static_cast<IUnknown*>(face)->QueryInterface(IID_HostApi, &again), S_OK);
    void* identity = nullptr;
    ASSERT_EQ(static_cast<IUnknown*>(face)->QueryInterface(IID_IUnknown, &identity), S_OK);
    EXPECT_EQ(identity, host.Object());
    static_cast<IUnknown*>(identity)->Release();
    static_cast<IUnknown*>(again)->Release();
    EXPECT_EQ(static_cast<IUnknown*>(face)->Release(), 0u);
  }
  void* none = nullptr;
  EXPECT_EQ(host.Object()->QueryInterface(kUnknownIid, &none), E_NOINTERFACE);
  EXPECT_EQ(host.OutstandingTotal(), 0);
  EXPECT_EQ(host.OverReleases(), 0);
  host.Object()->Release();
  EXPECT_EQ(host.OverReleases(), 1);
}

TEST(SimHostTest, OfferOnly) {
  SimHost host;
  host.OfferOnly({kHostApiIndex, kHostAuxiliaryIndex});
  for (int i = 0; i < kHostInterfaceCount; ++i) {
    SCOPED_TRACE(HostInterfaceName(i));
    void* face = nullptr;
    bool offered = i == kHostApiIndex || i == kHostAuxiliaryIndex;
    EXPECT_EQ(host.Object()->QueryInterface(HostInterfaceIid(i), &face) == S_OK, offered);
    if (face != nullptr) static_cast<IUnknown*>(face)->Release();
  }
}

// A connected client for the tests that read the documents through the bridge.
class SimHostClientTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostErrno = 0;
    ASSERT_EQ(F_ApiClientInit(nullptr, host.Object(), nullptr, nullptr), 0);
  }
  void TearDown() override {
    host.ReleaseSink();
    EXPECT_EQ(host.OutstandingTotal(), 0);
    EXPECT_EQ(ClientSink, nullptr);
  }
  SimHost host;
};

TEST_F(SimHostClientTest, MarkerChains) {
  ObjectId doc = host.AddDocument(1);
  ObjectId empty = host.AddDocument(0);
  ObjectId m1 = host.AddMarker(doc, "Index", "one");
  ObjectId m2 = host.AddMarker(doc, std::nullopt, std::nullopt);
  ObjectId m3 = host.AddMarker(doc, "Tansel", "three");
  EXPECT_EQ(HostGetInt(doc, doc, 110), 1);
  EXPECT_EQ(HostGetInt(empty, empty, 110), 0);
  EXPECT_EQ(HostGetId(empty, empty, 116), 0u);
  EXPECT_EQ(HostGetId(doc, doc, 116), m1);
  EXPECT_EQ(HostGetId(doc, m1, 1051), m2);
  EXPECT_EQ(HostGetId(doc, m2, 1051), m3);
  EXPECT_EQ(HostGetId(doc, m3, 1051), 0u);
  EXPECT_EQ(HostErrno, 0);
  const struct {
    int line;
    ObjectId marker;
    int32_t number;
    const char* expected;  // null: the host answers null
  } rows[] = {
      {__LINE__, m1, 20, "Index"},   {__LINE__, m1, 1050, "one"},  {__LINE__, m2, 20, nullptr},
      {__LINE__, m2, 1050, nullptr}, {__LINE__, m3, 20, "Tansel"}, {__LINE__, m3, 1050, "three"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    char* value = HostGetString(doc, row.marker, row.number);
    if (row.expected == nullptr) {
      EXPECT_EQ(value, nullptr);
    } else {
      EXPECT_STREQ(value, row.expected);
    }
    MemFree(value);
  }
  EXPECT_EQ(HostErrno, 0);
  EXPECT_EQ(host.BlocksHandedOut(), 4u);
  EXPECT_EQ(host.BlocksFreedByClient(), 4u);
}

TEST_F(SimHostClientTest, BadRequestsAnswerTheHostsCodes) {
  ObjectId doc = host.AddDocument(1);
  ObjectId marker = host.AddMarker(doc, "T", "x");
  const struct {
    int line;
    ObjectId document, object;
    int32_t number;
    int32_t code;
  } rows[] = {
      {__LINE__, doc, doc, 999, kSimNoSuchProperty},
      {__LINE__, 12345, doc, 110, kSimNoSuchObject},
      {__LINE__, marker, marker, 20, kSimNoSuchObject},  // a marker is not a document
      {__LINE__, doc, 12345, 110, kSimNoSuchObject},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    HostErrno = 0;
    EXPECT_EQ(HostGetInt(row.document, row.object, row.number), 0);
    EXPECT_EQ(HostErrno, row.code);
  }
  host.RemoveProperty(doc, 110);
  HostErrno = 0;
  EXPECT_EQ(HostGetInt(doc, doc, 110), 0);
  EXPECT_EQ(HostErrno, kSimNoSuchProperty);
}

TEST_F(SimHostClientTest, DocumentsFromAFile) {
  std::vector<SimDocument> documents;
  std::string error;
  ASSERT_TRUE(ParseDocuments(R"({"documents": [
      {"name": "A", "id": 7, "strings": {"30": "title"},
       "markers": [{"type": "Tansel", "text": "Hello"}, {"type": null, "text": "x"}]}]})",
                             "test", documents, error))
      << error;
  host.AddDocuments(documents);
  EXPECT_EQ(HostGetInt(7, 7, 110), 1);
  ObjectId first = HostGetId(7, 7, 116);
  ASSERT_NE(first, 0u);
  char* type = HostGetString(7, first, 20);
  EXPECT_STREQ(type, "Tansel");
  MemFree(type);
  ObjectId second = HostGetId(7, first, 1051);
  ASSERT_NE(second, 0u);
  EXPECT_EQ(HostGetString(7, second, 20), nullptr);
  EXPECT_EQ(HostGetId(7, second, 1051), 0u);
  char* title = HostGetString(7, 7, 30);
  EXPECT_STREQ(title, "title");
  MemFree(title);
  // Markers added later join the chain's end.
  ObjectId third = host.AddMarker(7, "Late", "y");
  EXPECT_EQ(HostGetId(7, second, 1051), third);
}

TEST_F(SimHostClientTest, SinkCallsAndShutDown) {
  EXPECT_TRUE(host.HasSink());
  EXPECT_EQ(host.SendInitialize(1), S_OK);
  EXPECT_EQ(host.SendNotify(2, 1, nullptr, 0), S_OK);
  EXPECT_EQ(host.SendQuit(), S_OK);
  host.ReleaseSink();
  EXPECT_FALSE(host.HasSink());
  EXPECT_EQ(host.SinkRefCount(), 0);
  EXPECT_EQ(host.SendInitialize(1), E_UNEXPECTED);
  EXPECT_EQ(host.SendCmsCommand(1, nullptr, 0, nullptr, nullptr), E_UNEXPECTED);
  EXPECT_EQ(ClientStopped, 1);
}

TEST(SimHostMemoryTest, TracksWhichBlocksTheClientFreed) {
  SimHost host;
  ObjectId doc = host.AddDocument();
  host.SetString(doc, 30, "abc");
  void* face = nullptr;
  ASSERT_EQ(host.Object()->QueryInterface(IID_HostApi, &face), S_OK);
  auto* api = static_cast<HostApi*>(face);
  const PropertyIdent ident = {30, nullptr};
  char* blocks[3] = {};
  for (char*& b : blocks) {
    int32_t error = -1;
    ASSERT_EQ(api->GetStringProp(doc, doc, &ident, &error, &b), S_OK);
    EXPECT_EQ(error, 0);
    EXPECT_STREQ(b, "abc");
  }
  CoTaskMemFree(blocks[1]);
  MemFree(MemAlloc(4, 0));  // the client's own blocks are not the host's
  ASSERT_EQ(host.BlocksHandedOut(), 3u);
  EXPECT_FALSE(host.BlockFreed(0));
  EXPECT_TRUE(host.BlockFreed(1));
  EXPECT_FALSE(host.BlockFreed(2));
  EXPECT_EQ(host.BlocksFreedByClient(), 1u);
  api->Release();
  // Not shared: the two blocks left are the client's to free, not the host's.
  CoTaskMemFree(blocks[0]);
  CoTaskMemFree(blocks[2]);
  EXPECT_EQ(host.BlocksFreedByClient(), 3u);
}

TEST(SimHostMemoryTest, SharedBlocksStayTheHosts) {
  // The host frees what it handed out as shared memory itself: a leak or a double free would fail
  // under the sanitizer.
  SimHost host;
  host.SetSharedMemory(true);
  ObjectId doc = host.AddDocument();
  host.SetString(doc, 30, "kept");
  void* face = nullptr;
  ASSERT_EQ(host.Object()->QueryInterface(IID_HostApi, &face), S_OK);
  const PropertyIdent ident = {30, nullptr};
  char* block = nullptr;
  int32_t error = -1;
  ASSERT_EQ(static_cast<HostApi*>(face)->GetStringProp(doc, doc, &ident, &error, &block), S_OK);
  EXPECT_STREQ(block, "kept");
  EXPECT_FALSE(host.BlockFreed(0));
  static_cast<IUnknown*>(face)->Release();
}

// Hosts end in any order: the frees of a block of a later host reach it after an earlier host has
// ended, and once both have ended the task allocator's frees reach neither (the sanitizers would
// see a host that has ended being told).
TEST(SimHostMemoryTest, HostsEndInAnyOrder) {
  auto first = std::make_unique<SimHost>();
  auto second = std::make_unique<SimHost>();
  const ObjectId doc = second->AddDocument();
  second->SetString(doc, 30, "later");
  void* face = nullptr;
  ASSERT_EQ(second->Object()->QueryInterface(IID_HostApi, &face), S_OK);
  const PropertyIdent ident = {30, nullptr};
  char* block = nullptr;
  int32_t error = -1;
  ASSERT_EQ(static_cast<HostApi*>(face)->GetStringProp(doc, doc, &ident, &error, &block), S_OK);
  static_cast<IUnknown*>(face)->Release();
  first.reset();
  CoTaskMemFree(block);
  EXPECT_TRUE(second->BlockFreed(0));
  EXPECT_TRUE(second->MemoryFaults().empty());
  second.reset();
  CoTaskMemFree(CoTaskMemAlloc(8));
}

}  // namespace

// The simulated host as a server module: the proxies it hands a client, its hold on the client's
// sink, its start-up, and the client program run against it end to end.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "bridge/client_state.h"
#include "bridge/connection.h"
#include "bridge/host_interfaces.h"
#include "bridge/notification_sink.h"
#include "hostsim/host_object.h"
#include "platform/com_creation.h"
#include "platform/com_runtime.h"
#include "platform/win_message.h"
#include "platform/win_module.h"

namespace {

typedef int (*SessionCountFn)();
typedef SimHost* (*SessionHostFn)(int);

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

class HostServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("TANSEL_SIM_DOCUMENTS");
    unsetenv("TANSEL_SIM_BUSY_MS");
    unsetenv(kHostClassVariable);
    ASSERT_EQ(ComRegisterServer(kDefaultHostClass, HOST_SERVER_PATH), S_OK);
    module_ = LoadLibraryA(HOST_SERVER_PATH);
    ASSERT_NE(module_, nullptr);
    count_ = Export<SessionCountFn>(module_, "SimServerSessionCount");
    host_ = Export<SessionHostFn>(module_, "SimServerHost");
    ASSERT_TRUE(count_ && host_);
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
  }
  void TearDown() override {
    HostDisconnect();
    CoUninitialize();
    EXPECT_EQ(ComInitializeDepth(), 0u);
    ComRevokeServer(kDefaultHostClass);
    FreeLibrary(module_);
  }
  // A new host object, asked for iid.
  IUnknown* Create(REFIID iid = IID_IUnknown) {
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(kDefaultHostClass, nullptr, CLSCTX_SERVER, iid, &object), S_OK);
    return static_cast<IUnknown*>(object);
  }
  SimHost* Last() { return host_(count_() - 1); }

  HMODULE module_ = nullptr;
  SessionCountFn count_ = nullptr;
  SessionHostFn host_ = nullptr;
};

TEST_F(HostServerTest, TheProxiesCountOnTheHostsOwnFaces) {
  IUnknown* object = Create();
  ASSERT_NE(object, nullptr);
  SimHost* host = Last();
  EXPECT_EQ(host->Outstanding(kHostInterfaceCount), 1);  // the identity
  for (int i = 0; i < kHostInterfaceCount; ++i) {
    SCOPED_TRACE(HostInterfaceName(i));
    void* face = nullptr;
    ASSERT_EQ(object->QueryInterface(HostInterfaceIid(i), &face), S_OK);
    EXPECT_EQ(host->Outstanding(i), 1);
    void* again = nullptr;
    ASSERT_EQ(static_cast<IUnknown*>(face)->QueryInterface(HostInterfaceIid(i), &again), S_OK);
    EXPECT_EQ(again, face);  // one proxy per face
    EXPECT_EQ(host->Outstanding(i), 2);
    void* identity = nullptr;
    ASSERT_EQ(static_cast<IUnknown*>(face)->QueryInterface(IID_IUnknown, &identity), S_OK);
    EXPECT_EQ(identity, object);
    static_cast<IUnknown*>(identity)->Release();
    static_cast<IUnknown*>(again)->Release();
    static_cast<IUnknown*>(face)->Release();
    EXPECT_EQ(host->Outstanding(i), 0);
  }
  // A withdrawn interface is refused through the proxy too.
  host->Offer(kHostApiExt3Index, false);
  void* face = &face;
  EXPECT_EQ(object->QueryInterface(IID_HostApiExt3, &face), E_NOINTERFACE);
  EXPECT_EQ(face, nullptr);
  object->Release();
  EXPECT_EQ(host->OutstandingTotal(), 0);
  EXPECT_EQ(host->OverReleases(), 0);
}

TEST_F(HostServerTest, EverySlotCrossesTheChannel) {
  auto* api = static_cast<HostApi*>(static_cast<void*>(Create(IID_HostApi)));
  ASSERT_NE(api, nullptr);
  SimHost* host = Last();
  host->SetFault(kHostApiIndex, 4, SimFault::kFail);
  int32_t value = 0;
  EXPECT_EQ(api->Slot4(0, 0, &value), E_FAIL);  // an open slot, forwarded
  EXPECT_EQ(api->Slot5(0), S_OK);               // and its default answer
  EXPECT_EQ(host->Calls(kHostApiIndex, 4), 1);
  EXPECT_EQ(host->LastCall(), std::make_pair(static_cast<int>(kHostApiIndex), 5));
  int32_t error = 0;
  EXPECT_EQ(api->SetNotification(2, 1, &error), S_OK);
  EXPECT_EQ(host->NotificationState(2), 1);
  api->Release();
}

TEST_F(HostServerTest, OnlyTheHostsClassAndNoAggregation) {
  HMODULE module = LoadLibraryA(HOST_SERVER_PATH);
  auto getClassObject = Export<DllGetClassObjectFn>(module, "DllGetClassObject");
  ASSERT_NE(getClassObject, nullptr);
  const CLSID other = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  void* factory = nullptr;
  EXPECT_EQ(getClassObject(other, IID_IClassFactory, &factory), CLASS_E_CLASSNOTAVAILABLE);
  ASSERT_EQ(getClassObject(kDefaultHostClass, IID_IClassFactory, &factory), S_OK);
  void* object = &object;
  IUnknown* outer = reinterpret_cast<IUnknown*>(&object);  // never called
  EXPECT_EQ(static_cast<IClassFactory*>(factory)->CreateInstance(outer, IID_IUnknown, &object),
            CLASS_E_NOAGGREGATION);
  EXPECT_EQ(object, nullptr);
  static_cast<IClassFactory*>(factory)->Release();
  FreeLibrary(module);
}

TEST_F(HostServerTest, TheHostsHoldOnTheSinkIsCutWhenTheClientDisconnects) {
  ASSERT_EQ(HostConnect(nullptr, nullptr, nullptr), 0);
  SimHost* host = Last();
  ASSERT_TRUE(host->HasSink());
  const ULONG stubs = ComStubCount();
  // The client's "Initialize" is posted, not called: it waits for the client's loop.
  EXPECT_EQ(host->SendCommand(5), S_OK);  // a direct call goes through the stub
  MSG msg;
  ASSERT_GT(GetMessageA(&msg, nullptr, 0, 0), 0);
  DispatchMessageA(&msg);
  HostDisconnect();
  CoUninitialize();  // the library's own CoInitialize answered S_FALSE: undoing it is ours
  EXPECT_EQ(ClientSink, nullptr);
  EXPECT_EQ(host->SendInitialize(1), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(host->SendNotify(2, 1, nullptr, 0), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(ComStubCount(), stubs);  // cut, not forgotten: the host still holds its proxy
  EXPECT_EQ(host->OutstandingTotal(), 0);
  host->ReleaseSink();
  EXPECT_EQ(ComStubCount(), stubs - 1);
}

TEST_F(HostServerTest, DocumentsAreOpenedOnlyForAClientThatAskedForNotificationTwo) {
  // The library's default ClientInitialize asks for nothing.
  setenv("TANSEL_SIM_DOCUMENTS", EXAMPLES_DIR "/report.json", 1);
  ASSERT_EQ(HostConnect(nullptr, nullptr, nullptr), 0);
  unsetenv("TANSEL_SIM_DOCUMENTS");
  SimHost* host = Last();
  MSG msg;
  ::testing::internal::CaptureStdout();
  ASSERT_GT(GetMessageA(&msg, nullptr, 0, 0), 0);
  DispatchMessageA(&msg);
  const std::string said = ::testing::internal::GetCapturedStdout();
  EXPECT_NE(said.find("\"Initialize\" sent"), std::string::npos) << said;
  EXPECT_NE(said.find("notification 2 was not requested"), std::string::npos) << said;
  EXPECT_EQ(host->Messages().size(), 0u);
  // A second registration posts a second start-up.
  int32_t error = -1;
  auto* api = static_cast<HostApi*>(HostInterfaceTable[kHostApiIndex]);
  ASSERT_EQ(api->SetNotification(2, 1, &error), S_OK);
  ASSERT_EQ(api->RegisterClient(ClientSink->Unknown(), 0x17000000, nullptr), S_OK);
  ::testing::internal::CaptureStdout();
  ASSERT_GT(GetMessageA(&msg, nullptr, 0, 0), 0);
  DispatchMessageA(&msg);
  const std::string again = ::testing::internal::GetCapturedStdout();
  EXPECT_NE(again.find("\"Quarterly report\" (document 1), notification 2 sent"), std::string::npos)
      << again;
  EXPECT_EQ(host->Registrations(), 2);
  HostDisconnect();
  CoUninitialize();  // the library's own CoInitialize answered S_FALSE: undoing it is ours
}

TEST_F(HostServerTest, DocumentsThatCannotBeReadMakeNoHost) {
  setenv("TANSEL_SIM_DOCUMENTS", "/nonexistent/documents.json", 1);
  const int before = count_();
  void* object = nullptr;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(CoCreateInstance(kDefaultHostClass, nullptr, CLSCTX_SERVER, IID_IUnknown, &object),
            E_FAIL);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("/nonexistent/documents.json"),
            std::string::npos);
  EXPECT_EQ(count_(), before);
  unsetenv("TANSEL_SIM_DOCUMENTS");
}

// ---- The client program ----

struct ClientRun {
  int status;          // exit status
  std::string output;  // standard output and error together
};

ClientRun RunClient(const std::string& environment) {
  const std::string command = environment + " " + CLIENT_PATH + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  ClientRun run{-1, {}};
  if (pipe == nullptr) return run;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

const std::string kRegistry = std::string("TANSEL_COM_REGISTRY=") + COM_REGISTRY_PATH;
const std::string kReport = std::string("TANSEL_SIM_DOCUMENTS=") + EXAMPLES_DIR + "/report.json";

TEST(ClientProgram, ConnectsReceivesInitializeAndTheNotificationAndShowsTheMarker) {
  const ClientRun run = RunClient("env -u HOSTGUID " + kRegistry + " " + kReport);
  EXPECT_EQ(run.status, 0) << run.output;
  const size_t initialize = run.output.find("\"Initialize\" sent");
  const size_t opened = run.output.find("\"Quarterly report\" (document 1), notification 2");
  const size_t shown =
      run.output.find("[message box, type 2] Check the Q3 figures before printing.");
  const size_t disconnected = run.output.find("tansel-client: disconnected");
  ASSERT_NE(initialize, std::string::npos) << run.output;
  ASSERT_NE(opened, std::string::npos) << run.output;
  ASSERT_NE(shown, std::string::npos) << run.output;
  ASSERT_NE(disconnected, std::string::npos) << run.output;
  EXPECT_LT(initialize, opened);
  EXPECT_LT(opened, shown);
  EXPECT_LT(shown, disconnected);
  EXPECT_EQ(run.output.find("never shown"), std::string::npos) << run.output;
}

TEST(ClientProgram, EveryRuleOfTheMarkerNoticeAndTextInTheHostsEncoding) {
  const ClientRun run = RunClient("env -u HOSTGUID " + kRegistry +
                                  " TANSEL_SIM_DOCUMENTS=" + EXAMPLES_DIR + "/cases.json");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("The first real Tansel marker."), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("First in the chain."), std::string::npos) << run.output;
  EXPECT_EQ(run.output.find("Second in the chain."), std::string::npos) << run.output;
  // Sent to the plug-in in HostRoman, shown back in UTF-8.
  EXPECT_NE(run.output.find("Caf\xC3\xA9 cr\xC3\xA8me"), std::string::npos) << run.output;
}

TEST(ClientProgram, ItsClassComesFromHostGuidWhenThatIsOne) {
  // A failed connection prints the host's line, then on the next line why it failed.
  struct Row {
    int line;
    std::string environment;
    int status;
    const char* says;
  };
  const Row rows[] = {
      {__LINE__, "HOSTGUID=not-a-class " + kRegistry, 0, "\"Initialize\" sent"},
      {__LINE__, "HOSTGUID={539db5d0-c0c6-11d0-985e-0060970bec0b} " + kRegistry, 0,
       "\"Initialize\" sent"},
      {__LINE__, "HOSTGUID={0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0} " + kRegistry, 1,
       "Can't connect to host server\nclass {0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0} is not "
       "registered in "},
      {__LINE__, "env -u TANSEL_COM_REGISTRY -u HOSTGUID", 1,
       "Can't connect to host server\nno class registry: TANSEL_COM_REGISTRY is not set, so "
       "class {539DB5D0-C0C6-11D0-985E-0060970BEC0B} has no server\n"},
      {__LINE__, "env -u HOSTGUID TANSEL_COM_REGISTRY=/nonexistent/registry.txt", 1,
       "Can't connect to host server\nthe class registry /nonexistent/registry.txt "
       "(TANSEL_COM_REGISTRY) cannot be read\n"},
      {__LINE__, "env -u TANSEL_COM_REGISTRY HOSTGUID=539DB5D0", 1,
       "Can't connect to host server\nHOSTGUID is not a class identifier, so the host's own "
       "class was tried: no class registry"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const ClientRun run = RunClient(row.environment);
    EXPECT_EQ(run.status, row.status) << run.output;
    EXPECT_NE(run.output.find(row.says), std::string::npos) << run.output;
  }
}

}  // namespace

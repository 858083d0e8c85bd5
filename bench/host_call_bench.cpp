// The cost of a host call: each wrapper beside the raw interface call it makes, with the same
// arguments, against the simulated host in process (its answer is the same work for both, so the
// ratio is the wrapper's own cost); a string get's peer also copies the string once and gives the
// host's block back, as any client must. Out of process on this platform the transport is the
// server's proxy, which calls the host's face in the server's apartment: a call through the
// wrapper over the proxy beside the proxy's call alone. The marker notice on documents of 10,
// 1 000 and 100 000 markers, its only match last, reports its time per marker ("per_marker").
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench/paired.h"
#include "bridge/client_entry.h"
#include "bridge/client_state.h"
#include "bridge/connection.h"
#include "bridge/host_calls.h"
#include "bridge/host_wrappers.h"
#include "hostsim/host_object.h"
#include "platform/com_creation.h"
#include "platform/win_memory.h"
#include "platform/win_module.h"

namespace {

constexpr int32_t kPropSearch = 110;
constexpr int32_t kPropMarkerText = 1050;

// A connected client of a simulated host with one document and one marker.
struct Connected {
  SimHost host;
  ObjectId document = 0;
  ObjectId marker = 0;
  HostApi* api = nullptr;
  Connected() {
    document = host.AddDocument(1);
    marker = host.AddMarker(document, "Tansel", "Check the Q3 figures before printing.");
    if (F_ApiClientInit(nullptr, host.Object(), nullptr, nullptr) != 0) std::abort();
    api = HostInterface<HostApi>();
  }
  ~Connected() {
    host.ReleaseSink();
    HostDisconnect();
  }
};

// One in-process pair: the wrapper's call and the raw one, in alternation on the same connected
// client. Each call's result goes to DoNotOptimize once, so neither is dropped and both pay the
// same for it.
template <typename Call, typename Raw>
void InProcess(benchmark::State& state, Call call, Raw raw) {
  Connected c;
  tansel_bench::Paired(
      state, [&] { call(c); }, [&] { raw(c); });
}

// The raw calls preset the error code and value as the wrappers do, and pass the same arguments
// through the same interface pointer. The integer read runs in and out of process alike.
const auto kGetInt = [](auto& c) {
  benchmark::DoNotOptimize(HostGetInt(c.document, c.document, kPropSearch));
};
const auto kGetIntRaw = [](auto& c) {
  const PropertyIdent ident = {kPropSearch, nullptr};
  int32_t code = -1;
  int32_t value = 0;
  c.api->GetIntProp(c.document, c.document, &ident, &code, &value);
  benchmark::DoNotOptimize(value);
};
BENCHMARK_CAPTURE(InProcess, get_int, kGetInt, kGetIntRaw)->Name("HostGetInt=vtable");

// A status call and a value call without error code, on slots the simulator answers by default.
const auto kStatus = [](Connected& c) { benchmark::DoNotOptimize(HostCall84(c.document, 1)); };
const auto kStatusRaw = [](Connected& c) {
  int32_t code = -1;
  c.api->Slot84(c.document, 1, &code);
  benchmark::DoNotOptimize(code);
};
BENCHMARK_CAPTURE(InProcess, status, kStatus, kStatusRaw)->Name("HostStatusCall=vtable");

const auto kValue = [](Connected& c) { benchmark::DoNotOptimize(HostCall76(c.document, 1)); };
const auto kValueRaw = [](Connected& c) {
  int32_t value = 0;
  c.api->Slot76(c.document, 1, &value);
  benchmark::DoNotOptimize(value);
};
BENCHMARK_CAPTURE(InProcess, value, kValue, kValueRaw)->Name("HostValueCall=vtable");

const auto kGetString = [](Connected& c) {
  char* text = HostGetString(c.document, c.marker, kPropMarkerText);
  benchmark::DoNotOptimize(text);
  std::free(text);
};
const auto kGetStringRaw = [](Connected& c) {
  const PropertyIdent ident = {kPropMarkerText, nullptr};
  int32_t code = -1;
  char* hosts = nullptr;
  c.api->GetStringProp(c.document, c.marker, &ident, &code, &hosts);
  const size_t bytes = std::strlen(hosts) + 1;
  char* text = static_cast<char*>(std::malloc(bytes));
  std::memcpy(text, hosts, bytes);
  CoTaskMemFree(hosts);
  benchmark::DoNotOptimize(text);
  std::free(text);
};
BENCHMARK_CAPTURE(InProcess, get_string, kGetString, kGetStringRaw)
    ->Name("HostGetString=vtable+copy");

// Out of process: the simulator's server module, reached by class through this platform's COM.
struct Remote {
  HMODULE server = nullptr;
  HostApi* api = nullptr;
  ObjectId document = 0;
  Remote() {
    if (ComRegisterServer(kDefaultHostClass, HOST_SERVER_PATH) != S_OK) std::abort();
    server = LoadLibraryA(HOST_SERVER_PATH);
    if (server == nullptr || HostConnect(nullptr, nullptr, nullptr) != 0) std::abort();
    api = HostInterface<HostApi>();
    document = 0;  // the application: the same answer (no such property) on both roads
  }
  ~Remote() {
    HostDisconnect();
    FreeLibrary(server);
  }
};

template <typename Call, typename Raw>
void OutOfProcess(benchmark::State& state, Call call, Raw raw) {
  Remote r;
  tansel_bench::Paired(
      state, [&] { call(r); }, [&] { raw(r); });
}
BENCHMARK_CAPTURE(OutOfProcess, get_int, kGetInt, kGetIntRaw)->Name("RemoteGetInt=proxy");

typedef int32_t (*ClientInitFn)(HMODULE, IUnknown*, IUnknown*, const ClientDescription*);

// The plug-in itself on one document of range(0) markers, the "Tansel" one last.
void BM_MarkerNotice(benchmark::State& state) {
  HMODULE plugin = LoadLibraryA(PLUGIN_PATH);
  auto init = reinterpret_cast<ClientInitFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(plugin, "F_ApiClientInit")));
  if (init == nullptr) std::abort();
  const int64_t markers = state.range(0);
  {
    SimHost host;
    const ObjectId document = host.AddDocument(1);
    for (int64_t i = 1; i < markers; ++i) host.AddMarker(document, "Other", "not this one");
    host.AddMarker(document, "Tansel", "the last");
    if (init(plugin, host.Object(), nullptr, nullptr) != 0 || host.SendInitialize(1) != S_OK) {
      std::abort();
    }
    for (auto _ : state) benchmark::DoNotOptimize(host.SendNotify(2, document, "", 0));
    host.SendQuit();
    host.ReleaseSink();
  }
  FreeLibrary(plugin);
  state.counters["per_marker"] =
      benchmark::Counter(static_cast<double>(state.iterations() * markers),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
// Long enough for several notices on the largest document, whatever the run's minimum time.
BENCHMARK(BM_MarkerNotice)->Name("MarkerNotice")->Arg(10)->Arg(1000)->Arg(100000)->MinTime(0.5);

}  // namespace

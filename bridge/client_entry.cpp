// The start-up handshake with the host.
#include "bridge/client_entry.h"

#include <string>

#include "bridge/client_callbacks.h"
#include "bridge/client_description.h"
#include "bridge/client_startup.h"
#include "bridge/client_state.h"
#include "bridge/host_calls.h"
#include "bridge/notification_sink.h"
#include "platform/late_libraries.h"
#include "strings/memory.h"

namespace {

constexpr int32_t kClientVersion = 0x17000000;  // the interface generation the client speaks

// Queries the interfaces of the table from first to last (exclusive) into their entries.
void Acquire(IUnknown* host, int first, int last) {
  for (int i = first; i < last; ++i) {
    void* face = nullptr;
    if (FAILED(host->QueryInterface(HostInterfaceIid(i), &face))) face = nullptr;
    HostInterfaceTable[i] = static_cast<IUnknown*>(face);
  }
}

// Releases the interfaces of the table from first to last (exclusive), emptying each entry first.
void Release(int first, int last) {
  for (int i = first; i < last; ++i) {
    IUnknown* face = HostInterfaceTable[i];
    HostInterfaceTable[i] = nullptr;
    if (face != nullptr) face->Release();
  }
}

}  // namespace

void AcquireHostInterfaces(IUnknown* host) {
  Acquire(host, 0, kHostBaseInterfaceCount);
}

void ReleaseHostInterfaces() {
  Release(0, kHostBaseInterfaceCount);
}

extern "C" TANSEL_EXPORT int32_t F_ApiClientInit(HMODULE module, IUnknown* host,
                                                 IUnknown* companion,
                                                 const ClientDescription* description) {
  ClientModule = module;
  if (host == nullptr) return -1;
  AcquireHostInterfaces(host);
  HostApi* api = HostInterface<HostApi>();
  if (api == nullptr) return -1;
  Acquire(host, kHostBaseInterfaceCount, kHostInterfaceCount);

  // The host's ICU is bound at the first call into it: one that is missing or lacks an entry
  // point we use is said here, once, on the host's console, and ends start-up in the fatal error
  // rather than in the middle of some later call.
  const std::string problem = PlatformLateLibrariesProblem(kLateLibraries, kLateLibraryCount);
  if (!problem.empty()) {
    HostConsoleWrite(("Error: the host's ICU cannot be used: " + problem + ".\n").c_str());
    Release(0, kHostInterfaceCount);
    MemRaiseFatal();
  }

  if (HostMemoryPolicy* policy = HostInterface<HostMemoryPolicy>()) {
    if (policy->QuerySharedMemory(1) == S_OK) SharedHostMemory = 1;
  }

  auto* sink = new (std::nothrow) HostNotificationsC;
  if (sink == nullptr) {
    // Without a sink the host cannot call back: give its interfaces back and register nothing.
    Release(0, kHostInterfaceCount);
    return -1;
  }
  ClientSink = sink;

  LocalClientDescription local;
  if (description == nullptr && module != nullptr) {
    ReadClientDescription(module, local.list());
    description = &local.list();
  }
  ClientHeldInitializes = {};
  ClientHeldInitializes.starting = 1;
  api->RegisterClient(sink->Unknown(), kClientVersion, description);
  if (HostModuleLink* link = HostInterface<HostModuleLink>()) link->SetClientModule(module);
  local.Free();

  ClientStartup();
  ClientStopped = 0;
  ClientCompanion = companion;
  if (companion != nullptr) companion->AddRef();
  // From here on the host's own reference keeps the sink alive.
  sink->Release();
  ConsoleHook = HostConsoleWrite;
  // What the host sent while start-up was still making its calls.
  const HeldInitializes held = ClientHeldInitializes;
  ClientHeldInitializes = {};
  for (int i = 0; i < held.count; ++i) ClientInitialize(held.codes[i]);
  return 0;
}

// The connection's two ends: an out-of-process client making it, and every mode ending it.
#include "bridge/connection.h"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "bridge/client_entry.h"
#include "bridge/client_state.h"
#include "bridge/host_errno.h"
#include "bridge/message_filter.h"
#include "bridge/notification_sink.h"
#include "platform/com_creation.h"
#include "platform/com_runtime.h"
#include "platform/win_message.h"
#include "platform/win_module.h"
#include "platform/win_text.h"

int32_t ClientComInitialised = 0;
IMessageFilter* InstalledMessageFilter = nullptr;

namespace {

// How the last attempt to create the host went, for the failure's second line.
HRESULT LastCreation = S_OK;
CLSID LastClass = kDefaultHostClass;
bool LastClassRefused = false;  // HOSTGUID was set but is no class identifier

// The library's filter: made on first need, then registered again by every connection. The
// library never releases its own reference, so a filter that the apartment still holds can never
// end under it.
DefaultClientMessageFilterC* LibraryFilter() {
  static DefaultClientMessageFilterC* filter = nullptr;
  if (filter == nullptr) filter = new (std::nothrow) DefaultClientMessageFilterC;
  return filter;
}

// How often an idle client program looks whether its host is still there.
constexpr UINT kHostWatchMs = 2000;

// Whether a host call failed because the host's process has gone: its proxy answers these, and
// no callback will ever come again.
bool HostProcessGone(HRESULT hr) {
  switch (static_cast<uint32_t>(hr)) {
    case 0x80010007:  // RPC_E_SERVER_DIED
    case 0x80010012:  // RPC_E_SERVER_DIED_DNE
    case 0x80010108:  // RPC_E_DISCONNECTED
    case 0x800401FD:  // CO_E_OBJNOTCONNECTED
    case 0x800706BA:  // the RPC server is unavailable
    case 0x800706BE:  // the remote procedure call failed
    case 0x800706BF:  // the remote procedure call failed and did not execute
      return true;
    default:
      return false;
  }
}

// A harmless read of the application's object: it crosses to the host and changes nothing.
bool HostStillThere() {
  HostApi* host = HostInterface<HostApi>();
  if (host == nullptr) return false;
  const PropertyIdent ident = {1, nullptr};
  int32_t code = -1;
  int32_t value = 0;
  return !HostProcessGone(host->GetIntProp(0, 0, &ident, &code, &value));
}

// text (ANSI) as a wide string in buffer; false when it does not fit whole.
bool Widen(const char* text, WCHAR (&buffer)[kHostTextWidth]) {
  return MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, kHostTextWidth) != 0;
}

CLSID HostClass(const CLSID* classId) {
  if (classId != nullptr) return *classId;
  CLSID chosen = kDefaultHostClass;
  WCHAR wide[kHostTextWidth];
  if (const char* text = std::getenv(kHostClassVariable)) {
    if (!Widen(text, wide) || CLSIDFromString(wide, &chosen) != S_OK) {
      chosen = kDefaultHostClass;
      LastClassRefused = true;
    }
  }
  return chosen;
}

// Undoes what a failed HostConnect set up, so that the next attempt starts clean.
void UndoConnect() {
  ReleaseHostInterfaces();
  if (InstalledMessageFilter != nullptr) {
    InstalledMessageFilter = nullptr;
    CoRegisterMessageFilter(nullptr, nullptr);
  }
  if (ClientComInitialised != 0) {
    ClientComInitialised = 0;
    CoUninitialize();
  }
}

}  // namespace

void HostDisconnect() {
  // Whether this run ends the connection is decided now: the releases below may end the sink
  // (the host letting it go as the client lets go), and the connection still has to end.
  const bool sinkRecorded = ClientSink != nullptr;
  for (IUnknown*& entry : HostInterfaceTable) {
    // The entry is emptied before the call: releasing is a call into the host, which may release
    // the sink for the last time, and the sink's end runs this function again.
    IUnknown* host = entry;
    entry = nullptr;
    if (host != nullptr) host->Release();
  }
  // When the host ended the sink before this run, COM and the filter stay as they are: their
  // owner is whoever runs the loop.
  if (sinkRecorded) {
    // Read again: a sink that has ended is not touched. The host's stubs let a live one go here,
    // which may end it: it is not touched again.
    if (HostNotificationsC* sink = ClientSink) {
      CoDisconnectObject(static_cast<IHostNotifications0*>(sink), 0);
    }
    if (InstalledMessageFilter != nullptr) {
      InstalledMessageFilter = nullptr;
      CoRegisterMessageFilter(nullptr, nullptr);
    }
    if (ClientComInitialised != 0) {
      ClientComInitialised = 0;
      CoUninitialize();
    }
  }
  // The memory policy was the ended host's: a later host that does not share its memory must see
  // its blocks freed again.
  SharedHostMemory = 0;
  ClientStopped = 1;
}

HRESULT InstallMessageFilter() {
  DefaultClientMessageFilterC* filter = LibraryFilter();
  if (filter == nullptr) return E_OUTOFMEMORY;
  InstalledMessageFilter = filter->Face();
  return CoRegisterMessageFilter(filter->Face(), nullptr);
}

IUnknown* CreateHostObject(const char* hostName, const CLSID* classId) {
  LastClassRefused = false;
  LastCreation = S_OK;
  const CLSID hostClass = HostClass(classId);
  LastClass = hostClass;
  if (hostName == nullptr) {
    void* host = nullptr;
    LastCreation = CoCreateInstance(hostClass, nullptr, CLSCTX_SERVER, IID_HostApi, &host);
    if (FAILED(LastCreation)) return nullptr;
    return static_cast<IUnknown*>(host);
  }
  WCHAR name[kHostTextWidth];
  if (!Widen(hostName, name)) return nullptr;  // a name cut short would reach another machine
  // Looked up at run time: a system without it cannot reach other machines at all.
  HMODULE ole = LoadLibraryA("ole32.dll");
  auto create = reinterpret_cast<CoCreateInstanceExFn>(reinterpret_cast<void (*)()>(
      ole != nullptr ? GetProcAddress(ole, "CoCreateInstanceEx") : nullptr));
  IUnknown* host = nullptr;
  if (create != nullptr) {
    COSERVERINFO server = {0, name, nullptr, 0};
    MULTI_QI request = {&IID_HostApi, nullptr, E_FAIL};
    if (SUCCEEDED(create(hostClass, nullptr, CLSCTX_SERVER, &server, 1, &request)) &&
        SUCCEEDED(request.hr)) {
      host = request.pItf;
    } else if (request.pItf != nullptr) {
      request.pItf->Release();
    }
  }
  if (ole != nullptr) FreeLibrary(ole);
  if (host == nullptr) LastCreation = E_FAIL;
  return host;
}

int32_t HostConnect(const ClientDescription* description, const char* hostName,
                    const CLSID* classId) {
  if (HostIsConnected() != 0) return 0;
  ClientComInitialised = CoInitialize(nullptr) == S_OK ? 1 : 0;
  if (ClientComInitialised != 0) InstallMessageFilter();
  IUnknown* host = CreateHostObject(hostName, classId);
  if (host == nullptr) {
    HostErrno = ErrNoHost;
    UndoConnect();
    return ErrNoHost;
  }
  HMODULE self = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, nullptr, &self);
  const int32_t result = F_ApiClientInit(self, host, nullptr, description);
  // The interface table holds its own references.
  host->Release();
  if (result != 0) {
    HostErrno = result;
    UndoConnect();
  }
  return result;
}

int32_t HostRunClient() {
  if (HostConnect(nullptr, nullptr, nullptr) != 0) {
    // There is no host console to show it on. The second line says why.
    std::fprintf(stderr, "%s\n", ConnectFailureText);
    char reason[512] = "the host object was made but refused the client";
    if (FAILED(LastCreation))
      ComDescribeCreationFailure(LastCreation, LastClass, reason, sizeof reason);
    if (LastClassRefused) {
      std::fprintf(stderr, "%s is not a class identifier, so the host's own class was tried: %s\n",
                   kHostClassVariable, reason);
    } else {
      std::fprintf(stderr, "%s\n", reason);
    }
    HostDisconnect();
    return 1;
  }
  // A host that ends while the client waits for its next callback sends nothing more, so the
  // loop wakes now and then to ask it; a host that has gone ends the run as a failure.
  const UINT_PTR watch = SetTimer(nullptr, 0, kHostWatchMs, nullptr);
  bool hostGone = false;
  while (ClientStopped == 0) {
    MSG msg;
    const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
      ClientStopped = 1;
    } else if (got > 0 && msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == watch) {
      if (!HostStillThere()) hostGone = true;
      if (hostGone) ClientStopped = 1;
    } else if (got > 0) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  }
  if (watch != 0) KillTimer(nullptr, watch);
  if (hostGone) std::fprintf(stderr, "The host has gone: its process ended during the session\n");
  HostDisconnect();
  return hostGone ? 1 : 0;
}

const char* HostConnectStatus() {
  return HostConnect(nullptr, nullptr, nullptr) == 0 ? nullptr : ConnectFailureText;
}

int32_t PumpOneMessage(int32_t* out) {
  if (out != nullptr) *out = 0;
  MSG msg;
  const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
  if (got == 0) {
    ClientStopped = 1;
  } else if (got > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}

void StopClientLoop() {
  ClientStopped = 1;
}

int32_t HostIsConnected() {
  return HostInterface<HostApi>() != nullptr ? 1 : 0;
}

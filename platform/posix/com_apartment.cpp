// Apartments, the message filter, the channel's retries and calls posted to an apartment.
//
// Each thread is its own single-threaded apartment; its state is the thread's alone. Posted calls
// travel as messages for the apartment's window, the one window of this platform.
#include <cstdint>

#include "platform/com_calls.h"
#include "platform/com_runtime.h"
#include "platform/posix/message_queue.h"
#include "platform/win_time.h"

namespace {

struct Apartment {
  ULONG depth = 0;                   // CoInitialize calls not yet undone
  IMessageFilter* filter = nullptr;  // registered filter, one reference
};

thread_local Apartment t_apartment;

constexpr UINT kPostedCallMessage = 0xC0DE;  // a registered-message number, private to COM
const char g_apartmentWindow = 0;            // its address is the apartment window's handle

HWND ApartmentWindow() {
  return const_cast<char*>(&g_apartmentWindow);
}

// Holds a reference on the thread's filter for the length of a consultation; the filter may be
// revoked meanwhile.
class FilterRef {
 public:
  FilterRef() : filter_(t_apartment.filter) {
    if (filter_ != nullptr) filter_->AddRef();
  }
  ~FilterRef() {
    if (filter_ != nullptr) filter_->Release();
  }
  FilterRef(const FilterRef&) = delete;
  FilterRef& operator=(const FilterRef&) = delete;
  IMessageFilter* operator->() const { return filter_; }
  explicit operator bool() const { return filter_ != nullptr; }

 private:
  IMessageFilter* filter_;
};

void RunPosted(const MSG& msg, HRESULT admitted) {
  auto call = reinterpret_cast<ComPostedCall>(msg.wParam);
  call(reinterpret_cast<void*>(msg.lParam), admitted);
}

}  // namespace

HRESULT WINAPI CoInitialize(LPVOID reserved) {
  if (reserved != nullptr) return E_INVALIDARG;
  return t_apartment.depth++ == 0 ? S_OK : S_FALSE;
}

void WINAPI CoUninitialize() {
  if (t_apartment.depth == 0 || --t_apartment.depth != 0) return;
  if (IMessageFilter* filter = t_apartment.filter) {
    t_apartment.filter = nullptr;
    filter->Release();
  }
  // The apartment's window goes with it; the calls still queued for it learn that they will not
  // run, so that their posters can free what they carry.
  for (const MSG& msg : TakeWindowMessages(ApartmentWindow())) {
    if (msg.message == kPostedCallMessage) RunPosted(msg, RPC_E_DISCONNECTED);
  }
}

ULONG ComInitializeDepth() {
  return t_apartment.depth;
}

HRESULT WINAPI CoRegisterMessageFilter(IMessageFilter* filter, IMessageFilter** previous) {
  if (t_apartment.depth == 0) return CO_E_NOTINITIALIZED;
  if (filter != nullptr) filter->AddRef();
  IMessageFilter* old = t_apartment.filter;
  t_apartment.filter = filter;
  if (previous != nullptr) {
    *previous = old;
  } else if (old != nullptr) {
    old->Release();
  }
  return S_OK;
}

HRESULT ComCallServer(HRESULT (*call)(void* context), void* context) {
  const DWORD start = GetTickCount();
  for (;;) {
    const HRESULT hr = call(context);
    if (hr != RPC_E_SERVERCALL_RETRYLATER && hr != RPC_E_CALL_REJECTED) return hr;
    FilterRef filter;
    if (!filter) return hr;
    const DWORD rejectType =
        hr == RPC_E_SERVERCALL_RETRYLATER ? SERVERCALL_RETRYLATER : SERVERCALL_REJECTED;
    // Spans on the 32-bit tick count are unsigned differences, right across its wrap.
    const DWORD wait = filter->RetryRejectedCall(nullptr, GetTickCount() - start, rejectType);
    if (wait == kRetryCancel) return RPC_E_CALL_REJECTED;
    if (wait < kRetryWaitThreshold) continue;
    if (HasQueuedMessage() &&
        filter->MessagePending(nullptr, GetTickCount() - start, PENDINGTYPE_TOPLEVEL) ==
            PENDINGMSG_CANCELCALL) {
      return RPC_E_CALL_REJECTED;
    }
    Sleep(wait);
  }
}

HRESULT ComPostCall(DWORD thread, ComPostedCall call, void* context) {
  if (thread == 0 || call == nullptr) return E_INVALIDARG;
  if (!PostToThread(thread, ApartmentWindow(), kPostedCallMessage, reinterpret_cast<WPARAM>(call),
                    reinterpret_cast<LPARAM>(context))) {
    return E_INVALIDARG;
  }
  return S_OK;
}

bool DispatchPlatformMessage(const MSG& msg) {
  if (msg.hwnd != ApartmentWindow()) return false;
  if (msg.message != kPostedCallMessage) return true;
  HRESULT admitted = S_OK;
  {
    FilterRef filter;
    if (filter) {
      switch (filter->HandleInComingCall(CALLTYPE_TOPLEVEL, nullptr, GetTickCount(), nullptr)) {
        case SERVERCALL_ISHANDLED:
          break;
        case SERVERCALL_RETRYLATER:
          admitted = RPC_E_SERVERCALL_RETRYLATER;
          break;
        default:
          admitted = RPC_E_CALL_REJECTED;
          break;
      }
    }
  }
  RunPosted(msg, admitted);
  return true;
}

// Calls between apartments with Windows' names and contracts: the message filter that decides on
// calls a busy server rejects, the channel that makes such calls, and calls that a server posts
// to a client's apartment, which run when the client's message loop dispatches them.
#pragma once

#include "platform/com_types.h"

typedef void* HTASK;  // the caller of an incoming call
struct INTERFACEINFO;

// What a server answers an incoming call (HandleInComingCall) and how it rejected one.
inline constexpr DWORD SERVERCALL_ISHANDLED = 0;
inline constexpr DWORD SERVERCALL_REJECTED = 1;
inline constexpr DWORD SERVERCALL_RETRYLATER = 2;
inline constexpr DWORD CALLTYPE_TOPLEVEL = 1;
inline constexpr DWORD PENDINGTYPE_TOPLEVEL = 1;
inline constexpr DWORD PENDINGMSG_CANCELCALL = 0;
inline constexpr DWORD PENDINGMSG_WAITNOPROCESS = 1;
inline constexpr DWORD PENDINGMSG_WAITDEFPROCESS = 2;
inline constexpr DWORD kRetryCancel = 0xFFFFFFFF;  // RetryRejectedCall: give up
inline constexpr DWORD kRetryWaitThreshold = 100;  // RetryRejectedCall: below this, retry at once

// {00000016-0000-0000-C000-000000000046}
inline constexpr IID IID_IMessageFilter = {
    0x00000016, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// An apartment's say on incoming calls and on calls a busy server rejected.
struct IMessageFilter : IUnknown {
  // An incoming call is about to run in this apartment: SERVERCALL_ISHANDLED lets it run.
  virtual DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD callType, HTASK caller, DWORD tick,
                                                     INTERFACEINFO* info) = 0;  // slot 3
  // A call of this apartment was rejected elapsed ms after it began: kRetryCancel cancels it,
  // below kRetryWaitThreshold retries at once, anything else waits that many ms, then retries.
  virtual DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK callee, DWORD elapsed,
                                                    DWORD rejectType) = 0;  // slot 4
  // A message arrived while a call of this apartment waits; PENDINGMSG_... says what to do.
  virtual DWORD STDMETHODCALLTYPE MessagePending(HTASK callee, DWORD elapsed,
                                                 DWORD pendingType) = 0;  // slot 5
};

TANSEL_SYSTEM_BEGIN
// Makes filter the calling thread's message filter (null revokes it), holding one reference; the
// previous one is released, or handed over in *previous (which the caller then owns) when
// previous is given. CO_E_NOTINITIALIZED outside an apartment.
HRESULT WINAPI CoRegisterMessageFilter(IMessageFilter* filter, IMessageFilter** previous);
TANSEL_SYSTEM_END

// ---- The channel: a call from this apartment into a server ----

// Runs call(context) as a call into another apartment. When the server answers
// RPC_E_SERVERCALL_RETRYLATER (busy) or RPC_E_CALL_REJECTED, the thread's message filter is asked
// RetryRejectedCall(elapsed since the first attempt, SERVERCALL_RETRYLATER or _REJECTED) and the
// call is retried at once, after the wait it names (on the platform clock), or cancelled:
// RPC_E_CALL_REJECTED. Without a filter the server's rejection is returned as it is. Otherwise
// returns what call returned.
HRESULT ComCallServer(HRESULT (*call)(void* context), void* context);

// ---- Calls posted to an apartment ----

// What a posted call receives: S_OK to run; RPC_E_CALL_REJECTED or RPC_E_SERVERCALL_RETRYLATER
// when the apartment's filter turned it away; RPC_E_DISCONNECTED when the apartment ended with
// the call still queued. Only S_OK may touch the apartment's objects.
typedef void (*ComPostedCall)(void* context, HRESULT admitted);
// Posts call(context) to the apartment of thread: it runs when that thread's message loop
// dispatches it, after the apartment's filter admitted it (HandleInComingCall), or with
// RPC_E_DISCONNECTED when the apartment ends first; either way once, so a context it owns is
// freed there. E_INVALIDARG for thread 0 or no call.
HRESULT ComPostCall(DWORD thread, ComPostedCall call, void* context);

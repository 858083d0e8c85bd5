// DefaultClientMessageFilterC: the message filter of an out-of-process client. It lets every
// call from the host in, and retries calls that a busy host rejects, backing off to a quarter of
// the time already spent and giving up after RetryTimeout.
#pragma once

#include "bridge/implement_com.h"
#include "platform/com_calls.h"

inline constexpr DWORD RetryTimeout = 1200000;  // ms after which a rejected call is given up
inline constexpr DWORD kRetryAtOnceLimit =
    200;  // ms up to which a rejected call is retried at once

template <>
// IMessageFilter's identifier, for ImplementComC.
struct ComInterfaceId<IMessageFilter> {
  static constexpr const IID& iid = IID_IMessageFilter;  // IID_IMessageFilter
};

// The message filter a client program installs: it runs the host's callbacks and retries the
// calls a busy host rejected.
class DefaultClientMessageFilterC : public ImplementComC<IMessageFilter, ComUltraliteC> {
 public:
  // Always SERVERCALL_ISHANDLED: the host's callbacks are the client's work.
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD callType, HTASK caller, DWORD tick,
                                             INTERFACEINFO* info) override;
  // kRetryCancel for SERVERCALL_REJECTED or once elapsed reaches RetryTimeout; 0 (at once) up to
  // kRetryAtOnceLimit ms; elapsed / 4 after that.
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK callee, DWORD elapsed, DWORD rejectType) override;
  // Always PENDINGMSG_WAITDEFPROCESS.
  DWORD STDMETHODCALLTYPE MessagePending(HTASK callee, DWORD elapsed, DWORD pendingType) override;
};

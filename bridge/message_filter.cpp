// The out-of-process client's message filter.
#include "bridge/message_filter.h"

DWORD STDMETHODCALLTYPE DefaultClientMessageFilterC::HandleInComingCall(DWORD, HTASK, DWORD,
                                                                        INTERFACEINFO*) {
  return SERVERCALL_ISHANDLED;
}

DWORD STDMETHODCALLTYPE DefaultClientMessageFilterC::RetryRejectedCall(HTASK, DWORD elapsed,
                                                                       DWORD rejectType) {
  if (rejectType == SERVERCALL_REJECTED || elapsed >= RetryTimeout) return kRetryCancel;
  if (elapsed <= kRetryAtOnceLimit) return 0;
  return elapsed / 4;
}

DWORD STDMETHODCALLTYPE DefaultClientMessageFilterC::MessagePending(HTASK, DWORD, DWORD) {
  return PENDINGMSG_WAITDEFPROCESS;
}

// The error mapping shared by every host call.
#include "bridge/host_call.h"

void HostNoteFailure(HRESULT hr) {
  HostErrno = hr == RPC_E_SERVERCALL_RETRYLATER ? ErrHostBusy : ErrHostCall;
}

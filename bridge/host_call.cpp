// The error mapping shared by every host call.
#include "bridge/host_call.h"

bool HostCallFailed(HRESULT hr) {
  if (SUCCEEDED(hr)) return false;
  HostErrno = hr == RPC_E_SERVERCALL_RETRYLATER ? ErrHostBusy : ErrHostCall;
  return true;
}

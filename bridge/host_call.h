// The shapes of a host call. Every wrapper forwards its arguments to one slot of one host
// interface and turns the outcome into a return value plus HostErrno:
//   - no interface: HostErrno = ErrHostCall (-1);
//   - a failing HRESULT: ErrHostBusy (-88) for RPC_E_SERVERCALL_RETRYLATER, else ErrHostCall;
//   - success with a nonzero error code from the host: that code.
// A successful call never clears HostErrno. The error code is preset to -1, so a host that
// answers S_OK without writing it reads as ErrHostCall.
//
// Each shape takes the interface method and the arguments before the out-parameters, so a wrapper
// is one line: return HostValueCall<int32_t>(0, &HostApi::GetIntProp, document, object, ident);
#pragma once

#include <cstdint>

#include "bridge/client_state.h"
#include "bridge/host_copy.h"
#include "bridge/host_errno.h"
#include "bridge/host_memory.h"

inline constexpr int32_t kHostCodePreset = -1;  // the error code until the host writes one

// Writes HostErrno for a failed HRESULT.
void HostNoteFailure(HRESULT hr);
// Writes HostErrno for a failing HRESULT; true when hr failed. Inline: on success it is one test.
inline bool HostCallFailed(HRESULT hr) {
  if (FAILED(hr)) [[unlikely]] {
    HostNoteFailure(hr);
    return true;
  }
  return false;
}
// The code a status-like call returns after a failing HRESULT: the host's own when it wrote a
// nonzero one, else ErrHostCall. A code left at 0 by a failed call never reads as success.
inline int32_t HostFailedCode(int32_t code) {
  return code != 0 ? code : ErrHostCall;
}
// Notes a result the client could not copy whole: HostErrno = ErrNoMemory, false.
inline bool HostCopyRefused() {
  HostErrno = ErrNoMemory;
  return false;
}
// The interface Interface, or null after writing ErrHostCall to HostErrno.
template <typename Interface>
Interface* HostInterfaceOrFail() {
  Interface* host = HostInterface<Interface>();
  if (host == nullptr) HostErrno = ErrHostCall;
  return host;
}

template <typename Interface, typename... Params>
using HostMethod = HRESULT (STDMETHODCALLTYPE Interface::*)(Params...);

// Status call: the host writes only an error code. Returns the code (0 = success); after a
// failure, the code as the host left it (-1 untouched or left at 0).
template <typename Interface, typename... Params, typename... Args>
int32_t HostStatusCall(HostMethod<Interface, Params...> method, Args... args) {
  int32_t code = kHostCodePreset;
  Interface* host = HostInterfaceOrFail<Interface>();
  if (host == nullptr) return code;
  if (HostCallFailed((host->*method)(args..., &code))) return HostFailedCode(code);
  if (code != 0) HostErrno = code;
  return code;
}

// Value call with error code: the host writes the code, then the value. neutral on any failure.
template <typename Value, typename Interface, typename... Params, typename... Args>
Value HostValueCall(Value neutral, HostMethod<Interface, Params...> method, Args... args) {
  int32_t code = kHostCodePreset;
  Value value = neutral;
  Interface* host = HostInterfaceOrFail<Interface>();
  if (host == nullptr) return neutral;
  if (HostCallFailed((host->*method)(args..., &code, &value))) return neutral;
  if (code != 0) {
    HostErrno = code;
    return neutral;
  }
  return value;
}

// Value call without error code: the host writes only the value. neutral on failure.
template <typename Value, typename Interface, typename... Params, typename... Args>
Value HostValueNoCodeCall(Value neutral, HostMethod<Interface, Params...> method, Args... args) {
  Value value = neutral;
  Interface* host = HostInterfaceOrFail<Interface>();
  if (host == nullptr) return neutral;
  if (HostCallFailed((host->*method)(args..., &value))) return neutral;
  return value;
}

// Set call: the host writes only an error code, and nothing is returned.
template <typename Interface, typename... Params, typename... Args>
void HostSetCall(HostMethod<Interface, Params...> method, Args... args) {
  HostStatusCall<Interface>(method, args...);
}

// Plain call: no out-parameter at all; only a failure is noted.
template <typename Interface, typename... Params, typename... Args>
void HostPlainCall(HostMethod<Interface, Params...> method, Args... args) {
  Interface* host = HostInterfaceOrFail<Interface>();
  if (host != nullptr) HostCallFailed((host->*method)(args...));
}

// Call on an optional interface (HostModuleLink, HostAuxiliary): the HRESULT is ignored; a nonzero
// code goes to HostErrno and is returned. A missing interface gives -1.
template <typename Interface, typename... Params, typename... Args>
int32_t HostOptionalCall(HostMethod<Interface, Params...> method, Args... args) {
  int32_t code = kHostCodePreset;
  Interface* host = HostInterfaceOrFail<Interface>();
  if (host == nullptr) return code;
  (host->*method)(args..., &code);
  if (code != 0) HostErrno = code;
  return code;
}

// Call on HostMemoryPolicy: 0 when the host answers S_OK; anything else, a missing interface
// included, sets HostErrno to ErrHostCall and gives -1.
template <typename Interface, typename... Params, typename... Args>
int32_t HostPolicyCall(HostMethod<Interface, Params...> method, Args... args) {
  Interface* host = HostInterface<Interface>();
  if (host != nullptr && (host->*method)(args...) == S_OK) return 0;
  HostErrno = ErrHostCall;
  return -1;
}

// Get call: a value with an error code, deep-copied into the client's heap when it holds host
// memory (a fixed record is written in place). The copy is made before the code is looked at (the
// host's memory is given back either way); the zeroed value on any failure, a copy that could not
// be made whole included.
template <typename Value, typename Interface, typename... Params, typename... Args>
Value HostGetCall(HostMethod<Interface, Params...> method, Args... args) {
  int32_t code = kHostCodePreset;
  Value hostValue{};
  Interface* host = HostInterfaceOrFail<Interface>();
  if (host == nullptr) return Value{};
  if (HostCallFailed((host->*method)(args..., &code, &hostValue))) return Value{};
  Value copy;
  const bool complete = HostTake(hostValue, &copy);
  if (code != 0 || !complete) {
    if (code != 0) HostErrno = code;
    if (code == 0) HostCopyRefused();
    HostDrop(copy);
    return Value{};
  }
  return copy;
}

// Code-converting call: the host writes a result code, and the wrapper gives 0 when it is 0 and
// -1 otherwise, leaving HostErrno alone for the host's code; a failed call gives -1 as usual.
template <typename Interface, typename... Params, typename... Args>
int32_t HostConvertCall(HostMethod<Interface, Params...> method, Args... args) {
  int32_t code = kHostCodePreset;
  Interface* host = HostInterfaceOrFail<Interface>();
  if (host == nullptr) return -1;
  if (HostCallFailed((host->*method)(args..., &code))) return -1;
  return code == 0 ? 0 : -1;
}

// Code-converting call that also delivers a result, copied into *out (zeroed unless the call
// succeeded with code 0; out may be null, and the copy is then released).
template <typename Value, typename Interface, typename... Params, typename... Args>
int32_t HostConvertResultCall(Value* out, HostMethod<Interface, Params...> method, Args... args) {
  int32_t code = kHostCodePreset;
  Value hostValue{};
  if (out != nullptr) *out = Value{};
  Interface* host = HostInterfaceOrFail<Interface>();
  if (host == nullptr) return -1;
  if (HostCallFailed((host->*method)(args..., &code, &hostValue))) return -1;
  Value copy;
  const bool complete = HostTake(hostValue, &copy);
  if (code == 0 && !complete) {
    HostDrop(copy);
    HostCopyRefused();
    return -1;
  }
  if (code != 0 || out == nullptr) {
    HostDrop(copy);
    return code == 0 ? 0 : -1;
  }
  *out = copy;
  return 0;
}

// Truth-value call: 1 when the host's code is 0; otherwise 0, with HostErrno set as usual.
template <typename Interface, typename... Params, typename... Args>
int32_t HostTruthCall(HostMethod<Interface, Params...> method, Args... args) {
  return HostStatusCall<Interface>(method, args...) == 0 ? 1 : 0;
}

// The first wrapper of a value slot without error code: a local value preset 0 is passed and
// returned, also when the call failed.
template <typename Value, typename Interface, typename... Params, typename... Args>
Value HostPairCall(HostMethod<Interface, Params...> method, Args... args) {
  Value value{};
  Interface* host = HostInterfaceOrFail<Interface>();
  if (host != nullptr) HostCallFailed((host->*method)(args..., &value));
  return value;
}

// The second: the caller's pointer goes to the host as it is; nothing is returned.
template <typename Value, typename Interface, typename... Params, typename... Args>
void HostPairIntoCall(Value* value, HostMethod<Interface, Params...> method, Args... args) {
  Interface* host = HostInterfaceOrFail<Interface>();
  if (host != nullptr) HostCallFailed((host->*method)(args..., value));
}

// A call that delivers two results into the caller's pointers (either may be null): both are
// copied, and both left zeroed unless the call succeeded with code 0. Returns the code as a
// status call does.
template <typename Value, typename Interface, typename... Params, typename... Args>
int32_t HostTwoCall(Value* first, Value* second, HostMethod<Interface, Params...> method,
                    Args... args) {
  int32_t code = kHostCodePreset;
  Value hostFirst{};
  Value hostSecond{};
  if (first != nullptr) *first = Value{};
  if (second != nullptr) *second = Value{};
  Interface* host = HostInterfaceOrFail<Interface>();
  if (host == nullptr) return code;
  if (HostCallFailed((host->*method)(args..., &code, &hostFirst, &hostSecond))) {
    return HostFailedCode(code);
  }
  Value copies[2];
  const bool firstWhole = HostTake(hostFirst, &copies[0]);
  const bool secondWhole = HostTake(hostSecond, &copies[1]);
  Value* outs[2] = {first, second};
  if (code != 0) {
    HostErrno = code;
  } else if (!firstWhole || !secondWhole) {
    HostCopyRefused();
    code = ErrNoMemory;
  }
  for (int i = 0; i < 2; ++i) {
    if (code == 0 && outs[i] != nullptr) {
      *outs[i] = copies[i];
    } else {
      HostDrop(copies[i]);
    }
  }
  return code;
}

// Kept result list: the library owns one list per wrapper (kept), valid until the wrapper's next
// call. The host is called first, since the arguments may point into the previous result (a name
// held in it, the list itself passed back as options). Then the list *result designates is
// released whole (strings included) and left {0, null}, and so is kept; neither is released twice
// when they are the same list. After the call kept holds the client's copy of the host's list, or
// {0, null} on any failure, and *result points to it (result may be null: then nothing is handed
// out, and nothing leaks). Returns the code as a status call does.
template <typename List, typename Interface, typename... Params, typename... Args>
int32_t HostKeptCall(List& kept, List** result, HostMethod<Interface, Params...> method,
                     Args... args) {
  int32_t code = kHostCodePreset;
  List hostList{};
  Interface* host = HostInterfaceOrFail<Interface>();
  const bool called =
      host != nullptr && !HostCallFailed((host->*method)(args..., &code, &hostList));
  if (result != nullptr && *result != nullptr && *result != &kept) {
    HostReleaseValue(*result, HostClientFree);
    **result = List{};
  }
  HostReleaseValue(&kept, HostClientFree);
  kept = List{};
  if (result != nullptr) *result = &kept;
  if (host == nullptr) return code;
  if (!called) return HostFailedCode(code);
  List copy;
  const bool complete = HostTake(hostList, &copy);
  if (code != 0 || !complete) {
    if (code != 0) HostErrno = code;
    if (code == 0) code = (HostCopyRefused(), ErrNoMemory);
    HostDrop(copy);
    return code;
  }
  kept = copy;
  return code;
}

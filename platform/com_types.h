// COM's basic contracts with Windows' names and binary layout: GUIDs, HRESULT codes, IUnknown.
//
// Interfaces are classes of pure virtual methods with no virtual destructor, so the vtable slot of
// every method is its declaration order, as the host's callers and callees expect.
#pragma once

#include <cstring>

#include "platform/win_types.h"

// A 16-byte COM identifier, in Windows' layout.
struct GUID {
  DWORD Data1;    // first 32 bits
  WORD Data2;     // next 16 bits
  WORD Data3;     // next 16 bits
  BYTE Data4[8];  // last 8 bytes, in order
};
static_assert(sizeof(GUID) == 16);
// An interface's and a class's identifier, and references to identifiers.
typedef GUID IID;
typedef GUID CLSID;
typedef const GUID& REFGUID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;

// Equality as COM compares identifiers: the two 64-bit halves of the 16 bytes.
inline bool IsEqualGUID(REFGUID a, REFGUID b) {
  unsigned long long a0, a1, b0, b1;
  std::memcpy(&a0, &a, 8);
  std::memcpy(&a1, reinterpret_cast<const char*>(&a) + 8, 8);
  std::memcpy(&b0, &b, 8);
  std::memcpy(&b1, reinterpret_cast<const char*>(&b) + 8, 8);
  return a0 == b0 && a1 == b1;
}
// IsEqualGUID, for interface identifiers and in operator form.
inline bool IsEqualIID(REFIID a, REFIID b) {
  return IsEqualGUID(a, b);
}
// IsEqualGUID as an operator.
inline bool operator==(REFGUID a, REFGUID b) {
  return IsEqualGUID(a, b);
}

// Whether an HRESULT reports success (not negative) or failure.
#define SUCCEEDED(hr) (static_cast<HRESULT>(hr) >= 0)
#define FAILED(hr) (static_cast<HRESULT>(hr) < 0)

// HRESULT codes, Windows' values: success, then the failures the library meets.
inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
inline constexpr HRESULT RPC_E_SERVERCALL_RETRYLATER = static_cast<HRESULT>(0x8001010A);
inline constexpr HRESULT RPC_E_CALL_REJECTED = static_cast<HRESULT>(0x80010001);
inline constexpr HRESULT CO_E_CLASSSTRING = static_cast<HRESULT>(0x800401F3);
inline constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110);

#define STDMETHODCALLTYPE  // the calling convention of COM methods

// {00000000-0000-0000-C000-000000000046}
inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The base of every COM interface: identity and reference counting.
struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) = 0;  // slot 0
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;                                  // slot 1
  virtual ULONG STDMETHODCALLTYPE Release() = 0;                                 // slot 2
};

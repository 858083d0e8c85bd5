// COM's stream contract with Windows' names and binary layout: the 64-bit integers passed by value,
// STATSTG, ISequentialStream and IStream in their vtable order.
#pragma once

#include "platform/com_types.h"

// 64-bit integers and a wide-character name, as COM's stream methods take them.
typedef int64_t LONGLONG;
typedef uint64_t ULONGLONG;
typedef WCHAR* LPOLESTR;

// A signed 64-bit value, passed by value, readable as two 32-bit halves.
union LARGE_INTEGER {
  struct {
    DWORD LowPart;
    LONG HighPart;
  } u;                // the two halves, low first
  LONGLONG QuadPart;  // the whole value
};
// An unsigned 64-bit value, passed by value, readable as two 32-bit halves.
union ULARGE_INTEGER {
  struct {
    DWORD LowPart;
    DWORD HighPart;
  } u;                 // the two halves, low first
  ULONGLONG QuadPart;  // the whole value
};
static_assert(sizeof(LARGE_INTEGER) == 8 && sizeof(ULARGE_INTEGER) == 8);

// A time in 100-nanosecond units since 1601, as two 32-bit halves.
struct FILETIME {
  DWORD dwLowDateTime;   // low 32 bits
  DWORD dwHighDateTime;  // high 32 bits
};

// What IStream::Stat describes: a stream's name, type, size, times and modes.
struct STATSTG {
  LPOLESTR pwcsName;        // the element's name, or null under STATFLAG_NONAME
  DWORD type;               // STGTY_*
  ULARGE_INTEGER cbSize;    // the size in bytes
  FILETIME mtime;           // last written
  FILETIME ctime;           // created
  FILETIME atime;           // last read
  DWORD grfMode;            // the access mode it was opened with
  DWORD grfLocksSupported;  // the region locks it supports
  CLSID clsid;              // its class (storages only)
  DWORD grfStateBits;       // state bits (storages only)
  DWORD reserved;           // 0
};
static_assert(sizeof(STATSTG) == 80 && offsetof(STATSTG, cbSize) == 16 &&
              offsetof(STATSTG, clsid) == 56);

// Seek's origins (start, current position, end), Stat's element type and flags.
inline constexpr DWORD STREAM_SEEK_SET = 0;
inline constexpr DWORD STREAM_SEEK_CUR = 1;
inline constexpr DWORD STREAM_SEEK_END = 2;
inline constexpr DWORD STGTY_STREAM = 2;
inline constexpr DWORD STATFLAG_DEFAULT = 0;
inline constexpr DWORD STATFLAG_NONAME = 1;

// {0C733A30-2A1C-11CE-ADE5-00AA0044773D}
inline constexpr IID IID_ISequentialStream = {
    0x0C733A30, 0x2A1C, 0x11CE, {0xAD, 0xE5, 0x00, 0xAA, 0x00, 0x44, 0x77, 0x3D}};
// {0000000C-0000-0000-C000-000000000046}
inline constexpr IID IID_IStream = {
    0x0000000C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// Reading and writing bytes in sequence.
struct ISequentialStream : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* read) = 0;  // slot 3
  virtual HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG count,
                                          ULONG* written) = 0;  // slot 4
};

// A stream of bytes with a position: COM's file.
struct IStream : ISequentialStream {
  virtual HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                         ULARGE_INTEGER* newPosition) = 0;  // slot 5
  virtual HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) = 0;       // slot 6
  virtual HRESULT STDMETHODCALLTYPE CopyTo(IStream* destination, ULARGE_INTEGER count,
                                           ULARGE_INTEGER* read,
                                           ULARGE_INTEGER* written) = 0;  // slot 7
  virtual HRESULT STDMETHODCALLTYPE Commit(DWORD flags) = 0;              // slot 8
  virtual HRESULT STDMETHODCALLTYPE Revert() = 0;                         // slot 9
  virtual HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count,
                                               DWORD lockType) = 0;  // slot 10
  virtual HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count,
                                                 DWORD lockType) = 0;      // slot 11
  virtual HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) = 0;  // slot 12
  virtual HRESULT STDMETHODCALLTYPE Clone(IStream** clone) = 0;            // slot 13
};

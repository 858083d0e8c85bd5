// ChannelStreamC: the IStream under every file channel, implemented directly on a platform file
// handle. Read, Write, Seek, CopyTo and Stat are one platform call each (CopyTo a loop of them);
// the other stream methods answer E_NOTIMPL. The handle is opened once by StreamOpenFile and
// closed by the last Release.
#pragma once

#include <cstdint>

#include "bridge/implement_com.h"
#include "platform/com_stream.h"

template <>
// IStream's identifier, for ImplementComC.
struct ComInterfaceId<IStream> {
  static constexpr const IID& iid = IID_IStream;  // IID_IStream
};

// Open kinds of StreamOpenFile.
inline constexpr int kStreamOpenRead = 0;
inline constexpr int kStreamOpenWrite = 1;
inline constexpr int kStreamOpenReadWrite = 2;
inline constexpr int kStreamNameUnits = 4096;  // UTF-16 units of a platform name, terminator in

// The stream under a file channel, on one platform file.
class ChannelStreamC : public ImplementComC<IStream, ComUltraliteC> {
 public:
  ChannelStreamC() = default;
  ~ChannelStreamC() override;  // closes the handle when one is open

  // Reads count bytes at the file position: S_OK when all arrived, S_FALSE when fewer did (the
  // end of the file), E_FAIL when the platform failed (the bytes that arrived are counted).
  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* read) override;
  // Writes count bytes: S_OK when all were written, else E_FAIL.
  HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG count, ULONG* written) override;
  // Moves by the low 32 bits of move, signed, from origin: S_OK with the new position, or E_FAIL.
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                 ULARGE_INTEGER* newPosition) override;
  // Not implemented: E_NOTIMPL.
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER size) override;
  // StreamCopyBytes of the low 32 bits of count into destination: S_OK, or E_FAIL.
  HRESULT STDMETHODCALLTYPE CopyTo(IStream* destination, ULARGE_INTEGER count, ULARGE_INTEGER* read,
                                   ULARGE_INTEGER* written) override;
  HRESULT STDMETHODCALLTYPE Commit(DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Revert() override;
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count,
                                       DWORD lockType) override;
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER offset, ULARGE_INTEGER count,
                                         DWORD lockType) override;
  // Fills in the null name, STGTY_STREAM and the file size (0 when unknown), whatever the flags,
  // and answers E_FAIL; callers read the size regardless.
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE Clone(IStream** clone) override;

  int32_t handle = 0;  // the platform handle as 32 bits (sign-extended when used); 0: none
};

// Opens the platform file for the UTF-8 name after the alias map and, for a network name, NetLib's
// local cache copy. kind is kStreamOpenRead (existing files only), kStreamOpenWrite or
// kStreamOpenReadWrite (created when missing; emptied with createAlways). 1 when the file was
// opened into the stream's handle; 0 on any failure, a name longer than 4095 UTF-16 units, or a
// stream that already has a file.
int StreamOpenFile(ChannelStreamC* stream, const char* name, int kind, int createAlways);
// Copies up to count bytes (0xFFFFFFFF: until the source delivers nothing) from source to
// destination through a 1024-byte buffer, storing the totals read and written when the pointers
// are given. 1 on success, 0 when the bytes of one pass were not all written or a Read failed
// (the bytes it delivered are written first).
int StreamCopyBytes(uint32_t count, IStream* source, uint32_t* readTotal, IStream* destination,
                    uint32_t* writtenTotal);

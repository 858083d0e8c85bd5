// The stream adapter's methods over the platform's file calls, the opening of its file and the
// copy loop between two streams.
#include "channel/channel_stream.h"

#include "channel/name_alias.h"
#include "path/net_files.h"
#include "platform/win_file.h"
#include "platform/win_text.h"
#include "strings/memory.h"

namespace {

HANDLE FullHandle(int32_t handle) {
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle));  // sign-extended
}

ULARGE_INTEGER Large(uint32_t value) {
  ULARGE_INTEGER large;
  large.QuadPart = value;
  return large;
}

// Opens the platform file for a name already in its final form.
int OpenPlatformFile(ChannelStreamC* stream, const char* name, int kind, int createAlways) {
  WCHAR wide[kStreamNameUnits] = {};
  // A name that does not fit whole is refused rather than cut into another file's name.
  if (MultiByteToWideChar(CP_UTF8, 0, name, -1, wide, kStreamNameUnits - 1) == 0) return 0;
  DWORD access = 0;
  DWORD disposition = 0;  // none: the platform refuses the open
  if (kind == kStreamOpenRead) {
    access = GENERIC_READ;
    disposition = OPEN_EXISTING;
  } else if (kind == kStreamOpenWrite || kind == kStreamOpenReadWrite) {
    access = kind == kStreamOpenWrite ? GENERIC_WRITE : GENERIC_READ | GENERIC_WRITE;
    disposition = createAlways != 0 ? CREATE_ALWAYS : OPEN_ALWAYS;
  }
  // No system dialog for a missing drive or medium while the file opens.
  const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  HANDLE file = CreateFileW(wide, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  SetErrorMode(previousMode);
  if (file == INVALID_HANDLE_VALUE) return 0;
  stream->handle = static_cast<int32_t>(reinterpret_cast<intptr_t>(file));
  return 1;
}

}  // namespace

ChannelStreamC::~ChannelStreamC() {
  if (handle != 0) CloseHandle(FullHandle(handle));
}

HRESULT STDMETHODCALLTYPE ChannelStreamC::Read(void* buffer, ULONG count, ULONG* read) {
  DWORD got = 0;
  const BOOL ok = ReadFile(FullHandle(handle), buffer, count, &got, nullptr);
  if (read != nullptr) *read = got;
  // A platform failure is no end of file: a copy must not take it for one.
  if (!ok) return E_FAIL;
  return got == count ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE ChannelStreamC::Write(const void* buffer, ULONG count, ULONG* written) {
  DWORD taken = 0;
  WriteFile(FullHandle(handle), buffer, count, &taken, nullptr);
  if (written != nullptr) *written = taken;
  return taken == count ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE ChannelStreamC::Seek(LARGE_INTEGER move, DWORD origin,
                                               ULARGE_INTEGER* newPosition) {
  const DWORD position =
      SetFilePointer(FullHandle(handle), static_cast<LONG>(move.u.LowPart), nullptr, origin);
  if (position == INVALID_SET_FILE_POINTER) return E_FAIL;
  if (newPosition != nullptr) *newPosition = Large(position);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE ChannelStreamC::SetSize(ULARGE_INTEGER) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ChannelStreamC::CopyTo(IStream* destination, ULARGE_INTEGER count,
                                                 ULARGE_INTEGER* read, ULARGE_INTEGER* written) {
  if (destination == nullptr) return E_POINTER;
  uint32_t readTotal = 0;
  uint32_t writtenTotal = 0;
  const int copied = StreamCopyBytes(count.u.LowPart, this, &readTotal, destination, &writtenTotal);
  if (read != nullptr) *read = Large(readTotal);
  if (written != nullptr) *written = Large(writtenTotal);
  return copied != 0 ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE ChannelStreamC::Commit(DWORD) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ChannelStreamC::Revert() {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ChannelStreamC::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ChannelStreamC::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) {
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE ChannelStreamC::Stat(STATSTG* stat, DWORD) {
  if (stat == nullptr) return E_POINTER;
  const DWORD size = GetFileSize(FullHandle(handle), nullptr);
  stat->pwcsName = nullptr;
  stat->type = STGTY_STREAM;
  stat->cbSize = Large(size == INVALID_FILE_SIZE ? 0 : size);
  return E_FAIL;
}

HRESULT STDMETHODCALLTYPE ChannelStreamC::Clone(IStream**) {
  return E_NOTIMPL;
}

int StreamOpenFile(ChannelStreamC* stream, const char* name, int kind, int createAlways) {
  if (stream == nullptr || name == nullptr || stream->handle != 0) return 0;
  name = ChanLookupNameAlias(name);
  char* local = nullptr;
  if (NetIsNetworkName(name) != 0) {
    // A network file is opened through its local cache copy: fetched, or found in the cache, or
    // for writing a cache name for a new file.
    int error = 0;
    if (NetOpenCachedLocal(name, &local, &error) != 0) {
      local = nullptr;
      if (kind == kStreamOpenWrite || kind == kStreamOpenReadWrite) {
        if (NetGetCacheFileName(name, &local) != 0) local = nullptr;
      }
    }
    if (local == nullptr) return 0;
    name = local;
  }
  const int opened = OpenPlatformFile(stream, name, kind, createAlways);
  MemFree(local);
  return opened;
}

int StreamCopyBytes(uint32_t count, IStream* source, uint32_t* readTotal, IStream* destination,
                    uint32_t* writtenTotal) {
  unsigned char buffer[1024];
  uint32_t remaining = count;
  uint32_t read = 0;
  uint32_t written = 0;
  int result = 1;
  while (remaining > 0) {
    const ULONG want = remaining < sizeof buffer ? remaining : sizeof buffer;
    ULONG got = 0;
    const bool readFailed = FAILED(source->Read(buffer, want, &got));
    if (got > want) got = want;
    if (readFailed) result = 0;  // what did arrive is still written
    if (got == 0) break;
    read += got;
    remaining -= got;
    ULONG done = 0;
    while (done < got) {
      ULONG taken = 0;
      destination->Write(buffer + done, got - done, &taken);
      if (taken == 0) break;
      done += taken > got - done ? got - done : taken;
    }
    written += done;
    if (done < got || readFailed) {
      result = 0;
      break;
    }
  }
  if (readTotal != nullptr) *readTotal = read;
  if (writtenTotal != nullptr) *writtenTotal = written;
  return result;
}

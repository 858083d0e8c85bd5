// A stream in memory for channel tests: it records the calls it receives and can take fewer bytes
// than it is given or refuse to move, so that channel logic is tested apart from platform files.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "channel/file_channel.h"
#include "strings/memory.h"

class MemoryStream : public IStream {
 public:
  std::string data;              // the stream's bytes
  size_t position = 0;           // where the next Read or Write starts
  long writeBudget = -1;         // bytes still accepted by Write; -1: no limit
  bool seekFails = false;        // every Seek fails without moving
  std::vector<unsigned> writes;  // the byte count of each Write call
  std::vector<unsigned> reads;   // the byte count asked by each Read call
  int refs = 1;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG count, ULONG* read) override {
    reads.push_back(count);
    size_t n = position < data.size() ? data.size() - position : 0;
    if (n > count) n = count;
    std::memcpy(buffer, data.data() + position, n);
    position += n;
    if (read != nullptr) *read = static_cast<ULONG>(n);
    return n == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG count, ULONG* written) override {
    writes.push_back(count);
    size_t n = count;
    if (writeBudget >= 0 && n > static_cast<size_t>(writeBudget)) n = writeBudget;
    if (writeBudget >= 0) writeBudget -= static_cast<long>(n);
    if (position + n > data.size()) data.resize(position + n, '\0');
    std::memcpy(data.data() + position, buffer, n);
    position += n;
    if (written != nullptr) *written = static_cast<ULONG>(n);
    return n == count ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin,
                                 ULARGE_INTEGER* newPosition) override {
    long long base = origin == STREAM_SEEK_SET   ? 0
                     : origin == STREAM_SEEK_CUR ? static_cast<long long>(position)
                                                 : static_cast<long long>(data.size());
    long long target = base + static_cast<int32_t>(move.u.LowPart);
    if (seekFails || target < 0 || origin > STREAM_SEEK_END) return E_FAIL;
    position = static_cast<size_t>(target);
    if (newPosition != nullptr) newPosition->QuadPart = position;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*,
                                   ULARGE_INTEGER*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
    stat->pwcsName = nullptr;
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = data.size();
    return E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }
};

// A channel record over a memory stream, as an open channel stands after opening.
struct MemoryChannel {
  MemoryStream stream;
  FileChannel channel = {};

  explicit MemoryChannel(uint8_t access = kChanReadable | kChanWritable, std::string bytes = {}) {
    stream.data = std::move(bytes);
    channel.stream = &stream;
    channel.access = access;
  }
  FileChannel* operator->() { return &channel; }
  FileChannel* get() { return &channel; }
};

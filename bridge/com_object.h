// ComUltraliteC: the small reference-counted COM base of the library's own objects (the
// notification sink, the message filter, the stream adapter).
//
// Counts are plain integers: every call reaches these objects on the client's one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

#include "platform/com_types.h"

// The reference-counted base of the library's COM objects (the notification sink, the message
// filter, the channel stream): one count for all of an object's interfaces.
class ComUltraliteC : public IUnknown {
 public:
  ComUltraliteC() = default;
  ComUltraliteC(const ComUltraliteC&) = delete;
  ComUltraliteC& operator=(const ComUltraliteC&) = delete;

  // Clears *out, runs the lookup: S_OK with one more reference, or E_NOINTERFACE.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  // Adds one reference and returns the new count.
  ULONG STDMETHODCALLTYPE AddRef() override;
  // Drops one reference; at 0 the object is destroyed when MayDelete allows it. Returns the new
  // count, or 0 once it reached 0.
  ULONG STDMETHODCALLTYPE Release() override;

  // Sets *out to the face that answers iid and adds a reference; leaves it null otherwise.
  virtual void LookupInterface(REFIID iid, void** out);
  // Nonzero when the object may be destroyed now that its count reached 0.
  virtual int MayDelete();
  virtual ~ComUltraliteC() = default;

  // The library heap, so that a refused allocation gives null rather than an exception.
  static void* operator new(size_t bytes, const std::nothrow_t&) noexcept;
  static void operator delete(void* block) noexcept;

  int32_t RefCount() const { return refCount_; }  // for tests and diagnostics

 protected:
  // The object's own IUnknown: the identity that every face's QueryInterface(IUnknown) gives.
  IUnknown* Identity() { return static_cast<ComUltraliteC*>(this); }

 private:
  int32_t refCount_ = 1;  // born with the creator's reference
};

// The base of the objects that talk to the host's interfaces; nothing of its own.
class HostApiInterfacesC : public ComUltraliteC {};

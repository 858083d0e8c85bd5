// Copy and release of what host calls hand over, one pair per host data shape. A shape is
// described once as a layout: its size and the places inside it that own memory. One copy routine
// and one release routine walk any layout, so every record, list and nested list shares them.
//
// Host copies differ from props/'s own copies in two ways: the allocation and release functions
// are parameters (the client's heap for copies, CoTaskMemFree for the host's blocks), and a null
// string stays null. Sizes are computed in 64 bits; a count times element size that does not fit
// fails like a refused allocation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "bridge/client_state.h"
#include "bridge/host_memory.h"
#include "bridge/host_records.h"

// What lies at one owning place of a layout.
enum class HostPart : uint8_t {
  kString,       // char*, owned
  kList,         // counted list {count, items} of `element` records
  kPointer,      // pointer to one owned `element` record, or null
  kTypedValue,   // a TypedValue: its payload owned by its type code
  kIdentName,    // a PropertyIdent: its name owned when its number is 0
  kTaggedText,   // a TaggedItem's text (its kind 4 bytes before): owned only for kind 1
  kCompactText,  // a CompactValue's payload (its type 8 bytes before): owned only for type 3
};

struct HostLayout;

// One place of a record that owns memory.
struct HostOwned {
  uint32_t offset;            // byte offset inside the record
  HostPart part;              // what lies there
  const HostLayout* element;  // the element or pointee of kList and kPointer
};

// Where a record owns memory: its size and its owning places.
struct HostLayout {
  uint32_t size;        // bytes of one record
  uint32_t ownedCount;  // places that own memory
  HostOwned owned[5];   // in record order
};

// Fills the owned places of dst, a byte copy of src, with copies made by alloc. A place whose copy
// fails is left null (a list keeps its count with null items), so dst is always releasable; the
// result is false then, since the copy lost what the host handed over.
bool HostCopyOwned(void* dst, const void* src, const HostLayout& layout, HostAllocFn alloc);
// Releases what record owns through release and nulls it (lists become {0, null}). Null does
// nothing.
void HostReleaseOwned(void* record, const HostLayout& layout, HostFreeFn release);
// The layout of the payload of a typed value with this type code, or null for a code without
// managed memory.
const HostOwned* HostPayloadPart(int32_t valType);

// The layout of each value type that host calls carry. Scalars and fixed records own nothing.
template <typename T>
struct HostLayoutOf {
  static_assert(std::is_trivially_copyable_v<T>);
  // Whether a copy or release has anything to walk, known at compile time: the calls on scalars
  // and fixed records cost nothing beyond the host's answer.
  static constexpr bool owns = false;
  static constexpr HostLayout layout = {sizeof(T), 0, {}};  // owns nothing
};
#define HOST_DECLARE_LAYOUT(T)         \
  template <>                          \
  struct HostLayoutOf<T> {             \
    static constexpr bool owns = true; \
    static const HostLayout& layout;   \
  };
HOST_DECLARE_LAYOUT(char*)
HOST_DECLARE_LAYOUT(StringList)
HOST_DECLARE_LAYOUT(IntList)
HOST_DECLARE_LAYOUT(QwordList)
HOST_DECLARE_LAYOUT(Block16List)
HOST_DECLARE_LAYOUT(ByteList)
HOST_DECLARE_LAYOUT(HostKeyText)
HOST_DECLARE_LAYOUT(HostKeyKeyText)
HOST_DECLARE_LAYOUT(HostThreeStrings)
HOST_DECLARE_LAYOUT(HostTextInts)
HOST_DECLARE_LAYOUT(NamedStrings)
HOST_DECLARE_LAYOUT(NamedStringsPair)
HOST_DECLARE_LAYOUT(CompoundEntry)
HOST_DECLARE_LAYOUT(KeyedStrings)
HOST_DECLARE_LAYOUT(TextEntryList)
HOST_DECLARE_LAYOUT(CompactValueList)
HOST_DECLARE_LAYOUT(NamedStringsList)
HOST_DECLARE_LAYOUT(NamedStringsPairList)
HOST_DECLARE_LAYOUT(CompoundEntryList)
HOST_DECLARE_LAYOUT(KeyedStringsList)
HOST_DECLARE_LAYOUT(TaggedItemList)
HOST_DECLARE_LAYOUT(TypedValue)
HOST_DECLARE_LAYOUT(ValueList*)
HOST_DECLARE_LAYOUT(PropertyValue)
HOST_DECLARE_LAYOUT(PropertyValueList)
HOST_DECLARE_LAYOUT(TextValuesEntry)
HOST_DECLARE_LAYOUT(TextValuesList)
HOST_DECLARE_LAYOUT(HostValueTextList)
HOST_DECLARE_LAYOUT(HostFiveStrings)
HOST_DECLARE_LAYOUT(HostFiveStrings*)
HOST_DECLARE_LAYOUT(HostFiveStringsList)
HOST_DECLARE_LAYOUT(HostRecord32)
HOST_DECLARE_LAYOUT(HostRecord32*)
HOST_DECLARE_LAYOUT(HostRecord32List)
#undef HOST_DECLARE_LAYOUT

// The copy of a pair: source's bytes, then everything it owns copied with alloc. *complete (when
// given) is false when an allocation was refused and the copy lacks part of source.
template <typename T>
T HostCopyValue(const T& source, HostAllocFn alloc, bool* complete = nullptr) {
  T copy;
  std::memcpy(static_cast<void*>(&copy), &source, sizeof(T));
  bool whole = true;
  if constexpr (HostLayoutOf<T>::owns) {
    whole = HostCopyOwned(&copy, &source, HostLayoutOf<T>::layout, alloc);
  }
  if (complete != nullptr) *complete = whole;
  return copy;
}

// The release of a pair: everything value owns, through release; null does nothing.
template <typename T>
void HostReleaseValue(T* value, HostFreeFn release) {
  if constexpr (HostLayoutOf<T>::owns) {
    if (value != nullptr) HostReleaseOwned(value, HostLayoutOf<T>::layout, release);
  }
}

// The client's copy of a value the host handed over into *copy; the host's memory is given back
// unless the host said it is shared. False when the copy could not be made whole: *copy is then
// still releasable, and the caller reports the call as failed.
template <typename T>
bool HostTake(T hostValue, T* copy) {
  bool complete = true;
  *copy = HostCopyValue(hostValue, HostClientAlloc, &complete);
  if (SharedHostMemory == 0) HostReleaseValue(&hostValue, HostTaskFree);
  return complete;
}

// Releases a client copy and leaves it zeroed.
template <typename T>
void HostDrop(T& copy) {
  HostReleaseValue(&copy, HostClientFree);
  std::memset(static_cast<void*>(&copy), 0, sizeof(T));
}

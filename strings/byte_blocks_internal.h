// Byte strings sixteen bytes at a time, in the vector registers every target has (SSE2, NEON);
// shared by the byte-string sources, not part of the library's interface.
//
// A string's length is not known before its terminator is found, so a block may reach past it. A
// load never faults inside one page, so blocks are read only where they end in the page they
// start in; near a page end the callers go byte by byte.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

typedef unsigned char Lanes __attribute__((vector_size(16)));
typedef unsigned char LanesAnyAddress __attribute__((vector_size(16), aligned(1), may_alias));
typedef signed char SignedLanes __attribute__((vector_size(16)));
typedef uint64_t Halves __attribute__((vector_size(16)));
constexpr size_t kLanes = 16;

// The smallest page of every target.
constexpr uintptr_t kPage = 4096;

// The bytes from p to the end of its page.
inline size_t PageRest(const void* p) {
  return kPage - (reinterpret_cast<uintptr_t>(p) & (kPage - 1));
}

// Loads may cover bytes past the terminator (in the same page), which AddressSanitizer would
// report although the hardware reads them safely; the values there never decide a result.
__attribute__((no_sanitize("address"))) inline Lanes Load(const void* p) {
  return *static_cast<const LanesAnyAddress*>(p);
}

inline bool AnyLane(Lanes v) {
  Halves h = reinterpret_cast<Halves>(v);
  return (h[0] | h[1]) != 0;
}

// The first lane of v that is not zero; v has one.
inline size_t FirstLane(Lanes v) {
  if constexpr (std::endian::native == std::endian::little) {
    Halves h = reinterpret_cast<Halves>(v);
    return h[0] != 0 ? static_cast<size_t>(std::countr_zero(h[0])) / 8
                     : 8 + static_cast<size_t>(std::countr_zero(h[1])) / 8;
  } else {
    size_t k = 0;
    while (v[k] == 0) ++k;
    return k;
  }
}

// Non-zero lanes where x has a zero byte.
inline Lanes Terminators(Lanes x) {
  return reinterpret_cast<Lanes>(x == 0);
}

inline void Store(void* p, Lanes v) {
  *static_cast<LanesAnyAddress*>(p) = v;
}

template <typename T>
inline void MoveOverlapping(char* dst, const char* src, size_t n) {
  T head, tail;
  std::memcpy(&head, src, sizeof head);
  std::memcpy(&tail, src + n - sizeof tail, sizeof tail);
  std::memcpy(dst, &head, sizeof head);
  std::memcpy(dst + n - sizeof tail, &tail, sizeof tail);
}

// Copies n bytes, at most 2 * kLanes, from src to dst, which may overlap: two loads that may
// overlap each other, both before the stores.
inline void MoveShort(char* dst, const char* src, size_t n) {
  if (n >= kLanes) {
    Lanes head = Load(src);
    Lanes tail = Load(src + n - kLanes);
    Store(dst, head);
    Store(dst + n - kLanes, tail);
  } else if (n >= 8) {
    MoveOverlapping<uint64_t>(dst, src, n);
  } else if (n >= 4) {
    MoveOverlapping<uint32_t>(dst, src, n);
  } else if (n >= 2) {
    MoveOverlapping<uint16_t>(dst, src, n);
  } else if (n == 1) {
    dst[0] = src[0];
  }
}

}  // namespace

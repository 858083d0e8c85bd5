// Helpers shared by the props/ tests: heap strings and string lists built the way the host builds
// them, and a recorder of the block sizes the library asks of the heap.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

#include "platform/platform_calls.h"
#include "props/counted_list.h"
#include "strings/memory.h"

// A heap copy of text on the library's heap (null stays null).
inline char* HeapString(const char* text) {
  if (text == nullptr) return nullptr;
  return static_cast<char*>(MemDup(text, std::strlen(text) + 1, kMemFatal));
}

// A StringList with exactly texts.size() slots, as a copy or the host would make it.
inline StringList MakeStringList(std::initializer_list<const char*> texts) {
  StringList list{static_cast<uint32_t>(texts.size()), nullptr};
  list.items = static_cast<char**>(MemCalloc(texts.size(), sizeof(char*), kMemFatal));
  size_t i = 0;
  for (const char* text : texts) list.items[i++] = HeapString(text);
  return list;
}

// Expects copy to hold the same strings as source in blocks of its own.
inline void ExpectSameStrings(const StringList& source, const StringList& copy) {
  ASSERT_EQ(copy.count, source.count);
  if (source.count == 0) return;
  ASSERT_NE(copy.items, nullptr);
  ASSERT_NE(copy.items, source.items);
  for (uint32_t i = 0; i < source.count; ++i) {
    SCOPED_TRACE(i);
    ASSERT_NE(copy.items[i], nullptr);
    EXPECT_NE(copy.items[i], source.items[i]);
    EXPECT_STREQ(copy.items[i], source.items[i] == nullptr ? "" : source.items[i]);
  }
}

// While alive, records the byte size of every block the library asks of the heap (allocations and
// reallocations; calloc sizes as count × size).
class AllocationRecorder {
 public:
  AllocationRecorder() : saved_(g_platformCalls) {
    real_ = g_platformCalls;
    sizes_.clear();
    g_platformCalls.Malloc = [](size_t bytes) {
      sizes_.push_back(bytes);
      return real_.Malloc(bytes);
    };
    g_platformCalls.Calloc = [](size_t n, size_t bytes) {
      sizes_.push_back(n * bytes);
      return real_.Calloc(n, bytes);
    };
    g_platformCalls.Realloc = [](void* block, size_t bytes) {
      sizes_.push_back(bytes);
      return real_.Realloc(block, bytes);
    };
  }
  ~AllocationRecorder() { g_platformCalls = saved_; }
  AllocationRecorder(const AllocationRecorder&) = delete;
  AllocationRecorder& operator=(const AllocationRecorder&) = delete;

  const std::vector<size_t>& sizes() const { return sizes_; }
  size_t last() const { return sizes_.empty() ? 0 : sizes_.back(); }

 private:
  PlatformCalls saved_;
  static inline PlatformCalls real_;
  static inline std::vector<size_t> sizes_;
};

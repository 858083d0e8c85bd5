// StrArray: a growable array of owned byte strings.
#include <climits>
#include <cstring>

#include "strings/byte_string.h"
#include "strings/memory.h"
#include "strings/str_array.h"

namespace {

// Indexes and counts travel as int, and the item array holds capacity+1 slots.
constexpr int64_t kMaxCapacity = INT32_MAX - 1;

// Ensures capacity >= needed: capacity + growBy, raised to needed when that is still short.
// Slots from count up to the new capacity are nulled. Fails (-1) on a refused allocation or a
// needed count the array cannot index; the array is then unchanged.
int Grow(StrArray* array, int64_t needed) {
  if (needed <= array->capacity) return 0;
  if (needed > kMaxCapacity) return -1;
  int64_t capacity = static_cast<int64_t>(array->capacity) + array->growBy;
  if (capacity < needed) capacity = needed;
  if (capacity > kMaxCapacity) capacity = kMaxCapacity;
  uint64_t slots = static_cast<uint64_t>(capacity) + 1;
  if (slots > SIZE_MAX / sizeof(char*)) return -1;
  void* items = MemRealloc(array->items, static_cast<size_t>(slots * sizeof(char*)), 0);
  if (items == nullptr) return -1;
  array->items = static_cast<char**>(items);
  for (uint64_t i = array->count; i < slots; ++i) array->items[i] = nullptr;
  array->capacity = static_cast<uint32_t>(capacity);
  return 0;
}

bool InRange(const StrArray* array, int index) {
  return array != nullptr && index >= 0 && static_cast<uint32_t>(index) < array->count;
}

void FreeItemsOf(StrArray* array) {
  if (array->items != nullptr) {
    for (uint32_t i = 0; i < array->count; ++i) MemFree(array->items[i]);
  }
  MemFree(array->items);
  array->items = nullptr;
  array->capacity = 0;
  array->count = 0;
}

template <int (*Equal)(const char*, const char*)>
int IndexWhere(const StrArray* array, const char* s) {
  if (array == nullptr) return -1;
  for (uint32_t i = 0; i < array->count; ++i) {
    if (Equal(array->items[i], s)) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace

StrArray* StrArrayNew(int capacity, int growBy) {
  if (capacity < 0 || growBy < 0) return nullptr;
  // The item array first: when it is refused the fatal error leaves nothing behind.
  auto* items =
      static_cast<char**>(MemCalloc(static_cast<size_t>(capacity) + 1, sizeof(char*), kMemFatal));
  auto* array = static_cast<StrArray*>(MemCalloc(1, sizeof(StrArray), 0));
  if (array == nullptr) {
    MemFree(items);
    return nullptr;
  }
  array->capacity = static_cast<uint32_t>(capacity);
  array->growBy = static_cast<uint32_t>(growBy);
  array->items = items;
  return array;
}

int StrArrayAppend(StrArray* array, const char* s) {
  if (array == nullptr) return -1;
  char* copy = StrCopyNew(s);
  if (copy == nullptr) return -1;
  if (Grow(array, static_cast<int64_t>(array->count) + 1) != 0) {
    MemFree(copy);
    return -1;
  }
  array->items[array->count++] = copy;
  return 0;
}

int StrArrayInsert(StrArray* array, const char* s, int index) {
  // The index is checked first: a refused insert must not leave an appended item behind.
  if (array == nullptr || index < 0 || static_cast<uint32_t>(index) > array->count) return -1;
  if (StrArrayAppend(array, s) != 0) return -1;
  char** items = array->items;
  char* added = items[array->count - 1];
  std::memmove(items + index + 1, items + index, (array->count - 1 - index) * sizeof(char*));
  items[index] = added;
  return 0;
}

int StrArrayReplace(StrArray* array, const char* s, int index) {
  if (!InRange(array, index)) return -1;
  MemFree(array->items[index]);
  array->items[index] = StrCopyNew(s);
  return array->items[index] != nullptr ? 0 : -1;
}

int StrArrayRemoveAt(StrArray* array, int index) {
  if (!InRange(array, index)) return -1;
  char** items = array->items;
  MemFree(items[index]);
  std::memmove(items + index, items + index + 1, (array->count - 1 - index) * sizeof(char*));
  items[--array->count] = nullptr;
  return 0;
}

int StrArrayRemove(StrArray* array, const char* s) {
  return StrArrayRemoveAt(array, StrArrayIndexOf(array, s));
}

int StrArrayIndexOf(const StrArray* array, const char* s) {
  return IndexWhere<StrEqual>(array, s);
}

int StrArrayIIndexOf(const StrArray* array, const char* s) {
  return IndexWhere<StrIEqual>(array, s);
}

int StrArrayFind(const StrArray* array, const char* s, int exact) {
  return exact != 0 ? StrArrayIndexOf(array, s) : StrArrayIIndexOf(array, s);
}

int StrArrayAppendAll(StrArray* array, const StrArray* other) {
  if (array == nullptr) return -1;
  if (other == nullptr || other->count == 0) return 0;
  uint32_t added = other->count;  // other may be array itself
  if (Grow(array, static_cast<int64_t>(array->count) + added) != 0) return -1;
  char** slots = array->items + array->count;
  for (uint32_t i = 0; i < added; ++i) {
    slots[i] = StrCopyNew(other->items[i]);
    if (slots[i] == nullptr) {
      // Take back this call's copies so the array keeps exactly what it had.
      for (uint32_t j = 0; j < i; ++j) {
        MemFree(slots[j]);
        slots[j] = nullptr;
      }
      return -1;
    }
  }
  array->count += added;
  return 0;
}

int StrArrayReserve(StrArray* array, int n) {
  if (array == nullptr) return -1;
  return Grow(array, n);
}

int StrArrayCount(const StrArray* array) {
  return array != nullptr ? static_cast<int>(array->count) : 0;
}

char** StrArrayItems(const StrArray* array) {
  return array != nullptr ? array->items : nullptr;
}

char* StrArrayGet(const StrArray* array, int index) {
  return InRange(array, index) ? array->items[index] : nullptr;
}

int StrArrayCopyItem(const StrArray* array, int index, char* buffer, int size) {
  return StrCopyN(buffer, StrArrayGet(array, index), size);
}

void StrArrayClear(StrArray* array) {
  if (array == nullptr) return;
  FreeItemsOf(array);
  MemFree(array);
}

void StrArrayDispose(StrArray** ref) {
  if (ref == nullptr || *ref == nullptr) MemBailOut();
  StrArrayClear(*ref);
  *ref = nullptr;
}

void StrArrayFreeItems(StrArray** ref) {
  if (ref == nullptr || *ref == nullptr) MemBailOut();
  FreeItemsOf(*ref);
}

// StrArray: a growable array of owned byte strings. Every item is a private copy (StrCopyNew)
// that the array frees; the item array always has capacity+1 slots, null from count on.
// Operations return 0 on success and -1 on failure unless stated.
#pragma once

#include <cstddef>
#include <cstdint>

// The array: its slots, its count and how it grows.
struct StrArray {
  uint32_t capacity;  // item slots allocated (the array holds one more, always null)
  uint32_t count;     // slots in use
  uint32_t growBy;    // slots added when full; 0 grows by exactly what is needed
  char** items;       // capacity+1 string pointers, null from count on
};
static_assert(sizeof(StrArray) == 24 && alignof(StrArray) == 8);
static_assert(offsetof(StrArray, capacity) == 0 && offsetof(StrArray, count) == 4);
static_assert(offsetof(StrArray, growBy) == 8 && offsetof(StrArray, items) == 16);

// A new empty array with room for capacity items; null when the record cannot be allocated or
// capacity or growBy is negative. A refused item array is the fatal error.
StrArray* StrArrayNew(int capacity, int growBy);
// Appends a copy of s (null s fails).
int StrArrayAppend(StrArray* array, const char* s);
// Inserts a copy of s at index (0..count), moving the items from index up by one.
int StrArrayInsert(StrArray* array, const char* s, int index);
// Frees the item at index and stores a copy of s; when the copy fails the slot is left null.
int StrArrayReplace(StrArray* array, const char* s, int index);
// Frees the item at index and closes the gap; an index outside 0..count-1 changes nothing (-1).
int StrArrayRemoveAt(StrArray* array, int index);
// Removes the first item equal to s (StrEqual); -1 when there is none.
int StrArrayRemove(StrArray* array, const char* s);
// The index of the first item equal to s (StrEqual), or -1.
int StrArrayIndexOf(const StrArray* array, const char* s);
// The index of the first item equal to s ignoring case (StrIEqual), or -1.
int StrArrayIIndexOf(const StrArray* array, const char* s);
// StrArrayIndexOf when exact is non-zero, else StrArrayIIndexOf.
int StrArrayFind(const StrArray* array, const char* s, int exact);
// Appends copies of all of other's items (null or empty other: nothing to do). On failure the
// array keeps its count and items as they were.
int StrArrayAppendAll(StrArray* array, const StrArray* other);
// Ensures room for n items.
int StrArrayReserve(StrArray* array, int n);
// The number of items; null gives 0.
int StrArrayCount(const StrArray* array);
// The item array (null-terminated); null gives null.
char** StrArrayItems(const StrArray* array);
// The item at index, or null outside 0..count-1.
char* StrArrayGet(const StrArray* array, int index);
// StrCopyN of the item at index into buffer (an empty string outside 0..count-1).
int StrArrayCopyItem(const StrArray* array, int index, char* buffer, int size);
// Frees every item, the item array and the record itself; null does nothing.
void StrArrayClear(StrArray* array);
// StrArrayClear of *ref, then nulls *ref; a null array is the fatal error.
void StrArrayDispose(StrArray** ref);
// Frees every item and the item array but keeps the record, empty; a null array is the fatal error.
void StrArrayFreeItems(StrArray** ref);

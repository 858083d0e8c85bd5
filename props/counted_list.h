// Counted lists in the layout the host shares: a 32-bit count, 4 bytes of padding, then a pointer
// to count elements laid end to end. Null items mean an empty list whatever count holds. Plain
// lists own only their items block; a StringList also owns every string it points to.
#pragma once

#include <cstddef>
#include <cstdint>

// The shape common to every counted list; what ListAlloc16/24/32 hand back.
struct CountedList {
  uint32_t count;  // number of elements
  void* items;     // heap block of count elements, or null (empty)
};

// A counted list of bytes.
struct ByteList {
  uint32_t count;  // number of bytes
  uint8_t* items;  // heap block of count bytes, or null
};

// A counted list of 32-bit integers.
struct IntList {
  uint32_t count;  // number of 32-bit items
  int32_t* items;  // heap block of count items, or null
};

// A counted list of 64-bit values.
struct QwordList {
  uint32_t count;   // number of 8-byte items
  uint64_t* items;  // heap block of count items, or null
};

// Sixteen bytes the library copies without reading.
struct Block16 {
  uint8_t bytes[16];  // opaque to the library
};

// A counted list of 16-byte records.
struct Block16List {
  uint32_t count;  // number of 16-byte items
  Block16* items;  // heap block of count items, or null
};

// A counted list of owned strings.
struct StringList {
  uint32_t count;  // number of strings
  char** items;    // heap block of count owned string pointers, or null
};

static_assert(sizeof(CountedList) == 16 && offsetof(CountedList, count) == 0 &&
              offsetof(CountedList, items) == 8);
static_assert(sizeof(ByteList) == 16 && offsetof(ByteList, count) == 0 &&
              offsetof(ByteList, items) == 8);
static_assert(sizeof(IntList) == 16 && offsetof(IntList, count) == 0 &&
              offsetof(IntList, items) == 8);
static_assert(sizeof(QwordList) == 16 && offsetof(QwordList, count) == 0 &&
              offsetof(QwordList, items) == 8);
static_assert(sizeof(Block16) == 16);
static_assert(sizeof(Block16List) == 16 && offsetof(Block16List, count) == 0 &&
              offsetof(Block16List, items) == 8);
static_assert(sizeof(StringList) == 16 && offsetof(StringList, count) == 0 &&
              offsetof(StringList, items) == 8);

// The same list record seen with its element type, e.g. ListOf<TaggedItemList>(ListAlloc16(n)).
template <typename List>
inline List ListOf(CountedList list) {
  static_assert(sizeof(List) == sizeof(CountedList));
  return List{list.count, static_cast<decltype(List::items)>(list.items)};
}

// ---- Allocation: zero-filled items; {0, null} when the block cannot be had ----

// n zero-filled 16-byte items; the block holds at least one item even for n = 0 (count stays n).
CountedList ListAlloc16(uint32_t n);
// n zero-filled 24-byte items.
CountedList ListAlloc24(uint32_t n);
// n zero-filled 32-byte items.
CountedList ListAlloc32(uint32_t n);

// ---- Plain lists: items copied bit for bit ----

// Copies of a list (a valid record is required): same count, a new zero-filled block that receives
// the items; a failed block leaves the count with null items, which reads as empty.
ByteList ByteListCopy(const ByteList* source);
IntList IntListCopy(const IntList* source);
QwordList QwordListCopy(const QwordList* source);
Block16List Block16ListCopy(const Block16List* source);

// Releases the items block and leaves {0, null}; a null address does nothing.
void PlainListFree(CountedList* list);
void PlainListFree(ByteList* list);
void PlainListFree(IntList* list);
void PlainListFree(QwordList* list);
void PlainListFree(Block16List* list);

// ---- String lists ----

// Deep copy (a valid record is required): every string duplicated, a null string becoming a new
// empty one; a failed block keeps the count with null items, a failed string leaves a null item.
StringList StringListCopy(const StringList* source);
// Releases every string, last to first, then the block, and leaves {0, null}; null does nothing.
void StringListFree(StringList* list);
// Appends the pointer itself: the list adopts text. When the block cannot grow nothing is appended
// and text stays the caller's (count tells which happened).
void StringListAppend(StringList* list, char* text);

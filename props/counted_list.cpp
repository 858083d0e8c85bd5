// Allocation, copy and release of plain counted lists and string lists.
#include "props/counted_list.h"

#include <cstring>

#include "props/list_templates.h"
#include "props/string_copy.h"
#include "strings/memory.h"

namespace {

constexpr uint32_t kStringListGrowth = 16;  // string list blocks grow in steps of this many slots

CountedList AllocZeroed(uint32_t n, size_t itemSize, size_t minItems) {
  void* block = MemCalloc(n < minItems ? minItems : n, itemSize, 0);
  if (block == nullptr) return CountedList{0, nullptr};
  return CountedList{n, block};
}

template <typename List>
List CopyPlain(const List* source) {
  return PropListCopyEach(source, [](auto* dst, const auto* src) { *dst = *src; });
}

template <typename List>
void FreePlain(List* list) {
  PropListFreeEach(list, [](auto*) {});
}

}  // namespace

CountedList ListAlloc16(uint32_t n) {
  return AllocZeroed(n, 16, 1);
}
CountedList ListAlloc24(uint32_t n) {
  return AllocZeroed(n, 24, 0);
}
CountedList ListAlloc32(uint32_t n) {
  return AllocZeroed(n, 32, 0);
}

ByteList ByteListCopy(const ByteList* source) {
  return CopyPlain(source);
}
IntList IntListCopy(const IntList* source) {
  return CopyPlain(source);
}
QwordList QwordListCopy(const QwordList* source) {
  return CopyPlain(source);
}
Block16List Block16ListCopy(const Block16List* source) {
  return CopyPlain(source);
}

void PlainListFree(CountedList* list) {
  if (list == nullptr) return;
  MemFree(list->items);
  list->count = 0;
  list->items = nullptr;
}
void PlainListFree(ByteList* list) {
  FreePlain(list);
}
void PlainListFree(IntList* list) {
  FreePlain(list);
}
void PlainListFree(QwordList* list) {
  FreePlain(list);
}
void PlainListFree(Block16List* list) {
  FreePlain(list);
}

StringList StringListCopy(const StringList* source) {
  return PropListCopyEach(source,
                          [](char** dst, char* const* src) { *dst = PropStringCopy(*src); });
}

void StringListFree(StringList* list) {
  PropListFreeEach(list, [](char** text) {
    MemFree(*text);
    *text = nullptr;
  });
}

void StringListAppend(StringList* list, char* text) {
  if (list == nullptr) MemBailOut();
  if (list->items == nullptr) list->count = 0;
  uint32_t count = list->count;
  if (count == UINT32_MAX) return;
  // The list keeps no capacity. A list built by appending has a block of count rounded up to 16
  // slots, but a copied list, or one the host made, has exactly count slots. Resizing to the
  // rounded-up size on every append that is not at a multiple of 16 is a no-op for the first kind
  // and the growth the second needs; at a multiple of 16 the block is full either way.
  size_t slots = (static_cast<size_t>(count) / kStringListGrowth + 1) * kStringListGrowth;
  auto** items = static_cast<char**>(MemRealloc(list->items, slots * sizeof(char*), 0));
  if (items == nullptr) return;
  std::memset(items + count, 0, (slots - count) * sizeof(char*));
  items[count] = text;
  list->items = items;
  list->count = count + 1;
}

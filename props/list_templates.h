// The copy and release loops that every counted list of props/ shares. Internal to props/.
#pragma once

#include <cstdint>

#include "strings/memory.h"

// Same count as the source and a new zero-filled block; when both blocks exist, copyOne(dst, src)
// fills each element from the last to the first. A failed block leaves the count with null items.
// The caller must pass a valid source: a null one is a broken invariant.
template <typename List, typename CopyOne>
List PropListCopyEach(const List* source, CopyOne copyOne) {
  if (source == nullptr) MemBailOut();
  List copy{source->count, nullptr};
  // MemCalloc multiplies in size_t and refuses a product that does not fit.
  copy.items = static_cast<decltype(copy.items)>(MemCalloc(copy.count, sizeof(*copy.items), 0));
  if (copy.items != nullptr && source->items != nullptr) {
    for (uint32_t i = copy.count; i-- > 0;) copyOne(&copy.items[i], &source->items[i]);
  }
  return copy;
}

// freeOne(element) for every element from the last to the first, then the block; leaves {0, null}.
// Null items mean an empty list whatever the count says; a null address does nothing.
template <typename List, typename FreeOne>
void PropListFreeEach(List* list, FreeOne freeOne) {
  if (list == nullptr) return;
  if (list->items == nullptr) list->count = 0;
  for (uint32_t i = list->count; i-- > 0;) freeOne(&list->items[i]);
  MemFree(list->items);
  list->count = 0;
  list->items = nullptr;
}

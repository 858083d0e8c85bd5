// Copy and release of the element records that payloads and host results carry.
#include "props/payload_records.h"

#include "props/list_templates.h"
#include "props/prop_type.h"
#include "props/string_copy.h"
#include "strings/memory.h"

namespace {

void FreeString(char** text) {
  MemFree(*text);
  *text = nullptr;
}

template <typename Record>
const Record& Required(const Record* source) {
  if (source == nullptr) MemBailOut();
  return *source;
}

}  // namespace

TextEntry TextEntryCopy(const TextEntry* source) {
  TextEntry copy = Required(source);
  copy.text = PropStringCopy(source->text);
  return copy;
}

CompoundEntry CompoundEntryCopy(const CompoundEntry* source) {
  CompoundEntry copy = Required(source);
  copy.name = PropStringCopy(source->name);
  copy.list0 = StringListCopy(&source->list0);
  copy.list1 = StringListCopy(&source->list1);
  copy.text0 = PropStringCopy(source->text0);
  copy.text1 = PropStringCopy(source->text1);
  return copy;
}

NamedStrings NamedStringsCopy(const NamedStrings* source) {
  NamedStrings copy = Required(source);
  copy.name = PropStringCopy(source->name);
  copy.values = StringListCopy(&source->values);
  return copy;
}

NamedStringsPair NamedStringsPairCopy(const NamedStringsPair* source) {
  NamedStringsPair copy = Required(source);
  copy.name = PropStringCopy(source->name);
  copy.list0 = StringListCopy(&source->list0);
  copy.list1 = StringListCopy(&source->list1);
  return copy;
}

KeyedStrings KeyedStringsCopy(const KeyedStrings* source) {
  KeyedStrings copy = Required(source);
  copy.values = StringListCopy(&source->values);
  return copy;
}

TaggedItem TaggedItemCopy(const TaggedItem* source) {
  if (source == nullptr) return TaggedItem{0, 1, nullptr};
  TaggedItem copy = *source;
  if (copy.kind == 1) copy.text = PropStringCopy(source->text);
  return copy;
}

void TextEntryFree(TextEntry* entry) {
  if (entry == nullptr) return;
  FreeString(&entry->text);
}

void CompoundEntryFree(CompoundEntry* entry) {
  if (entry == nullptr) return;
  FreeString(&entry->name);
  StringListFree(&entry->list0);
  StringListFree(&entry->list1);
  FreeString(&entry->text0);
  FreeString(&entry->text1);
}

void NamedStringsFree(NamedStrings* entry) {
  if (entry == nullptr) return;
  FreeString(&entry->name);
  StringListFree(&entry->values);
}

void NamedStringsPairFree(NamedStringsPair* entry) {
  if (entry == nullptr) return;
  FreeString(&entry->name);
  StringListFree(&entry->list0);
  StringListFree(&entry->list1);
}

void KeyedStringsFree(KeyedStrings* entry) {
  if (entry == nullptr) return;
  StringListFree(&entry->values);
}

void TaggedItemFree(TaggedItem* item) {
  if (item == nullptr || item->kind != 1) return;
  FreeString(&item->text);
}

TextEntryList TextEntryListCopy(const TextEntryList* source) {
  return PropListCopyEach(source, [](TextEntry* d, const TextEntry* s) { *d = TextEntryCopy(s); });
}

CompoundEntryList CompoundEntryListCopy(const CompoundEntryList* source) {
  return PropListCopyEach(
      source, [](CompoundEntry* d, const CompoundEntry* s) { *d = CompoundEntryCopy(s); });
}

NamedStringsList NamedStringsListCopy(const NamedStringsList* source) {
  return PropListCopyEach(source,
                          [](NamedStrings* d, const NamedStrings* s) { *d = NamedStringsCopy(s); });
}

NamedStringsPairList NamedStringsPairListCopy(const NamedStringsPairList* source) {
  return PropListCopyEach(
      source, [](NamedStringsPair* d, const NamedStringsPair* s) { *d = NamedStringsPairCopy(s); });
}

KeyedStringsList KeyedStringsListCopy(const KeyedStringsList* source) {
  return PropListCopyEach(source,
                          [](KeyedStrings* d, const KeyedStrings* s) { *d = KeyedStringsCopy(s); });
}

TaggedItemList TaggedItemListCopy(const TaggedItemList* source) {
  uint32_t n = source == nullptr || source->items == nullptr ? 0 : source->count;
  auto* items = static_cast<TaggedItem*>(MemCalloc(n == 0 ? 1 : n, sizeof(TaggedItem), 0));
  if (items == nullptr) return TaggedItemList{0, nullptr};
  for (uint32_t i = 0; i < n; ++i) items[i] = TaggedItemCopy(&source->items[i]);
  return TaggedItemList{n, items};
}

void TextEntryListFree(TextEntryList* list) {
  PropListFreeEach(list, TextEntryFree);
}
void CompoundEntryListFree(CompoundEntryList* list) {
  PropListFreeEach(list, CompoundEntryFree);
}
void NamedStringsListFree(NamedStringsList* list) {
  PropListFreeEach(list, NamedStringsFree);
}
void NamedStringsPairListFree(NamedStringsPairList* list) {
  PropListFreeEach(list, NamedStringsPairFree);
}
void KeyedStringsListFree(KeyedStringsList* list) {
  PropListFreeEach(list, KeyedStringsFree);
}
void TaggedItemListFree(TaggedItemList* list) {
  PropListFreeEach(list, TaggedItemFree);
}

void CompactValueListFree(CompactValueList* list) {
  // A list of count 0 is left untouched: its block may still be its caller's.
  if (list == nullptr || list->items == nullptr || list->count == 0) return;
  for (uint32_t i = 0; i < list->count; ++i) {
    if (list->items[i].valType == PropString) FreeString(&list->items[i].payload.text);
  }
  // The count stays, as the host's callers expect; null items make it read as empty.
  MemFree(list->items);
  list->items = nullptr;
}

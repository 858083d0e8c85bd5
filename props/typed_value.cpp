// Copy and release of typed values by type code, and of the lists built on them.
#include "props/typed_value.h"

#include <cstring>

#include "props/string_copy.h"
#include "strings/memory.h"

namespace {

void FreeValueList(ValueList** list) {
  if (*list == nullptr) return;
  ValueListClear(*list);
  MemFree(*list);
  *list = nullptr;
}

}  // namespace

TypedValue TypedValueCopy(const TypedValue* source) {
  if (source == nullptr) MemBailOut();
  TypedValue copy{};
  copy.valType = source->valType;
  const TypedPayload& from = source->payload;
  TypedPayload& to = copy.payload;
  switch (source->valType) {
    case PropInt:
    case PropFixed:
    case PropWord:
      to.word = from.word;
      break;
    case PropString:
      to.string = PropStringCopy(from.string);
      break;
    case PropWords:
    case PropWords13:
    case PropWords15:
      to.words = IntListCopy(&from.words);
      break;
    case PropStrings:
      to.strings = StringListCopy(&from.strings);
      break;
    case PropQwords:
    case PropQwords12:
      to.qwords = QwordListCopy(&from.qwords);
      break;
    case PropTextEntries:
      to.textEntries = TextEntryListCopy(&from.textEntries);
      break;
    case PropInline8:
      std::memcpy(to.inline8, from.inline8, sizeof to.inline8);
      break;
    case PropInline16:
      std::memcpy(to.inline16, from.inline16, sizeof to.inline16);
      break;
    case PropBytes:
      to.bytes = ByteListCopy(&from.bytes);
      break;
    case PropCompoundEntries:
      to.compoundEntries = CompoundEntryListCopy(&from.compoundEntries);
      break;
    case PropNamedStrings:
      to.namedStrings = NamedStringsListCopy(&from.namedStrings);
      break;
    case PropBlock:
      to.block = MemDup(from.block, kPropBlockSize, 0);
      break;  // null stays null
    case PropValues:
      to.values = ValueListCopy(from.values);
      break;
    case PropNamedStringsPairs:
      to.namedStringsPairs = NamedStringsPairListCopy(&from.namedStringsPairs);
      break;
    case PropKeyedStrings:
      to.keyedStrings = KeyedStringsListCopy(&from.keyedStrings);
      break;
    default:
      break;  // PropCode11, PropCode16 and unknown codes: nothing is ours to copy
  }
  return copy;
}

void TypedValueFree(TypedValue* value) {
  if (value == nullptr) return;
  TypedPayload& payload = value->payload;
  switch (value->valType) {
    case PropString:
      MemFree(payload.string);
      payload.string = nullptr;
      break;
    case PropWords:
    case PropWords13:
    case PropWords15:
      PlainListFree(&payload.words);
      break;
    case PropStrings:
      StringListFree(&payload.strings);
      break;
    case PropQwords:
    case PropQwords12:
      PlainListFree(&payload.qwords);
      break;
    case PropTextEntries:
      TextEntryListFree(&payload.textEntries);
      break;
    case PropBytes:
      PlainListFree(&payload.bytes);
      break;
    case PropCompoundEntries:
      CompoundEntryListFree(&payload.compoundEntries);
      break;
    case PropNamedStrings:
      NamedStringsListFree(&payload.namedStrings);
      break;
    case PropBlock:
      MemFree(payload.block);
      payload.block = nullptr;
      break;
    case PropValues:
      FreeValueList(&payload.values);
      break;
    case PropNamedStringsPairs:
      NamedStringsPairListFree(&payload.namedStringsPairs);
      break;
    case PropKeyedStrings:
      KeyedStringsListFree(&payload.keyedStrings);
      break;
    default:
      break;  // scalars, inline bytes and codes with nothing managed
  }
}

ValueList* ValueListCopy(const ValueList* source) {
  if (source == nullptr) return nullptr;
  auto* copy = static_cast<ValueList*>(MemAlloc(sizeof(ValueList), 0));
  if (copy == nullptr) return nullptr;
  copy->count = source->count;
  copy->items = static_cast<TypedValue*>(MemCalloc(source->count, sizeof(TypedValue), 0));
  if (copy->items != nullptr && source->items != nullptr) {
    for (uint32_t i = 0; i < source->count; ++i) copy->items[i] = TypedValueCopy(&source->items[i]);
  }
  return copy;
}

void ValueListClear(ValueList* list) {
  if (list == nullptr || list->items == nullptr) return;
  for (uint32_t i = 0; i < list->count; ++i) TypedValueFree(&list->items[i]);
  MemFree(list->items);
  list->items = nullptr;
}

void TextValuesListFree(TextValuesList* list) {
  // A list of count 0 is left untouched: its block may still be its caller's.
  if (list == nullptr || list->items == nullptr || list->count == 0) return;
  for (uint32_t i = 0; i < list->count; ++i) {
    TextValuesEntry& entry = list->items[i];
    MemFree(entry.text);
    entry.text = nullptr;
    FreeValueList(&entry.valueList);
  }
  // The count stays, as the host's callers expect; null items make it read as empty.
  MemFree(list->items);
  list->items = nullptr;
}

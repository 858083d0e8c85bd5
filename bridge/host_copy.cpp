// The layouts of the host's data shapes, and the one copy and release walk over them.
#include "bridge/host_copy.h"

#include <cstring>

#include "props/prop_type.h"

namespace {

template <typename Field>
Field& At(void* record, uint32_t offset) {
  return *reinterpret_cast<Field*>(static_cast<char*>(record) + offset);
}
template <typename Field>
const Field& At(const void* record, uint32_t offset) {
  return *reinterpret_cast<const Field*>(static_cast<const char*>(record) + offset);
}

constexpr HostOwned String(uint32_t offset) {
  return {offset, HostPart::kString, nullptr};
}
constexpr HostOwned List(uint32_t offset, const HostLayout& element) {
  return {offset, HostPart::kList, &element};
}
constexpr HostOwned Pointer(uint32_t offset, const HostLayout& element) {
  return {offset, HostPart::kPointer, &element};
}

// Elements and records, each described once.
constexpr HostLayout kBytes1 = {1, 0, {}};
constexpr HostLayout kBytes4 = {4, 0, {}};
constexpr HostLayout kBytes8 = {8, 0, {}};
constexpr HostLayout kBytes16 = {16, 0, {}};
constexpr HostLayout kBytes24 = {24, 0, {}};
constexpr HostLayout kString = {8, 1, {String(0)}};
constexpr HostLayout kStringList = {16, 1, {List(0, kString)}};
constexpr HostLayout kIntList = {16, 1, {List(0, kBytes4)}};
constexpr HostLayout kQwordList = {16, 1, {List(0, kBytes8)}};
constexpr HostLayout kBlock16List = {16, 1, {List(0, kBytes16)}};
constexpr HostLayout kByteList = {16, 1, {List(0, kBytes1)}};
constexpr HostLayout kKeyText = {16, 1, {String(8)}};
constexpr HostLayout kKeyKeyText = {24, 1, {String(16)}};
constexpr HostLayout kThreeStrings = {24, 3, {String(0), String(8), String(16)}};
constexpr HostLayout kTextInts = {24, 2, {String(0), List(8, kBytes4)}};
constexpr HostLayout kTextEntry = {24, 1, {String(8)}};
constexpr HostLayout kNamedStrings = {32, 2, {String(0), List(8, kString)}};
constexpr HostLayout kNamedStringsPair = {48, 3, {String(0), List(8, kString), List(24, kString)}};
constexpr HostLayout kCompoundEntry = {
    72, 5, {String(0), List(24, kString), List(40, kString), String(56), String(64)}};
constexpr HostLayout kKeyedStrings = {24, 1, {List(8, kString)}};
constexpr HostLayout kTaggedItem = {16, 1, {{8, HostPart::kTaggedText, nullptr}}};
constexpr HostLayout kCompactValue = {24, 1, {{16, HostPart::kCompactText, nullptr}}};
constexpr HostLayout kTypedValue = {24, 1, {{0, HostPart::kTypedValue, nullptr}}};
constexpr HostLayout kValueList = {16, 1, {List(0, kTypedValue)}};
constexpr HostLayout kPropertyValue = {
    40, 2, {{0, HostPart::kIdentName, nullptr}, {16, HostPart::kTypedValue, nullptr}}};
constexpr HostLayout kTextValuesEntry = {32, 2, {String(8), Pointer(24, kValueList)}};
constexpr HostLayout kValueText = {16, 1, {String(8)}};
constexpr HostLayout kFiveStrings = {
    40, 5, {String(0), String(8), String(16), String(24), String(32)}};
constexpr HostLayout kFiveStringsPointer = {8, 1, {Pointer(0, kFiveStrings)}};
constexpr HostLayout kRecord32 = {32, 2, {String(8), String(24)}};
constexpr HostLayout kRecord32Pointer = {8, 1, {Pointer(0, kRecord32)}};

// Lists of them, as whole values.
constexpr HostLayout ListOfLayout(const HostLayout& element) {
  return {16, 1, {List(0, element)}};
}
constexpr HostLayout kTextEntryList = ListOfLayout(kTextEntry);
constexpr HostLayout kCompactValueList = ListOfLayout(kCompactValue);
constexpr HostLayout kNamedStringsList = ListOfLayout(kNamedStrings);
constexpr HostLayout kNamedStringsPairList = ListOfLayout(kNamedStringsPair);
constexpr HostLayout kCompoundEntryList = ListOfLayout(kCompoundEntry);
constexpr HostLayout kKeyedStringsList = ListOfLayout(kKeyedStrings);
constexpr HostLayout kTaggedItemList = ListOfLayout(kTaggedItem);
constexpr HostLayout kValueListPointer = {8, 1, {Pointer(0, kValueList)}};
constexpr HostLayout kPropertyValueList = ListOfLayout(kPropertyValue);
constexpr HostLayout kTextValuesList = ListOfLayout(kTextValuesEntry);
constexpr HostLayout kValueTextList = ListOfLayout(kValueText);
constexpr HostLayout kFiveStringsList = ListOfLayout(kFiveStringsPointer);
constexpr HostLayout kRecord32List = ListOfLayout(kRecord32Pointer);

// The payload of each type code that owns memory, at the payload's offset in a TypedValue.
constexpr HostOwned kPayloadString = String(8);
constexpr HostOwned kPayloadInts = List(8, kBytes4);
constexpr HostOwned kPayloadStrings = List(8, kString);
constexpr HostOwned kPayloadQwords = List(8, kBytes8);
constexpr HostOwned kPayloadTextEntries = List(8, kTextEntry);
constexpr HostOwned kPayloadBytes = List(8, kBytes1);
constexpr HostOwned kPayloadCompound = List(8, kCompoundEntry);
constexpr HostOwned kPayloadNamedStrings = List(8, kNamedStrings);
constexpr HostOwned kPayloadBlock = Pointer(8, kBytes24);  // copied shallowly
constexpr HostOwned kPayloadValues = Pointer(8, kValueList);
constexpr HostOwned kPayloadPairs = List(8, kNamedStringsPair);
constexpr HostOwned kPayloadKeyed = List(8, kKeyedStrings);

bool CopyPart(void* dst, const void* src, const HostOwned& part, HostAllocFn alloc);
void ReleasePart(void* record, const HostOwned& part, HostFreeFn release);

// Copies a string place; false when a text was there and its copy was refused.
bool CopyText(char*& dst, const char* src, HostAllocFn alloc) {
  dst = HostCopyString(src, alloc);
  return src == nullptr || dst != nullptr;
}

// Every element is visited even after a refusal: the byte copy still holds the host's pointers,
// and each must be replaced (by a copy or null) before the list can be released.
bool CopyList(CountedList& dst, const CountedList& src, const HostLayout& element,
              HostAllocFn alloc) {
  dst = {src.count, nullptr};
  if (src.items == nullptr) return true;
  const uint64_t bytes = static_cast<uint64_t>(src.count) * element.size;  // fits: 32 x 32 bits
  if (bytes > SIZE_MAX) return false;
  void* items = alloc(bytes == 0 ? 1 : static_cast<size_t>(bytes));
  if (items == nullptr) return false;
  if (bytes != 0) std::memcpy(items, src.items, static_cast<size_t>(bytes));
  bool complete = true;
  for (uint32_t i = 0; i < src.count; ++i) {
    const size_t at = static_cast<size_t>(i) * element.size;
    complete &= HostCopyOwned(static_cast<char*>(items) + at,
                              static_cast<const char*>(src.items) + at, element, alloc);
  }
  dst.items = items;
  return complete;
}

bool CopyPart(void* dst, const void* src, const HostOwned& part, HostAllocFn alloc) {
  switch (part.part) {
    case HostPart::kString:
      return CopyText(At<char*>(dst, part.offset), At<char*>(src, part.offset), alloc);
    case HostPart::kList:
      return CopyList(At<CountedList>(dst, part.offset), At<CountedList>(src, part.offset),
                      *part.element, alloc);
    case HostPart::kPointer: {
      const void* from = At<void*>(src, part.offset);
      void* copy = from != nullptr ? alloc(part.element->size) : nullptr;
      bool complete = from == nullptr || copy != nullptr;
      if (copy != nullptr) {
        std::memcpy(copy, from, part.element->size);
        complete = HostCopyOwned(copy, from, *part.element, alloc);
      }
      At<void*>(dst, part.offset) = copy;
      return complete;
    }
    case HostPart::kTypedValue: {
      const auto* value = &At<TypedValue>(src, part.offset);
      const HostOwned* payload = HostPayloadPart(value->valType);
      return payload == nullptr ||
             CopyPart(&At<TypedValue>(dst, part.offset), value, *payload, alloc);
    }
    case HostPart::kIdentName: {
      const auto& ident = At<PropertyIdent>(src, part.offset);
      if (ident.num != 0) return true;
      char* name = nullptr;
      const bool complete = CopyText(name, ident.name, alloc);
      At<PropertyIdent>(dst, part.offset).name = name;
      return complete;
    }
    case HostPart::kTaggedText:
      if (At<uint32_t>(src, part.offset - 4) != 1) return true;
      return CopyText(At<char*>(dst, part.offset), At<char*>(src, part.offset), alloc);
    case HostPart::kCompactText:
      if (At<int32_t>(src, part.offset - 8) != PropString) return true;
      return CopyText(At<char*>(dst, part.offset), At<char*>(src, part.offset), alloc);
  }
  return true;
}

void ReleasePart(void* record, const HostOwned& part, HostFreeFn release) {
  switch (part.part) {
    case HostPart::kString:
    case HostPart::kPointer: {
      void*& pointer = At<void*>(record, part.offset);
      if (pointer == nullptr) break;
      if (part.part == HostPart::kPointer) HostReleaseOwned(pointer, *part.element, release);
      release(pointer);
      pointer = nullptr;
      break;
    }
    case HostPart::kList: {
      auto& list = At<CountedList>(record, part.offset);
      if (list.items != nullptr) {
        for (uint32_t i = 0; i < list.count; ++i) {
          HostReleaseOwned(
              static_cast<char*>(list.items) + static_cast<size_t>(i) * part.element->size,
              *part.element, release);
        }
        release(list.items);
      }
      list = {0, nullptr};
      break;
    }
    case HostPart::kTypedValue: {
      auto* value = &At<TypedValue>(record, part.offset);
      if (const HostOwned* payload = HostPayloadPart(value->valType)) {
        ReleasePart(value, *payload, release);
      }
      break;
    }
    case HostPart::kIdentName: {
      auto& ident = At<PropertyIdent>(record, part.offset);
      if (ident.num == 0 && ident.name != nullptr) release(const_cast<char*>(ident.name));
      if (ident.num == 0) ident.name = nullptr;
      break;
    }
    case HostPart::kTaggedText:
    case HostPart::kCompactText: {
      const bool owned = part.part == HostPart::kTaggedText
                             ? At<uint32_t>(record, part.offset - 4) == 1
                             : At<int32_t>(record, part.offset - 8) == PropString;
      char*& text = At<char*>(record, part.offset);
      if (owned && text != nullptr) {
        release(text);
        text = nullptr;
      }
      break;
    }
  }
}

}  // namespace

const HostOwned* HostPayloadPart(int32_t valType) {
  switch (valType) {
    case PropString:
      return &kPayloadString;
    case PropWords:
    case PropWords13:
    case PropWords15:
      return &kPayloadInts;
    case PropStrings:
      return &kPayloadStrings;
    case PropQwords:
    case PropQwords12:
      return &kPayloadQwords;
    case PropTextEntries:
      return &kPayloadTextEntries;
    case PropBytes:
      return &kPayloadBytes;
    case PropCompoundEntries:
      return &kPayloadCompound;
    case PropNamedStrings:
      return &kPayloadNamedStrings;
    case PropBlock:
      return &kPayloadBlock;
    case PropValues:
      return &kPayloadValues;
    case PropNamedStringsPairs:
      return &kPayloadPairs;
    case PropKeyedStrings:
      return &kPayloadKeyed;
    default:
      return nullptr;  // scalars, inline bytes, codes without managed memory
  }
}

bool HostCopyOwned(void* dst, const void* src, const HostLayout& layout, HostAllocFn alloc) {
  bool complete = true;
  for (uint32_t i = 0; i < layout.ownedCount; ++i) {
    complete &= CopyPart(dst, src, layout.owned[i], alloc);
  }
  return complete;
}

void HostReleaseOwned(void* record, const HostLayout& layout, HostFreeFn release) {
  if (record == nullptr) return;
  for (uint32_t i = 0; i < layout.ownedCount; ++i) ReleasePart(record, layout.owned[i], release);
}

#define HOST_DEFINE_LAYOUT(T, layoutName) const HostLayout& HostLayoutOf<T>::layout = layoutName;
HOST_DEFINE_LAYOUT(char*, kString)
HOST_DEFINE_LAYOUT(StringList, kStringList)
HOST_DEFINE_LAYOUT(IntList, kIntList)
HOST_DEFINE_LAYOUT(QwordList, kQwordList)
HOST_DEFINE_LAYOUT(Block16List, kBlock16List)
HOST_DEFINE_LAYOUT(ByteList, kByteList)
HOST_DEFINE_LAYOUT(HostKeyText, kKeyText)
HOST_DEFINE_LAYOUT(HostKeyKeyText, kKeyKeyText)
HOST_DEFINE_LAYOUT(HostThreeStrings, kThreeStrings)
HOST_DEFINE_LAYOUT(HostTextInts, kTextInts)
HOST_DEFINE_LAYOUT(NamedStrings, kNamedStrings)
HOST_DEFINE_LAYOUT(NamedStringsPair, kNamedStringsPair)
HOST_DEFINE_LAYOUT(CompoundEntry, kCompoundEntry)
HOST_DEFINE_LAYOUT(KeyedStrings, kKeyedStrings)
HOST_DEFINE_LAYOUT(TextEntryList, kTextEntryList)
HOST_DEFINE_LAYOUT(CompactValueList, kCompactValueList)
HOST_DEFINE_LAYOUT(NamedStringsList, kNamedStringsList)
HOST_DEFINE_LAYOUT(NamedStringsPairList, kNamedStringsPairList)
HOST_DEFINE_LAYOUT(CompoundEntryList, kCompoundEntryList)
HOST_DEFINE_LAYOUT(KeyedStringsList, kKeyedStringsList)
HOST_DEFINE_LAYOUT(TaggedItemList, kTaggedItemList)
HOST_DEFINE_LAYOUT(TypedValue, kTypedValue)
HOST_DEFINE_LAYOUT(ValueList*, kValueListPointer)
HOST_DEFINE_LAYOUT(PropertyValue, kPropertyValue)
HOST_DEFINE_LAYOUT(PropertyValueList, kPropertyValueList)
HOST_DEFINE_LAYOUT(TextValuesEntry, kTextValuesEntry)
HOST_DEFINE_LAYOUT(TextValuesList, kTextValuesList)
HOST_DEFINE_LAYOUT(HostValueTextList, kValueTextList)
HOST_DEFINE_LAYOUT(HostFiveStrings, kFiveStrings)
HOST_DEFINE_LAYOUT(HostFiveStrings*, kFiveStringsPointer)
HOST_DEFINE_LAYOUT(HostFiveStringsList, kFiveStringsList)
HOST_DEFINE_LAYOUT(HostRecord32, kRecord32)
HOST_DEFINE_LAYOUT(HostRecord32*, kRecord32Pointer)
HOST_DEFINE_LAYOUT(HostRecord32List, kRecord32List)
#undef HOST_DEFINE_LAYOUT

// The layouts agree with the records' declared sizes.
static_assert(kTextEntry.size == sizeof(TextEntry) && kCompoundEntry.size == sizeof(CompoundEntry));
static_assert(kNamedStrings.size == sizeof(NamedStrings) &&
              kNamedStringsPair.size == sizeof(NamedStringsPair));
static_assert(kKeyedStrings.size == sizeof(KeyedStrings) && kTaggedItem.size == sizeof(TaggedItem));
static_assert(kCompactValue.size == sizeof(CompactValue) && kTypedValue.size == sizeof(TypedValue));
static_assert(kPropertyValue.size == sizeof(PropertyValue) &&
              kTextValuesEntry.size == sizeof(TextValuesEntry));
static_assert(kFiveStrings.size == sizeof(HostFiveStrings) &&
              kRecord32.size == sizeof(HostRecord32));
static_assert(kValueText.size == sizeof(HostValueText) && kTextInts.size == sizeof(HostTextInts));

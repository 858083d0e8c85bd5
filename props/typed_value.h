// Typed values: a type code and a 16-byte payload whose layout and ownership the code decides, in
// the layout the host shares; lists of them, and the text-and-values records built on them.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fixed/fixed.h"
#include "props/counted_list.h"
#include "props/payload_records.h"
#include "props/prop_type.h"

struct ValueList;

inline constexpr size_t kPropBlockSize = 24;  // bytes of the block a PropBlock payload points to

// The 16 payload bytes, read by the value's type code.
union TypedPayload {
  int32_t intValue;                        // PropInt
  Fixed fixedValue;                        // PropFixed
  char* string;                            // PropString: owned
  uint32_t word;                           // PropWord
  IntList words;                           // PropWords, PropWords13, PropWords15
  StringList strings;                      // PropStrings
  QwordList qwords;                        // PropQwords, PropQwords12
  TextEntryList textEntries;               // PropTextEntries
  uint8_t inline8[8];                      // PropInline8
  uint8_t inline16[16];                    // PropInline16
  ByteList bytes;                          // PropBytes
  CompoundEntryList compoundEntries;       // PropCompoundEntries
  NamedStringsList namedStrings;           // PropNamedStrings
  void* block;                             // PropBlock: owned kPropBlockSize bytes, or null
  ValueList* values;                       // PropValues: owned record, or null
  NamedStringsPairList namedStringsPairs;  // PropNamedStringsPairs
  KeyedStringsList keyedStrings;           // PropKeyedStrings
};

// A value with its type code: the 16-byte payload is read by the code.
struct TypedValue {
  int32_t valType;       // a PropType code; other codes carry nothing the library manages
  TypedPayload payload;  // read by valType
};

// A counted list of typed values.
struct ValueList {
  uint32_t count;     // number of values
  TypedValue* items;  // heap block of count values, or null
};

// An owned text with a list of typed values, between host words.
struct TextValuesEntry {
  uint64_t key;          // host's, not managed
  char* text;            // owned string
  uint64_t extra;        // host's, not managed
  ValueList* valueList;  // owned record, or null
};

// A counted list of TextValuesEntry records.
struct TextValuesList {
  uint32_t count;          // number of entries
  TextValuesEntry* items;  // heap block of count entries, or null
};

static_assert(sizeof(TypedPayload) == 16 && alignof(TypedPayload) == 8);
static_assert(sizeof(TypedValue) == 24 && offsetof(TypedValue, valType) == 0 &&
              offsetof(TypedValue, payload) == 8);
static_assert(sizeof(ValueList) == 16 && offsetof(ValueList, count) == 0 &&
              offsetof(ValueList, items) == 8);
static_assert(sizeof(TextValuesEntry) == 32 && offsetof(TextValuesEntry, key) == 0 &&
              offsetof(TextValuesEntry, text) == 8 && offsetof(TextValuesEntry, extra) == 16 &&
              offsetof(TextValuesEntry, valueList) == 24);
static_assert(sizeof(TextValuesList) == 16 && offsetof(TextValuesList, count) == 0 &&
              offsetof(TextValuesList, items) == 8);

// A deep copy of a valid value: valType, then the payload by its code (a null string becoming a new
// empty one, null block and ValueList pointers staying null); codes with nothing managed get a
// zero payload. Failed allocations leave null strings and pointers, or lists with null items.
TypedValue TypedValueCopy(const TypedValue* source);
// Releases what the payload owns and nulls it; valType stays. A null address does nothing.
void TypedValueFree(TypedValue* value);
// A new ValueList record with the source's count and a copy of every value; null gives null, and
// so does a record that cannot be had (a failed items block leaves the count with null items).
ValueList* ValueListCopy(const ValueList* source);
// Releases every value and the items block; items become null, the count and the record stay.
void ValueListClear(ValueList* list);
// Releases every entry's text and value list, then the items block; items become null while count
// stays, so the list reads as empty. A null address or a list of count 0 is left untouched.
void TextValuesListFree(TextValuesList* list);

// The element records that property payloads and host call results carry in counted lists, with
// their copy and release operations. Each record owns its strings and string lists unless a field
// says otherwise; the scalar words, flags, keys and tail bytes are the host's and are copied
// without being read.
#pragma once

#include <cstddef>
#include <cstdint>

#include "props/counted_list.h"

// Two host words, an owned string and eight host bytes.
struct TextEntry {
  uint32_t word0;  // host's
  uint32_t word1;  // host's
  char* text;      // owned string
  uint64_t tail;   // host's, copied unchanged
};

// A name, three host words, two string lists and two strings.
struct CompoundEntry {
  char* name;        // owned string
  uint32_t word0;    // host's
  uint32_t word1;    // host's
  uint32_t word2;    // host's
  StringList list0;  // owned
  StringList list1;  // owned
  char* text0;       // owned string
  char* text1;       // owned string
};

// A name with a list of strings and two host flags.
struct NamedStrings {
  char* name;         // owned string
  StringList values;  // owned
  uint8_t flag0;      // host's
  uint8_t flag1;      // host's
};

// A name with two lists of strings and three host flags.
struct NamedStringsPair {
  char* name;        // owned string
  StringList list0;  // owned
  StringList list1;  // owned
  uint8_t flag0;     // host's
  uint8_t flag1;     // host's
  uint8_t flag2;     // host's
};

// A host key with a list of strings.
struct KeyedStrings {
  uint32_t key;       // host's
  StringList values;  // owned
};

// A host value with a text that is owned only when kind is 1.
struct TaggedItem {
  uint32_t value;  // host's
  uint32_t kind;   // 1: text is an owned string; otherwise text is the host's and never touched
  char* text;      // see kind
};

// A host key with an 8-byte typed value; only a string (type 3) is owned.
struct CompactValue {
  uint64_t key;     // host's, not managed
  int32_t valType;  // property value type code; 3 (a string) is the only one with an owned payload
  union {
    char* text;     // owned string when valType is 3
    uint64_t bits;  // any other type: 8 bytes the host owns the meaning of
  } payload;        // read by valType
};

// A counted list of TextEntry records.
struct TextEntryList {
  uint32_t count;    // number of entries
  TextEntry* items;  // heap block of count entries, or null
};
// A counted list of CompoundEntry records.
struct CompoundEntryList {
  uint32_t count;        // number of entries
  CompoundEntry* items;  // heap block of count entries, or null
};
// A counted list of NamedStrings records.
struct NamedStringsList {
  uint32_t count;       // number of entries
  NamedStrings* items;  // heap block of count entries, or null
};
// A counted list of NamedStringsPair records.
struct NamedStringsPairList {
  uint32_t count;           // number of entries
  NamedStringsPair* items;  // heap block of count entries, or null
};
// A counted list of KeyedStrings records.
struct KeyedStringsList {
  uint32_t count;       // number of entries
  KeyedStrings* items;  // heap block of count entries, or null
};
// A counted list of TaggedItem records.
struct TaggedItemList {
  uint32_t count;     // number of items
  TaggedItem* items;  // heap block of count items (at least one slot), or null
};
// A counted list of CompactValue records.
struct CompactValueList {
  uint32_t count;       // number of values
  CompactValue* items;  // heap block of count values, or null
};

static_assert(sizeof(TextEntry) == 24 && offsetof(TextEntry, word0) == 0 &&
              offsetof(TextEntry, word1) == 4 && offsetof(TextEntry, text) == 8 &&
              offsetof(TextEntry, tail) == 16);
static_assert(sizeof(CompoundEntry) == 72 && offsetof(CompoundEntry, name) == 0 &&
              offsetof(CompoundEntry, word0) == 8 && offsetof(CompoundEntry, word1) == 12 &&
              offsetof(CompoundEntry, word2) == 16 && offsetof(CompoundEntry, list0) == 24 &&
              offsetof(CompoundEntry, list1) == 40 && offsetof(CompoundEntry, text0) == 56 &&
              offsetof(CompoundEntry, text1) == 64);
static_assert(sizeof(NamedStrings) == 32 && offsetof(NamedStrings, name) == 0 &&
              offsetof(NamedStrings, values) == 8 && offsetof(NamedStrings, flag0) == 24 &&
              offsetof(NamedStrings, flag1) == 25);
static_assert(sizeof(NamedStringsPair) == 48 && offsetof(NamedStringsPair, name) == 0 &&
              offsetof(NamedStringsPair, list0) == 8 && offsetof(NamedStringsPair, list1) == 24 &&
              offsetof(NamedStringsPair, flag0) == 40 && offsetof(NamedStringsPair, flag1) == 41 &&
              offsetof(NamedStringsPair, flag2) == 42);
static_assert(sizeof(KeyedStrings) == 24 && offsetof(KeyedStrings, key) == 0 &&
              offsetof(KeyedStrings, values) == 8);
static_assert(sizeof(TaggedItem) == 16 && offsetof(TaggedItem, value) == 0 &&
              offsetof(TaggedItem, kind) == 4 && offsetof(TaggedItem, text) == 8);
static_assert(sizeof(CompactValue) == 24 && offsetof(CompactValue, key) == 0 &&
              offsetof(CompactValue, valType) == 8 && offsetof(CompactValue, payload) == 16);
static_assert(sizeof(TextEntryList) == 16 && offsetof(TextEntryList, items) == 8);
static_assert(sizeof(CompoundEntryList) == 16 && offsetof(CompoundEntryList, items) == 8);
static_assert(sizeof(NamedStringsList) == 16 && offsetof(NamedStringsList, items) == 8);
static_assert(sizeof(NamedStringsPairList) == 16 && offsetof(NamedStringsPairList, items) == 8);
static_assert(sizeof(KeyedStringsList) == 16 && offsetof(KeyedStringsList, items) == 8);
static_assert(sizeof(TaggedItemList) == 16 && offsetof(TaggedItemList, items) == 8);
static_assert(sizeof(CompactValueList) == 16 && offsetof(CompactValueList, items) == 8);

// ---- Element copies: every scalar and flag as it stands, every owned string duplicated (a null
// one becoming a new empty string, a failed one null), every StringList by StringListCopy. The
// source must be a valid record unless stated. ----

TextEntry TextEntryCopy(const TextEntry* source);
CompoundEntry CompoundEntryCopy(const CompoundEntry* source);
NamedStrings NamedStringsCopy(const NamedStrings* source);
NamedStringsPair NamedStringsPairCopy(const NamedStringsPair* source);
KeyedStrings KeyedStringsCopy(const KeyedStrings* source);
// Duplicates text only when kind is 1; a null source gives {value 0, kind 1, text null}.
TaggedItem TaggedItemCopy(const TaggedItem* source);

// ---- Element releases: each owned string and list released and left null or {0, null}; a null
// address does nothing. ----

void TextEntryFree(TextEntry* entry);
void CompoundEntryFree(CompoundEntry* entry);
void NamedStringsFree(NamedStrings* entry);
void NamedStringsPairFree(NamedStringsPair* entry);
void KeyedStringsFree(KeyedStrings* entry);
// Releases text only when kind is 1.
void TaggedItemFree(TaggedItem* item);

// ---- List copies: same count, a new zero-filled block, each element copied from the last to the
// first; a failed block keeps the count with null items (reads as empty). ----

TextEntryList TextEntryListCopy(const TextEntryList* source);
CompoundEntryList CompoundEntryListCopy(const CompoundEntryList* source);
NamedStringsList NamedStringsListCopy(const NamedStringsList* source);
NamedStringsPairList NamedStringsPairListCopy(const NamedStringsPairList* source);
KeyedStringsList KeyedStringsListCopy(const KeyedStringsList* source);
// A null source or null items read as empty; the block holds at least one slot; count is 0 when
// the block cannot be had.
TaggedItemList TaggedItemListCopy(const TaggedItemList* source);

// ---- List releases: what each element owns, then the block; the list is left {0, null}. A null
// address does nothing. ----

void TextEntryListFree(TextEntryList* list);
void CompoundEntryListFree(CompoundEntryList* list);
void NamedStringsListFree(NamedStringsList* list);
void NamedStringsPairListFree(NamedStringsPairList* list);
void KeyedStringsListFree(KeyedStringsList* list);
void TaggedItemListFree(TaggedItemList* list);
// Releases the string payloads (valType 3) and the block; items become null while count stays
// as it was, so the list reads as empty. A list of count 0 is left untouched.
void CompactValueListFree(CompactValueList* list);

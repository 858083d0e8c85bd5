// The records that host calls exchange beyond those of props/: fixed records the host writes in
// place, and the small records with strings that some calls return. Layouts are the host's:
// natural 64-bit alignment, 32-bit fields padded before a pointer. Strings are owned by the
// record; the other fields are the host's and copied unread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "props/counted_list.h"
#include "props/payload_records.h"
#include "props/property_list.h"
#include "props/typed_value.h"

// Twenty-four bytes the host writes straight into the caller's record.
struct HostRecord24 {
  uint8_t bytes[24];  // opaque to the library
};

// A 16-byte argument: a 32-bit value and a pointer, as the host reads it.
struct HostValuePointer {
  int32_t value;        // host's
  const void* pointer;  // host's
};

// A record with one string at byte 8.
struct HostKeyText {
  uint64_t key;  // host's
  char* text;    // owned
};

// A record with one string at byte 16.
struct HostKeyKeyText {
  uint64_t key;    // host's
  uint64_t extra;  // host's
  char* text;      // owned
};

// A record of three strings.
struct HostThreeStrings {
  char* first;   // owned
  char* second;  // owned
  char* third;   // owned
};

// A string and a counted array of 32-bit values.
struct HostTextInts {
  char* text;      // owned
  IntList values;  // owned
};

// A record of five strings.
struct HostFiveStrings {
  char* texts[5];  // owned
};

// A counted array of pointers to owned five-string records.
struct HostFiveStringsList {
  uint32_t count;           // number of pointers
  HostFiveStrings** items;  // heap block of count owned pointers, or null
};

// A 32-byte record with strings at bytes 8 and 24.
struct HostRecord32 {
  uint64_t key;    // host's
  char* text0;     // owned
  uint64_t extra;  // host's
  char* text1;     // owned
};

// A counted array of pointers to owned 32-byte records.
struct HostRecord32List {
  uint32_t count;        // number of pointers
  HostRecord32** items;  // heap block of count owned pointers, or null
};

// A 16-byte {value, string} element.
struct HostValueText {
  int32_t value;  // host's
  char* text;     // owned
};

// A counted array of {value, string} elements.
struct HostValueTextList {
  uint32_t count;        // number of elements
  HostValueText* items;  // heap block of count elements, or null
};

static_assert(sizeof(HostRecord24) == 24);
static_assert(sizeof(HostValuePointer) == 16 && offsetof(HostValuePointer, pointer) == 8);
static_assert(sizeof(HostKeyText) == 16 && offsetof(HostKeyText, text) == 8);
static_assert(sizeof(HostKeyKeyText) == 24 && offsetof(HostKeyKeyText, text) == 16);
static_assert(sizeof(HostThreeStrings) == 24);
static_assert(sizeof(HostTextInts) == 24 && offsetof(HostTextInts, values) == 8);
static_assert(sizeof(HostFiveStrings) == 40);
static_assert(sizeof(HostFiveStringsList) == 16 && offsetof(HostFiveStringsList, items) == 8);
static_assert(sizeof(HostRecord32) == 32 && offsetof(HostRecord32, text0) == 8 &&
              offsetof(HostRecord32, text1) == 24);
static_assert(sizeof(HostRecord32List) == 16 && offsetof(HostRecord32List, items) == 8);
static_assert(sizeof(HostValueText) == 16 && offsetof(HostValueText, text) == 8);
static_assert(sizeof(HostValueTextList) == 16 && offsetof(HostValueTextList, items) == 8);

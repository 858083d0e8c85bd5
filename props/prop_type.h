// The type codes of property values: how the 16-byte payload of a typed value is laid out and what
// it owns. Any code not listed carries nothing the library manages.
#pragma once

#include <cstdint>

// The type code of a typed value.
enum PropType : int32_t {
  PropInt = 1,                 // signed 32-bit integer
  PropFixed = 2,               // 16.16 fixed-point number
  PropString = 3,              // owned string
  PropWord = 4,                // 32-bit value
  PropWords = 5,               // IntList
  PropStrings = 6,             // StringList
  PropQwords = 7,              // QwordList
  PropTextEntries = 8,         // TextEntryList
  PropInline8 = 9,             // 8 bytes held in place
  PropInline16 = 10,           // 16 bytes held in place
  PropCode11 = 11,             // nothing managed
  PropQwords12 = 12,           // QwordList
  PropWords13 = 13,            // IntList
  PropBytes = 14,              // ByteList
  PropWords15 = 15,            // IntList
  PropCode16 = 16,             // nothing managed
  PropCompoundEntries = 17,    // CompoundEntryList
  PropNamedStrings = 18,       // NamedStringsList
  PropBlock = 19,              // owned 24-byte block
  PropValues = 20,             // owned ValueList
  PropNamedStringsPairs = 21,  // NamedStringsPairList
  PropKeyedStrings = 22,       // KeyedStringsList
};

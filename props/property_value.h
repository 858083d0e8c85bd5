// One entry of a property value list: an ident (number, or name when the number is 0) with a typed
// value, and the copy and release of entries and idents.
#pragma once

#include <cstddef>

#include "props/property_ident.h"
#include "props/typed_value.h"

// One entry of a property value list: an ident with its typed value.
struct PropertyValue {
  PropertyIdent ident;  // the name is owned by the entry only when ident.num is 0
  TypedValue value;     // owned payload
};
static_assert(sizeof(PropertyValue) == 40 && offsetof(PropertyValue, ident) == 0 &&
              offsetof(PropertyValue, value) == 16);

// The ident and a deep copy of the value; a null source gives {0, null, PropInt 0}.
PropertyValue PropValueCopy(const PropertyValue* source);
// Releases a named entry's name, nulls the name and releases the value; null does nothing.
void PropValueFree(PropertyValue* entry);
// num copied; a named ident's name duplicated (a null name stays null), a numbered ident's pointer
// copied as it stands; a null source gives {0, null}.
PropertyIdent PropIdentCopy(const PropertyIdent* source);
// Releases and nulls the name of a named ident (num 0); a numbered ident and null are left alone.
void PropIdentFree(PropertyIdent* ident);

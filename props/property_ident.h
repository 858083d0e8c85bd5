// How a property is named in host calls and property value lists: by number, or by name when the
// number is 0.
#pragma once

#include <cstddef>
#include <cstdint>

// A property's number, or its name when the number is 0.
struct PropertyIdent {
  int32_t num;  // property number; 0 means the property is named by name
  const char*
      name;  // the name when num is 0 (owned by a list entry then); null for a numbered ident
};
static_assert(sizeof(PropertyIdent) == 16 && offsetof(PropertyIdent, name) == 8);

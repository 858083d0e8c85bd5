// Basic types of the host's calls.
#pragma once

#include <cstdint>

#include "platform/win_module.h"
#include "props/property_ident.h"

// Identifier of a host object (document, marker, ...); 0 means none.
typedef uint32_t ObjectId;

struct PropertyValueList;
// The client's description for the host: a property value list keyed 2 to 11 with string values.
typedef PropertyValueList ClientDescription;

// Basic types of the host's calls.
#pragma once

#include <cstdint>

#include "props/property_ident.h"

// Identifier of a host object (document, marker, ...); 0 means none.
typedef uint32_t ObjectId;

// The Tansel client library: everything a plug-in author uses, in one include.
#pragma once

#include "strings/memory.h"
#include "strings/byte_string.h"
#include "strings/char_tables.h"
#include "strings/str_array.h"

// The Tansel client library: everything a plug-in author uses, in one include.
#pragma once

#include "strings/memory.h"
#include "strings/byte_string.h"
#include "strings/char_tables.h"
#include "strings/str_array.h"
#include "props/counted_list.h"
#include "props/payload_records.h"
#include "props/prop_type.h"
#include "props/typed_value.h"
#include "props/property_value.h"
#include "props/property_list.h"
#include "platform/win_module.h"
#include "platform/win_version.h"
#include "fixed/fixed.h"
#include "encoding/dialog_encoding.h"
#include "encoding/encoding_id.h"
#include "encoding/icu_data.h"

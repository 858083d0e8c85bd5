// The Tansel client library: everything a plug-in author uses, in one include.
#pragma once

#include "strings/memory.h"

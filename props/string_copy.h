// The one string duplication that every copy in props/ shares. Internal to props/: not part of the
// public headers.
#pragma once

// A new heap block holding a copy of text; a null text gives a new empty string. Null only when the
// allocation fails.
char* PropStringCopy(const char* text);

// The process-wide file-name alias map: a name (exact bytes, case-sensitive) that a channel opens
// is replaced by its alias before the platform sees it. Entries are private copies and live until
// removed; null reads as the empty name.
#pragma once

// Makes replacement the alias of name, replacing any earlier one.
void ChanSetNameAlias(const char* name, const char* replacement);
// Removes the alias of name, if any.
void ChanRemoveNameAlias(const char* name);
// The alias of name, or name itself when it has none. The alias belongs to the map and stays
// valid until its entry is changed or removed.
const char* ChanLookupNameAlias(const char* name);

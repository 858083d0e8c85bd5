// Client start-up on the encoding side: the first dialog encoding, and ICU's data directory, which
// holds the host's own converters under the host's "icu_data" directory.
#pragma once

// Hands path (a host path: backslashes, drive prefix) to ICU as its data directory, in the
// system's form: 0, or 1 when no memory was left for the translation.
int EncSetIcuDataDirectory(const char* path);
// ICU's data directory as ICU holds it; "" when none is set.
const char* EncGetIcuDataDirectory();
// Selects HostRoman unless an encoding was already selected, sets ClientInitialised, then does
// EncEnsureIcuDataDirectory: 0, or 1 when ICU was left on its own default.
int EncClientStartup();
// Points ICU at the host's "icu_data" directory (host string property 89 plus "\icu_data"): 0, or
// 1 when the host gave no directory, or one too long, and nothing was set. HostErrno is kept.
int EncPointIcuAtHost();
// EncPointIcuAtHost unless ICU already has a non-empty data directory (then 0).
int EncEnsureIcuDataDirectory();
// The ClientInitialised flag: 1 between start-up and the host's "Quit".
int EncClientInitialised();

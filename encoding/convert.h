// Conversion between the host's encodings, UTF-8, UTF-16 and the platform's locale encoding.
// Encodings are named by ICU converter names, or "locale" for the platform's default converter.
// "UTF-16" text is 16-bit units in the machine's byte order ending in a zero unit, passed and
// returned through the same char pointers; all other text is bytes ending in a zero byte.
//
// Every conversion returns a new block that the caller frees with MemFree and that ends in two zero
// bytes, so that it is terminated whether read as bytes or as units; the input is never changed.
// Control units (below 0x20) carry the host's text structure: unless keepControls is set they are
// copied unchanged between runs of converted text instead of going through a converter.
#pragma once

#include <cstddef>

#include "encoding/dialog_encoding.h"
#include "encoding/encoding_id.h"

// Converts text from one encoding to another. Null text gives null; a null or empty name, a byte
// copy; invalid UTF-8 from "UTF-8", "???"; equal names, a copy. With escapeInvalid, bytes the
// source cannot decode become ICU's escape "%XHH". A run that ICU cannot convert is dropped.
char* EncConvert(const char* text, const char* from, const char* to, int keepControls,
                 int escapeInvalid);
// One ICU conversion without control handling, fallback mappings on; *outLength (when not null)
// receives the result's length in bytes. Null for null text or when ICU fails.
char* EncConvertRun(const char* text, const char* from, const char* to, size_t* outLength,
                    int escapeInvalid);

// Conversion between EncodingIds with controls passed through. Equal ids give a copy; a target of
// 13, 14 or 15 gives null; a source outside 0 to 17 is fatal; a target without a converter gives
// a byte copy.
char* EncConvertById(const char* text, EncodingId from, EncodingId to);
// The same with the controls converted like any other character.
char* EncConvertByIdKeepControls(const char* text, EncodingId from, EncodingId to);
// The same with keepControls as given; a symbol-font source is read as UTF-8 rather than bytes.
char* EncConvertByIdEx(const char* text, EncodingId from, EncodingId to, int keepControls);

// UTF-8 to the dialog encoding index (a byte copy for an index outside 0 to 5).
char* EncUtf8ToDialog(const char* text, DialogEncoding index);
// The dialog encoding index to UTF-8 (a byte copy for an index outside 0 to 5).
char* EncDialogToUtf8(const char* text, DialogEncoding index);
// UTF-8 to the current dialog encoding.
char* EncUtf8ToCurrent(const char* text);
// The current dialog encoding to UTF-8.
char* EncCurrentToUtf8(const char* text);
// Converts between two host encoding names ("JISX0208.ShiftJIS"); a byte copy when either name is
// null or empty.
char* EncConvertHostNames(const char* text, const char* fromHostName, const char* toHostName);
// The same with the controls converted like any other character.
char* EncConvertHostNamesKeepControls(const char* text, const char* fromHostName,
                                      const char* toHostName);
// The platform's locale encoding to UTF-8.
char* EncLocaleToUtf8(const char* text);
// UTF-8 to the platform's locale encoding.
char* EncUtf8ToLocale(const char* text);
// Locale text to UTF-8 with every byte the locale cannot decode written as "%XHH".
char* EncLocaleToUtf8Escaped(const char* text);
// UTF-8 to the locale with every "%XHH" turned back into its byte: undoes EncLocaleToUtf8Escaped
// byte for byte.
char* EncUtf8ToLocaleUnescaped(const char* text);

// Writes text to the host console through the console hook, converted to UTF-8 first unless the
// dialog encoding is UTF-8. Null text or no hook does nothing.
void ConsoleWriteText(const char* text);
// Hands text to the console hook unchanged: the hook's result, 0 when there is none.
int ConsoleWriteRaw(const char* text);

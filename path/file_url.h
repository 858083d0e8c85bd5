// File URLs and percent-encoding: paths in any syntax to "file://" and relative URLs and back,
// encoding and decoding the bytes a URL cannot carry, and the byte classes behind them.
//
// Syntax codes are those of path_syntax.h (0 and 4 backslash, 2 slash, 3 colon). Network and
// repository names pass through every conversion unchanged. Results are new strings owned by the
// caller (MemFree); null means failure or no result. Nothing here touches HostErrno.
#pragma once

// A "file://" URL for an absolute path and a relative URL otherwise (backslash syntax).
char* UrlFromPath(const char* path);
// As UrlFromPath, for a path in syntax.
char* UrlFromPathInSyntax(const char* path, int syntax);
// The "file://" URL of path written in syntax.
char* FileUrlFromPath(const char* path, int syntax);
// The relative URL of the relative path written in syntax.
char* RelativeUrlFromPath(const char* path, int syntax);
// The path of a "file:" URL (backslash syntax), or the relative path of any other URL.
char* PathFromUrl(const char* url);
// The path in syntax that the "file:" URL names; null unless the result is absolute in syntax,
// for "file:" alone, and when a byte decodes to 0 (the name would end there).
char* PathFromFileUrl(const char* url, int syntax);
// The relative path of a relative URL, percent-decoded with slashes turned into backslashes; null
// when a byte decodes to 0.
char* RelativePathFromUrl(const char* url);
// 1 when text is absolute in syntax.
int PathIsAbsoluteInSyntax(const char* text, int syntax);

// text with every byte of the escape set as '%' and two upper-case hexadecimal digits; null for
// null or empty text. Bytes 0x7F-0xFF and '"' stay as they are.
char* UrlEncode(const char* text);
// text with each '%' and the two bytes after it turned into the byte they spell (digits not
// validated); a '%' with fewer than two bytes after it ends the text. Null for null or empty text.
char* UrlDecode(const char* text);
// In place: each '%' followed by two hexadecimal digits becomes the byte they encode (unless
// that is 0), and every slash a backslash.
void UrlDecodeToPath(char* text);
// 1 for a non-empty text beginning with "repo://".
int IsRepositoryName(const char* text);
// The byte the two hexadecimal digits encode, in the low 8 bits (0 there when either is invalid).
int HexPairValue(int high, int low);
// 1 for the bytes that percent-encoding replaces: 0x00-0x20 and # < > [ \ ] ^ ` { | } ~ %.
int UrlCharNeedsEscape(int byte);
// 1 for < > #.
int UrlCharIsDelimiter(int byte);
// 1 for [ \ ] ^ ` { | } ~ %.
int UrlCharIsUnsafe(int byte);

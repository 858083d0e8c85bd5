// Path syntaxes: a FilePath to and from text in the backslash, slash, colon and portable marker
// syntaxes, the portable form itself, and a guess at the syntax of a text.
//
// The portable form is a run of markers "<x>" each followed by its text up to the next '<': r a
// root, v a volume ("C:"), c a component, u one level up, h a name framed by backslashes (first
// only). Inside marker text a backslash takes the next byte literally. "<v>C:<r><c>dir<c>file"
// stands for "C:\dir\file". Network names pass through every conversion unchanged.
#pragma once

#include "path/file_path.h"

inline constexpr int PathSyntaxDefault = 0;    // treated as backslash
inline constexpr int PathSyntaxPortable = 1;   // markers
inline constexpr int PathSyntaxSlash = 2;      // "/dir/file"
inline constexpr int PathSyntaxColon = 3;      // "Disk:dir:file"
inline constexpr int PathSyntaxBackslash = 4;  // "C:\dir\file", the platform's

inline constexpr int32_t kPathErrUnsupportedSyntax = -43;  // HostErrno from PathToText

// The path that the portable text names, resolved and flagged as PathFromName does; null when the
// text is not in portable form or cannot be decoded whole.
FilePath* PathFromPortableName(const char* portable, const FilePath* base);
// The path that text in syntax names, resolved against base (PathResolveAgainst); null for null or
// empty text, for syntax 3 and for a portable text that does not decode. A syntax outside 0–4 is
// a programming error: the library's fatal error is raised.
FilePath* PathFromText(const char* text, const FilePath* base, int syntax);
// A new text of path in syntax 0, 1, 2 or 4. Null for a path that has no such form; a null path or
// another syntax also sets HostErrno to kPathErrUnsupportedSyntax.
char* PathToText(const FilePath* path, int syntax);
// The portable form of path (made relative to the file other first, when given) into *out (new,
// owned by the caller) and its length into *length: 0; 1 for a null path or one without the
// magic; -1 when the path has no portable form (a network share, a drive-relative path, '<' in a
// component, a component too long) or memory is short. A path with PathFlagNoBase, a null out
// or an unusable other path goes to MemBailOut.
int PathToPortable(const FilePath* path, const FilePath* other, char** out, int* length);
// Decodes the portable text into out (kPathBufferSize bytes): 0, or -1 when text is not in
// portable form, breaks its rules, holds a marker text over 1023 bytes or decodes to more than
// kPathTextMax bytes (out is then empty).
int PortableToPlatform(const char* text, char* out);
// The syntax that text seems to be written in (0 when nothing tells).
int PathClassify(const char* text);

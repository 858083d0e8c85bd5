// In-place operations on path texts: resolution with $NAME and ~ expansion and dot removal,
// splitting, relative paths, appending and cutting components, and reading components one by one.
//
// Buffers are kPathBufferSize bytes; texts are stepped by whole characters in the current dialog
// encoding, so a backslash, slash or colon separates only where it is a one-byte character. An
// operation whose result would not fit fails rather than produce a shorter, different path.
#pragma once

#include "path/file_path.h"

// Resolves name (buffer of kPathBufferSize) against the directory text base (null: none):
// $NAME and ~ expanded, joined, runs of separators merged, "." dropped and ".." applied. Network
// names are joined by NetLib; a relative name against a repository base is joined with a slash
// and stays a repository name; network and repository names are otherwise left as they are.
// 0 on success; 1 (and an empty name) when NetLib fails or the result would not fit.
int PathResolve(char* name, const char* base);
// Expands $NAME (from the environment) and a leading ~ (PathHomeDirectory) in text; a repository
// name stays as it is. 0 on success; 1 when the result would exceed kPathTextMax bytes, leaving
// text unchanged.
int PathExpandVariables(char* text);
// Rewrites path relative to the directory of the file baseFile, when both are absolute and share
// at least one leading component and the relative form, resolved against that directory, names
// path again; otherwise leaves it unchanged. Repository names are left as they are.
void PathMakeRelative(char* path, const char* baseFile);
// Splits text into its directory part (dir, kPathBufferSize bytes, or null) and name part (name,
// kPathComponentSize bytes, or null). A network name splits at its last slash and its name part
// is percent-decoded; a repository name splits at its last slash after "repo://", undecoded.
// A part that would not fit is written empty; returns 0, or 1 when one did not fit.
int PathSplit(const char* text, char* dir, char* name);
// The position after the last backslash or colon character of text (a slash does not count); text
// itself when there is none; null for null.
const char* PathNameStart(const char* text);
// Appends component to text (buffer of size bytes, whole characters only), first adding a
// backslash when the name part of text is non-empty or text ends in a colon. Returns the new
// length; 0 (text unchanged) when either is null or empty.
int PathAppendComponent(char* text, const char* component, int size);
// Unless the byte before end is a colon, terminates the text at the last backslash, slash or colon
// character before end (keeping a colon), or at start when there is none. Returns the new end.
char* PathCutLast(char* start, char* end);

// Reads the backslash-separated components of a text in order. A component longer than
// kPathComponentSize - 1 bytes is cut on a character boundary and the rest of it skipped.
struct PathComponentReader {
  const char* next;                    // where the next component search starts
  char component[kPathComponentSize];  // the component read last
  int cut;                             // 1 when the component read last was cut
};
// Starts reading text (null reads as empty).
void PathComponentReaderStart(PathComponentReader* reader, const char* text);
// Reads the next component into reader->component: 1, or 0 at the end of the text.
int PathComponentReaderNext(PathComponentReader* reader);

// Reading a path's backslash-separated components one at a time.
#include "path/path_internal.h"
#include "path/path_text.h"
#include "strings/memory.h"

void PathComponentReaderStart(PathComponentReader* reader, const char* text) {
  if (reader == nullptr) MemBailOut();
  reader->next = text != nullptr ? text : "";
  reader->component[0] = '\0';
  reader->cut = 0;
}

int PathComponentReaderNext(PathComponentReader* reader) {
  if (reader == nullptr) MemBailOut();
  const Stepper st = PathStepper();
  const char* p = reader->next;
  while (*p == '\\') ++p;
  int length = 0;
  reader->cut = 0;
  // At a character boundary a backslash byte is always a backslash character.
  for (int n; *p != '\0' && *p != '\\'; p += n) {
    n = CharLength(st, p);
    // Whole characters only; the rest of an over-long component is skipped.
    if (reader->cut != 0 || length + n > kPathComponentSize - 1) {
      reader->cut = 1;
      continue;
    }
    for (int i = 0; i < n; ++i) reader->component[length++] = p[i];
  }
  reader->component[length] = '\0';
  reader->next = p;
  return length > 0 || reader->cut != 0 ? 1 : 0;
}

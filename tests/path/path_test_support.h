// Helpers for the path tests: a kPathBufferSize buffer holding a text, and a scoped change of the
// current dialog encoding.
#pragma once

#include <cstring>
#include <string>

#include "encoding/dialog_encoding.h"
#include "path/file_path.h"
#include "strings/memory.h"

struct PathBuffer {
  char text[kPathBufferSize];
  explicit PathBuffer(const std::string& initial = "") {
    std::memset(text, '#', sizeof text);
    std::memcpy(text, initial.c_str(), initial.size() + 1);
  }
};

class ScopedDialogEncoding {
 public:
  explicit ScopedDialogEncoding(DialogEncoding encoding) : saved_(CurrentDialogEncoding) {
    EncLeadTrailTable(encoding);
    CurrentDialogEncoding = encoding;
  }
  ~ScopedDialogEncoding() { CurrentDialogEncoding = saved_; }

 private:
  DialogEncoding saved_;
};

// Takes a string the library allocated and frees it.
inline std::string Take(char* text) {
  std::string s = text != nullptr ? text : "(null)";
  MemFree(text);
  return s;
}

// What a validation check's child process tells its parent while it runs: one record per line in
// a progress file, flushed at once, so that whatever happens to the child afterwards (a crash, an
// exit, a kill for taking too long) the parent knows which callback was running and what the
// check had found until then.
#pragma once

#include <cstdio>
#include <string>

// The kinds of record; each line is the kind's letter, a space and the text.
enum class ProgressKind : char {
  kBegin = 'B',     // a callback into the plug-in starts: its name and arguments
  kLoading = 'M',   // the module is being loaded (within the check's limit only)
  kEnd = 'E',       // it returned
  kFinding = 'F',   // a fault of the plug-in
  kNote = 'N',      // something the check could not look at
  kEnded = 'X',     // what is ending the process (an uncaught C++ exception)
  kUnusable = 'L',  // the module cannot be used: why
  kDone = 'D',      // the check ran to its end
};

// The child's end: appends records to the file, each flushed to the system at once.
class ProgressWriter {
 public:
  explicit ProgressWriter(const std::string& path);
  ~ProgressWriter();
  ProgressWriter(const ProgressWriter&) = delete;
  ProgressWriter& operator=(const ProgressWriter&) = delete;
  bool ok() const { return file_ != nullptr; }
  void Write(ProgressKind kind, const std::string& text = "");

 private:
  FILE* file_;
};

// One record read back; kind is 0 for a line that is not a record.
struct ProgressRecord {
  char kind;
  std::string text;
};

// The parent's end: reads the records written so far, as often as it likes; a line still being
// written is kept for the next read.
class ProgressReader {
 public:
  explicit ProgressReader(const std::string& path) : path_(path) {}
  ~ProgressReader();
  ProgressReader(const ProgressReader&) = delete;
  ProgressReader& operator=(const ProgressReader&) = delete;
  // Calls take(record) for each complete record written since the last call.
  template <typename Take>
  void Read(Take take) {
    std::string line;
    while (NextLine(line))
      take(ProgressRecord{line.empty() ? '\0' : line[0],
                          line.size() > 2 ? line.substr(2) : std::string()});
  }

 private:
  bool NextLine(std::string& line);
  std::string path_;
  FILE* file_ = nullptr;
  std::string pending_;  // read bytes not yet ending a line
  size_t start_ = 0;     // where pending_'s unread part begins
  long offset_ = 0;      // of the file, read so far
};

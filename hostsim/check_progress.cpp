// The progress file of a validation check.
#include "hostsim/check_progress.h"

ProgressWriter::ProgressWriter(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {}

ProgressWriter::~ProgressWriter() {
  if (file_ != nullptr) std::fclose(file_);
}

void ProgressWriter::Write(ProgressKind kind, const std::string& text) {
  if (file_ == nullptr) return;
  std::string line(1, static_cast<char>(kind));
  line += ' ';
  for (char c : text) line += (c == '\n' || c == '\r') ? ' ' : c;  // one record, one line
  line += '\n';
  std::fwrite(line.data(), 1, line.size(), file_);
  std::fflush(file_);
}

ProgressReader::~ProgressReader() {
  if (file_ != nullptr) std::fclose(file_);
}

bool ProgressReader::NextLine(std::string& line) {
  for (;;) {
    const size_t end = pending_.find('\n', start_);
    if (end != std::string::npos) {
      line.assign(pending_, start_, end - start_);
      start_ = end + 1;
      return true;
    }
    pending_.erase(0, start_);
    start_ = 0;
    if (file_ == nullptr) file_ = std::fopen(path_.c_str(), "rb");
    if (file_ == nullptr) return false;
    // The writer may have added to the file since the last end. Seeking to where the last read
    // stopped drops the stream's buffer and end-of-file state, so the next read asks the system
    // again (a cleared end-of-file flag alone does not make every C run-time read anew).
    if (std::fseek(file_, offset_, SEEK_SET) != 0) return false;
    char buffer[4096];
    const size_t n = std::fread(buffer, 1, sizeof buffer, file_);
    if (n == 0) return false;
    offset_ += static_cast<long>(n);
    pending_.append(buffer, n);
  }
}

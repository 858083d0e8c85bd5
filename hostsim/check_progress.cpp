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
    char buffer[4096];
    std::clearerr(file_);  // the writer may have added to the file since the last end
    const size_t n = std::fread(buffer, 1, sizeof buffer, file_);
    if (n == 0) return false;
    pending_.append(buffer, n);
  }
}

// Three pages aligned to a page boundary, for texts placed to end at, just before or just past a
// page end: the code that reads whole blocks up to a page end is tested at its edges.
#pragma once

#include <cstddef>
#include <new>

class PageBuffer {
 public:
  static constexpr size_t kPage = 4096;
  static constexpr size_t kSize = 3 * kPage;
  PageBuffer() : bytes_(static_cast<char*>(::operator new(kSize, std::align_val_t(kPage)))) {}
  ~PageBuffer() { ::operator delete(bytes_, std::align_val_t(kPage)); }
  PageBuffer(const PageBuffer&) = delete;
  PageBuffer& operator=(const PageBuffer&) = delete;
  char* At(size_t i) { return bytes_ + i; }

 private:
  char* bytes_;
};

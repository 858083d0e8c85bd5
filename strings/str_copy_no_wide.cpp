// Builds for processors without a wider byte-string path: the baseline serves every copy.
#include "strings/byte_copy_internal.h"

const ByteCopyCode* Avx2ByteCopyCode() {
  return nullptr;
}

const ByteCopyCode* Avx512ByteCopyCode() {
  return nullptr;
}

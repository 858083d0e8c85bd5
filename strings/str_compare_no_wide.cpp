// Builds for processors without a wider byte-string path: the baseline serves every call.
#include "strings/byte_compare_internal.h"

const ByteCompareCode* Avx2ByteCompareCode() {
  return nullptr;
}

// Builds for processors without a wider path: the baseline passes back over every run.
#include "strings/mb_pairs_internal.h"

PairBlocksBack* Avx2PairBlocksBack() {
  return nullptr;
}

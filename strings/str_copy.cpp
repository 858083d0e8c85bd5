// Byte strings: allocation, length, copying and appending.
#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstring>

#include "platform/cpu_features.h"
#include "strings/byte_blocks_internal.h"
#include "strings/byte_copy_internal.h"
#include "strings/byte_string.h"
#include "strings/byte_string_internal.h"
#include "strings/format.h"
#include "strings/memory.h"

#define TANSEL_COPY_TARGET
#include "strings/byte_copy_loop_internal.h"

char* StrAlloc(int n) {
  if (n < 0) return nullptr;
  return static_cast<char*>(MemCalloc(static_cast<size_t>(n) + 1, 1, 0));
}

char* StrCopyNew(const char* s) {
  if (s == nullptr) return nullptr;
  size_t size = std::strlen(s) + 1;
  char* copy = static_cast<char*>(MemCalloc(size, 1, 0));
  if (copy != nullptr) std::memcpy(copy, s, size);
  return copy;
}

namespace {

constexpr int kShort = 2 * kLanes;  // what the head of a string is

// The length of s when its terminator lies in its first kShort bytes; kShort when none of them is
// zero; -1 when they reach into the next page. Strings are mostly short, and this spares the
// blocks' set-up for them. (The blocks may cover bytes past the terminator,
// in the same page: they never decide the result.)
__attribute__((no_sanitize("address"))) int ShortLength(const char* s) {
  if (PageRest(s) < kShort) return -1;
  Lanes head = Load(s);
  Lanes tail = Load(s + kLanes);
  // One test for both blocks: the smaller byte of each pair is zero where either is.
  if (!AnyLane(Terminators(head < tail ? head : tail))) return kShort;
  Lanes zeros = Terminators(head);
  if (AnyLane(zeros)) return static_cast<int>(FirstLane(zeros));
  return static_cast<int>(kLanes + FirstLane(Terminators(tail)));
}

// Copies n bytes from src to dst, which may overlap.
inline void Move(char* dst, const char* src, size_t n) {
  if (n <= kShort) {
    MoveShort(dst, src, n);
  } else {
    std::memmove(dst, src, n);
  }
}

// The baseline's blocks for the shared copy loop: sixteen bytes in the vectors every target has.
struct BaselineCopyBlocks {
  static constexpr size_t kWidth = kLanes;
  static_assert(kWidth <= kCopyDistance);
  __attribute__((no_sanitize("address"))) static Lanes Load(const char* p) { return ::Load(p); }
  static void Store(char* p, Lanes v) { ::Store(p, v); }
  static Lanes Min(Lanes x, Lanes y) { return x < y ? x : y; }
  static bool HasZero(Lanes v) { return AnyLane(Terminators(v)); }
  static size_t FirstZero4(Lanes x0, Lanes x1, Lanes x2, Lanes x3) {
    if (HasZero(x0)) return FirstLane(Terminators(x0));
    if (HasZero(x1)) return kLanes + FirstLane(Terminators(x1));
    if (HasZero(x2)) return 2 * kLanes + FirstLane(Terminators(x2));
    return 3 * kLanes + FirstLane(Terminators(x3));
  }
  static size_t FirstZero(Lanes v, size_t from) {
    constexpr Lanes kIndex = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    Lanes zeros =
        Terminators(v) & reinterpret_cast<Lanes>(kIndex >= static_cast<unsigned char>(from));
    return AnyLane(zeros) ? FirstLane(zeros) : kWidth;
  }
};

// The copies' head: when src ends in its first kShort bytes, a short move copies it with its
// terminator; returns the bytes before the terminator, or -1 when src is longer or near a page end.
inline int64_t CopyHead(char* dst, const char* src, size_t bound);

int CopyBaseline(char* dst, const char* src, size_t bound) {
  int64_t n = CopyHead(dst, src, bound);
  if (n >= 0) return static_cast<int>(n);
  return static_cast<int>(CopyBlocks<BaselineCopyBlocks>(dst, src, bound));
}

int LengthBaseline(const char* s) {
  return static_cast<int>(LengthInBlocks<BaselineCopyBlocks>(s));
}

// Notes the end of the last block seen that holds a byte outside the range (exactly, after the
// byte, for the copy's parts). Outside it, a byte's distance above the range's first byte, taken
// modulo 256, exceeds the span; four blocks are tested at once through their largest distance.
struct BaselineRunTrack {
  unsigned char first, span;
  size_t run = 0;

  Lanes Above(Lanes x) const { return x - first; }
  Lanes Outside(Lanes x) const { return reinterpret_cast<Lanes>(Above(x) > span); }
  static Lanes Max(Lanes x, Lanes y) { return x > y ? x : y; }

  void Whole(size_t i, Lanes x) { run = AnyLane(Outside(x)) ? i + kLanes : run; }
  void Whole4(size_t i, Lanes x0, Lanes x1, Lanes x2, Lanes x3) {
    Lanes most = Max(Max(Above(x0), Above(x1)), Max(Above(x2), Above(x3)));
    run = AnyLane(reinterpret_cast<Lanes>(most > span)) ? i + 4 * kLanes : run;
  }
  void Part(size_t i, Lanes x, size_t from, size_t n) {
    constexpr Lanes kIndex = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    Lanes wanted = reinterpret_cast<Lanes>(kIndex >= static_cast<unsigned char>(from)) &
                   reinterpret_cast<Lanes>(kIndex < static_cast<unsigned char>(from + n));
    Lanes out = Outside(x) & wanted;
    if (!AnyLane(out)) return;
    size_t last = kLanes - 1;
    while (out[last] == 0) --last;
    run = i + last + 1 - from;
  }
};

int CopyBaselineNotingRun(char* dst, const char* src, size_t bound, const PairRanges& r,
                          size_t* run) {
  BaselineRunTrack track{r.first[0], static_cast<unsigned char>(r.last[0] - r.first[0])};
  size_t n = CopyBlocks<BaselineCopyBlocks>(dst, src, bound, track);
  *run = track.run;
  return static_cast<int>(n);
}

size_t LengthBaselineNotingRun(const char* s, size_t bound, const PairRanges& r, size_t* run) {
  BaselineRunTrack track{r.first[0], static_cast<unsigned char>(r.last[0] - r.first[0])};
  size_t n = LengthWithinBlocks<BaselineCopyBlocks>(s, bound, track);
  *run = track.run;
  return n;
}

constexpr ByteCopyCode kBaselineCode = {CopyBaseline, LengthBaseline, CopyBaselineNotingRun,
                                        LengthBaselineNotingRun};

const ByteCopyCode* ChooseCode() {
  const ByteCopyCode* widest = Avx512ByteCopyCode();
  if (widest != nullptr && CpuRunsAvx512Bytes()) return widest;
  const ByteCopyCode* wide = Avx2ByteCopyCode();
  return wide != nullptr && CpuRunsAvx2() ? wide : &kBaselineCode;
}

extern const ByteCopyCode kChoosingCode;

// The path every copy takes: first a table that makes the choice, then the chosen one. Threads
// that race to the first call choose alike, so a relaxed store is enough.
std::atomic<const ByteCopyCode*> g_code{&kChoosingCode};

const ByteCopyCode& Chosen() {
  const ByteCopyCode* code = ChooseCode();
  g_code.store(code, std::memory_order_relaxed);
  return *code;
}

const ByteCopyCode kChoosingCode = {
    [](char* dst, const char* src, size_t bound) { return Chosen().copy(dst, src, bound); },
    [](const char* s) { return Chosen().length(s); },
    [](char* dst, const char* src, size_t bound, const PairRanges& r, size_t* run) {
      return Chosen().copyNotingRun(dst, src, bound, r, run);
    },
    [](const char* s, size_t bound, const PairRanges& r, size_t* run) {
      return Chosen().lengthNotingRun(s, bound, r, run);
    }};

// The length of s, which is not null.
inline int LengthOf(const char* s) {
  return g_code.load(std::memory_order_relaxed)->length(s);
}

// Whether the copy loop may serve a copy from src to dst: dst starts far enough below src that no
// store reaches a byte still to be read. Otherwise (dst above src, where the regions may overlap)
// the length comes first and the bytes are moved as memmove moves them.
inline bool CopiesInOnePass(const char* dst, const char* src) {
  auto d = reinterpret_cast<uintptr_t>(dst);
  auto s = reinterpret_cast<uintptr_t>(src);
  return s >= d && s - d >= kCopyDistance;
}

inline int64_t CopyHead(char* dst, const char* src, size_t bound) {
  int head = ShortLength(src);
  if (head < 0 || head >= kShort) return -1;
  size_t n = std::min(static_cast<size_t>(head), bound);
  MoveShort(dst, src, n);
  dst[n] = 0;
  return static_cast<int64_t>(n);
}

// CopyBounded where dst lies above src or just below it: the length first, then a move.
[[gnu::noinline]] int CopyOverlapping(char* dst, const char* src, size_t bound) {
  // Strings are mostly short: their length comes from the head, and one short move copies them.
  int64_t head = CopyHead(dst, src, bound);
  if (head >= 0) return static_cast<int>(head);
  size_t n = bound > static_cast<size_t>(INT32_MAX)
                 ? std::strlen(src)
                 : static_cast<size_t>(StrLengthN(src, static_cast<int>(bound)));
  Move(dst, src, n);
  dst[n] = 0;
  return static_cast<int>(n);
}

// Copies src (not null) to dst, at most bound bytes, then a terminator; the bytes before it. The
// path's copy is a tail call: nothing here needs a saved register.
inline int CopyBounded(char* dst, const char* src, size_t bound) {
  // Each path looks at a string's head itself.
  if (CopiesInOnePass(dst, src))
    return g_code.load(std::memory_order_relaxed)->copy(dst, src, bound);
  return CopyOverlapping(dst, src, bound);
}

}  // namespace

int CopyNotingRun(char* dst, const char* src, size_t bound, const PairRanges& r, size_t* run) {
  return g_code.load(std::memory_order_relaxed)->copyNotingRun(dst, src, bound, r, run);
}

size_t LengthNotingRun(const char* s, size_t bound, const PairRanges& r, size_t* run) {
  return g_code.load(std::memory_order_relaxed)->lengthNotingRun(s, bound, r, run);
}

const ByteCopyCode* ByteCopyChosenCode() {
  if (g_code.load(std::memory_order_relaxed) == &kChoosingCode) Chosen();
  return g_code.load(std::memory_order_relaxed);
}

bool ByteCopyUsesWidePath() {
  return ByteCopyChosenCode() != &kBaselineCode;
}

int StrLength(const char* s) {
  return s == nullptr ? 0 : LengthOf(s);
}

int StrLengthN(const char* s, int max) {
  if (s == nullptr || max <= 0) return 0;
  // memchr stops at the first zero, so no byte past the terminator is read.
  const void* end = std::memchr(s, 0, static_cast<size_t>(max));
  return end != nullptr ? static_cast<int>(static_cast<const char*>(end) - s) : max;
}

void StrCopy(char* dst, const char* src) {
  if (dst == nullptr) return;
  CopyBounded(dst, OrEmpty(src), SIZE_MAX);
}

int StrCopyN(char* dst, const char* src, int size) {
  if (dst == nullptr || size <= 0) return 0;
  if (size == 1) {  // no byte of src is read: it may be an empty field at the end of memory
    dst[0] = 0;
    return 0;
  }
  return CopyBounded(dst, OrEmpty(src), static_cast<size_t>(size) - 1);
}

void StrTruncate(char* s, int n) {
  // Only inside the string: a zero written past its terminator may land outside the buffer.
  if (s == nullptr || n < 0 || StrLengthN(s, n) < n) return;
  s[n] = 0;
}

namespace {

// The length of the destination of an append. An empty one, as common as any, is told by its first
// byte: that read also spares a wide read of a byte just stored.
int DestinationLength(const char* dst) {
  return dst[0] == 0 ? 0 : LengthOf(dst);
}

}  // namespace

int StrAppend(char* dst, const char* src) {
  if (dst == nullptr) return 0;
  // An empty destination, as common as any, is a copy: the copy is the call's last step.
  if (dst[0] == 0) return CopyBounded(dst, OrEmpty(src), SIZE_MAX);
  int length = LengthOf(dst);
  return length + CopyBounded(dst + length, OrEmpty(src), SIZE_MAX);
}

int StrAppendN(char* dst, const char* src, int size) {
  if (dst == nullptr) return 0;
  int length = DestinationLength(dst);
  if (length >= size - 1) return length;  // full already, or a size of 0 or less
  size_t room = static_cast<size_t>(size - 1 - length);
  return length + CopyBounded(dst + length, OrEmpty(src), room);
}

int StrAppendLimited(char* dst, const char* src, int maxCopy, int size) {
  if (dst == nullptr) return 0;
  int length = StrLength(dst);
  if (size <= 0) return length;  // no room to write even the terminator
  if (length >= size - 1) {
    dst[size - 1] = 0;
    return size - 1;
  }
  int room = size - 1 - length;
  int extra = StrLengthN(src, maxCopy < room ? maxCopy : room);
  if (extra > 0) std::memmove(dst + length, src, static_cast<size_t>(extra));
  dst[length + extra] = 0;
  return length + extra;
}

int StrAppendChar(char* dst, int ch, int size) {
  if (dst == nullptr) return 0;
  int length = StrLength(dst);
  if (length >= size - 1 || static_cast<char>(ch) == 0) return length;
  dst[length] = static_cast<char>(ch);
  dst[length + 1] = 0;
  return length + 1;
}

namespace {

int FormatBounded(char* buffer, int size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int written = FmtStringV(buffer, size, format, args);
  va_end(args);
  return written;
}

}  // namespace

int StrAppendInt(char* dst, int value, int size) {
  char scratch[kShort];  // as wide as the head a copy reads at once
  FormatBounded(scratch, sizeof scratch, "%d", value);
  return StrAppendN(dst, scratch, size);
}

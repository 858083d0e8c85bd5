// Multibyte boundaries: finding where a character starts, and cutting, copying and appending
// without splitting one.
#include <climits>
#include <cstdint>
#include <cstring>

#include "platform/cpu_features.h"
#include "strings/byte_blocks_internal.h"
#include "strings/byte_copy_internal.h"
#include "strings/byte_string.h"
#include "strings/mb_internal.h"
#include "strings/multibyte.h"

namespace {

// True when s has no terminator before index pos + 1, i.e. pos lies inside the text. Reads at most
// pos + 1 bytes, so text that is not terminated at the caller's length is fine.
bool InsideText(const char* s, int pos) {
  return pos >= 0 && pos < INT_MAX && std::memchr(s, 0, static_cast<size_t>(pos) + 1) == nullptr;
}

// The start of the UTF-8 character that byte pos (inside the text) lies in, or pos: only a lead
// byte whose sequence reaches pos owns it; stray continuation bytes stand alone.
int Utf8Owner(const char* s, int pos) {
  int i = pos;
  for (int steps = 0; steps < 3 && i > 0 && Utf8IsContinuation(Byte(s[i])); ++steps) --i;
  if (i < pos && Utf8SequenceLength(Byte(s[i])) > pos - i) return i;
  return pos;
}

// Where text cut at pos, which lies inside it, has to end so as not to split a character: pos, or
// the start of the character pos lies in. Looks back only as far as the characters around pos.
int CutInside(const char* s, int pos, const Stepper& st) {
  if (st.utf8) return Utf8Owner(s, pos);
  const LeadTrailTable* table = st.table;
  if (table == nullptr || !table->trail[Byte(s[pos])]) return pos;
  return DoubleByteBoundary(table, s, s + pos) ? pos : pos - 1;
}

int CutInside(const char* s, int pos, int enc) {
  return CutInside(s, pos, StepperFor(enc));
}

// The length of s, or room when s is longer. Short rooms, the formatter's daily bread, are counted
// byte by byte: a call to memchr costs more.
int LengthWithin(const char* s, int room) {
  if (room > 32) return StrLengthN(s, room);
  int n = 0;
  while (n < room && s[n] != 0) ++n;
  return n;
}

// The bytes of src that a write of at most room bytes takes: all of src when it fits, else room
// less any part of a character that room would split.
int PieceLength(const char* src, int room, int enc) {
  if (room <= 0) return 0;
  int n = LengthWithin(src, room);
  if (n < room || src[room] == 0) return n;
  return CutInside(src, room, enc);
}

// Copies the first n bytes of src to dst (they may overlap) and terminates; returns n.
int CopyPiece(char* dst, const char* src, int n) {
  if (n > 0) std::memmove(dst, src, static_cast<size_t>(n));
  dst[n] = 0;
  return n;
}

// True when the size bytes from dst and those from src do not overlap.
bool Apart(const char* dst, const char* src, size_t size) {
  auto d = reinterpret_cast<uintptr_t>(dst);
  auto s = reinterpret_cast<uintptr_t>(src);
  return d >= s ? d - s >= size : s - d >= size;
}

// True when the table's bytes that may both lead and trail form one range and the first 32 bytes
// of s all lie in it: text that starts so is mostly such bytes, whose run the cut would otherwise
// pass back over in full, and the copy that notes where the run begins pays for itself. (A
// terminator among those bytes lies outside the range; the read stays in s's page.)
__attribute__((no_sanitize("address"))) bool StartsWithRun(const PairBytes& pb, const char* s) {
  if (pb.count != 1 || PageRest(s) < 32) return false;
  return !AnyPairLane(OutsidePairBytes(pb, Load(s)) | OutsidePairBytes(pb, Load(s + 16)));
}

// Where text cut at pos, which lies inside it, has to end, given that every byte from run to pos
// may both lead and trail: when s[pos] trails, each of them starts a pair with the next, so the
// run of pairs that ends at pos reaches back past run, and the pass back starts there.
int CutAfterRun(const LeadTrailTable* table, const char* s, int pos, size_t run) {
  if (!table->trail[Byte(s[pos])]) return pos;
  const char* from = s + (run < static_cast<size_t>(pos) ? run : static_cast<size_t>(pos));
  return (s + pos - PairRunStart(table, s, from)) % 2 == 0 ? pos : pos - 1;
}

// True when dst lies far enough below src for the copy loop to serve it, and the size bytes from
// each do not overlap: the bytes of src stay as they were for the cut.
bool CopiesBelow(const char* dst, const char* src, size_t size) {
  auto d = reinterpret_cast<uintptr_t>(dst);
  auto s = reinterpret_cast<uintptr_t>(src);
  return s >= d && s - d >= size && s - d >= kCopyDistance;
}

}  // namespace

PairBlocksBack* WidePairBlocksBack() {
  PairBlocksBack* wide = Avx2PairBlocksBack();
  return wide != nullptr && CpuRunsAvx2() ? wide : nullptr;
}

int MbIsTrailPosition(const char* s, int pos, int enc) {
  Stepper st = StepperFor(enc);
  if (s == nullptr || pos <= 0 || st.table == nullptr || !InsideText(s, pos)) return 0;
  return CutInside(s, pos, enc) != pos ? 1 : 0;
}

int Utf8BackToBoundary(const char* s, int pos) {
  if (s == nullptr || pos <= 0 || !InsideText(s, pos)) return pos;
  return Utf8Owner(s, pos);
}

void MbTruncate(char* s, int n, int enc) {
  if (s == nullptr) return;
  if (n < 0) {
    s[0] = 0;
    return;
  }
  Stepper st = StepperFor(enc);
  const LeadTrailTable* table = st.table;
  if (n > 32 && table != nullptr && StartsWithRun(PairBytesFor(table), s)) {
    // The pass that measures notes where the last run of bytes that may both lead and trail
    // begins, as MbCopyN's copy does.
    size_t run = 0;
    size_t length = LengthNotingRun(s, static_cast<size_t>(n), PairBytesFor(table), &run);
    if (length < static_cast<size_t>(n) || s[n] == 0) return;  // nothing to cut
    s[CutAfterRun(table, s, n, run)] = 0;
    return;
  }
  if (!InsideText(s, n)) return;  // nothing to cut; a zero there could land past the buffer
  s[CutInside(s, n, st)] = 0;
}

int MbCopyN(char* dst, const char* src, int size, int enc) {
  if (dst == nullptr || size <= 0) return 0;
  src = OrEmpty(src);
  int room = size - 1;
  Stepper st = StepperFor(enc);
  const LeadTrailTable* table = st.table;
  if (room > 32 && table != nullptr && StartsWithRun(PairBytesFor(table), src) &&
      CopiesBelow(dst, src, static_cast<size_t>(size))) {
    // The copy notes where the last run of bytes that may both lead and trail begins.
    size_t run = 0;
    int n = CopyNotingRun(dst, src, static_cast<size_t>(room), PairBytesFor(table), &run);
    if (n < room || src[room] == 0) return n;
    int cut = CutAfterRun(table, src, room, run);
    dst[cut] = 0;
    return cut;
  }
  if (room > 32 && Apart(dst, src, static_cast<size_t>(size))) {
    // The byte-string copy finds the length in the same pass; the cut, when one is needed, is
    // worked out on src afterwards (the copy left it as it was) and ends the copy there.
    int n = StrCopyN(dst, src, size);
    if (n < room || src[room] == 0) return n;
    int cut = CutInside(src, room, st);
    dst[cut] = 0;
    return cut;
  }
  return CopyPiece(dst, src, PieceLength(src, room, enc));
}

int MbCopyMeasured(char* dst, const char* src, int size, int enc) {
  int room = size - 1;
  if (room <= 0) return CopyPiece(dst, src, 0);
  return CopyPiece(dst, src, src[room] == 0 ? room : CutInside(src, room, enc));
}

int MbAppendN(char* dst, const char* src, int size, int enc) {
  if (dst == nullptr || src == nullptr || src[0] == 0) return 0;
  int length = StrLength(dst);
  int room = size - 1 - length;
  if (room <= 0) return length;
  return length + CopyPiece(dst + length, src, PieceLength(src, room, enc));
}

int MbAppendLimited(char* dst, const char* src, int size, int maxCopy, int enc) {
  if (dst == nullptr) return 0;
  int length = StrLength(dst);
  int room = size - 1 - length;
  if (maxCopy < room) room = maxCopy;
  if (room <= 0 || src == nullptr) return length;
  return length + CopyPiece(dst + length, src, PieceLength(src, room, enc));
}

int MbAppendChar(char* dst, int lead, int trail, int size, int) {
  if (dst == nullptr || static_cast<char>(lead) == 0) return 0;
  int length = StrLength(dst);
  int width = static_cast<char>(trail) != 0 ? 2 : 1;
  if (length + width > size - 1) return length;
  dst[length] = static_cast<char>(lead);
  if (width == 2) dst[length + 1] = static_cast<char>(trail);
  dst[length + width] = 0;
  return length + width;
}

int MbCharCount(const char* s, int enc) {
  if (s == nullptr) return 0;
  Stepper st = StepperFor(enc);
  if (!st.utf8 && st.table == nullptr) return StrLength(s);
  int count = 0;
  for (int n; (n = CharLength(st, s)) != 0; s += n) ++count;
  return count;
}

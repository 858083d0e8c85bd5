// Reading one conversion specification of a format; shared by the formatted-output sources, not
// part of the library's interface.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "strings/format.h"

// FmtEngine on the caller's own va_list, which it advances: no copy is made. (A copy of a va_list
// that va_start has just written costs more than formatting a short number.) emptyPieces false
// spares the sink the pieces of length 0, for a sink that does nothing with them.
int FmtEngineOn(FmtSink sink, void* context, const char* format, va_list* args,
                bool emptyPieces = true);

// The text of a format that is one integer conversion ('d', 'i', 'u', 'x' or 'X' with no precision
// and no '*', whose layout the engine writes itself) and nothing else, as the engine writes it,
// at out (room for kFmtOutputSize bytes, not terminated): its length, the argument taken. -1 for
// any other format, no argument taken.
int FmtLoneIntegerText(const char* format, va_list* args, char* out);

// value as "%d" prints it, at out (room for kFmtDecimalSize bytes, not terminated); its length.
constexpr int kFmtDecimalSize = 24;
int FmtDecimalText(int value, char* out);

namespace {

// The argument size a prefix names.
enum class FmtSize : uint8_t {
  kDefault,     // none (or I32)
  kChar,        // hh
  kShort,       // h
  kLong,        // l
  kLongLong,    // ll, q, I64; L before an integer letter
  kIntMax,      // j
  kSize,        // z, I
  kPtrDiff,     // t
  kLongDouble,  // L before a floating-point letter
};

// One specification as it stands in the format: '%' at index 0, then flags, width, precision,
// size prefix and the conversion letter.
struct FmtParsedSpec {
  int length;          // bytes from '%' through the letter, or to the end of the format
  char letter;         // the conversion letter; 0 when the format ended first
  bool wellFormed;     // only flags, width, precision and one size prefix precede the letter
  int flagsEnd;        // index after the flags
  int widthEnd;        // index after the width digits or '*'
  int precisionEnd;    // index after '.' and its digits or '*'; widthEnd without a precision
  bool widthStar;      // the width is '*'
  bool hasPrecision;   // a '.' follows the width
  bool precisionStar;  // the precision is '*'
  FmtSize size;        // the size prefix
  int stars;           // every '*' between '%' and the letter, well formed or not
};

struct FmtLetterTable {
  bool letter[256];
  constexpr FmtLetterTable() : letter{} {
    for (const char* p = "dioxXucsfeEgGp%nC"; *p != 0; ++p) letter[static_cast<uint8_t>(*p)] = true;
  }
};
inline constexpr FmtLetterTable kFmtLetters;

inline bool FmtIsLetter(char c) {
  return kFmtLetters.letter[static_cast<uint8_t>(c)];
}

// The flags the engine hands to the run-time. The grouping flag ' is not among them: the host's
// run-time has none, so a specification with it is printed as it stands.
inline bool FmtIsFlag(char c) {
  return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0';
}

inline bool FmtIsFloatLetter(char c) {
  return c == 'f' || c == 'e' || c == 'E' || c == 'g' || c == 'G';
}

// Index after the run of decimal digits starting at i.
inline int FmtSkipDigits(const char* s, int i) {
  while (s[i] >= '0' && s[i] <= '9') ++i;
  return i;
}

// Reads the size prefix at s[i]; returns the index after it.
inline int FmtReadSize(const char* s, int i, char letter, FmtSize* size) {
  auto two = [&](char a, char b) { return s[i] == a && s[i + 1] == b; };
  if (two('h', 'h')) return *size = FmtSize::kChar, i + 2;
  if (two('l', 'l')) return *size = FmtSize::kLongLong, i + 2;
  if (s[i] == 'I' && s[i + 1] == '6' && s[i + 2] == '4') return *size = FmtSize::kLongLong, i + 3;
  if (s[i] == 'I' && s[i + 1] == '3' && s[i + 2] == '2') return *size = FmtSize::kDefault, i + 3;
  switch (s[i]) {
    case 'h':
      return *size = FmtSize::kShort, i + 1;
    case 'l':
      return *size = FmtSize::kLong, i + 1;
    case 'q':
      return *size = FmtSize::kLongLong, i + 1;
    case 'j':
      return *size = FmtSize::kIntMax, i + 1;
    case 'z':
      return *size = FmtSize::kSize, i + 1;
    case 'I':
      return *size = FmtSize::kSize, i + 1;
    case 't':
      return *size = FmtSize::kPtrDiff, i + 1;
    case 'L':
      *size = FmtIsFloatLetter(letter) ? FmtSize::kLongDouble : FmtSize::kLongLong;
      return i + 1;
    default:
      return *size = FmtSize::kDefault, i;
  }
}

// Reads the conversion specification that starts with the '%' at s.
inline FmtParsedSpec FmtParseSpec(const char* s) {
  FmtParsedSpec spec{};
  int end = 1;
  while (s[end] != 0 && !FmtIsLetter(s[end])) spec.stars += s[end++] == '*';
  spec.letter = s[end];
  spec.length = s[end] != 0 ? end + 1 : end;
  if (spec.letter == 0) return spec;

  int i = 1;
  while (FmtIsFlag(s[i])) ++i;
  spec.flagsEnd = i;
  if (s[i] == '*') {
    spec.widthStar = true;
    ++i;
  } else {
    i = FmtSkipDigits(s, i);
  }
  spec.widthEnd = i;
  if (s[i] == '.') {
    spec.hasPrecision = true;
    ++i;
    if (s[i] == '*') {
      spec.precisionStar = true;
      ++i;
    } else {
      i = FmtSkipDigits(s, i);
    }
  }
  spec.precisionEnd = i;
  i = FmtReadSize(s, i, spec.letter, &spec.size);
  spec.wellFormed = i == end;
  return spec;
}

}  // namespace

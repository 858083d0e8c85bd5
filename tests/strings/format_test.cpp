// The formatted-output engine and the string sink: the conversions the engine adds to the
// run-time's ('C', '*', 'n'), the buffers that grow, the limits of the string sink, and the
// specifications the run-time must not be handed.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "encoding/dialog_encoding.h"
#include "strings/byte_string.h"
#include "strings/format.h"
#include "tests/support/fault_injection.h"

namespace {

// Makes a dialog encoding current for the scope of a test.
class ScopedDialogEncoding {
 public:
  explicit ScopedDialogEncoding(const char* name) : saved_(CurrentDialogEncoding) {
    EncSetDialogEncoding(name);
  }
  ~ScopedDialogEncoding() { CurrentDialogEncoding = saved_; }

 private:
  DialogEncoding saved_;
};

// FmtString into a generous buffer, as a std::string, with the result checked against the length.
template <typename... Args>
std::string Format(const char* format, Args... args) {
  std::vector<char> buffer(8192, '#');
  int written = FmtString(buffer.data(), format, args...);
  std::string text(buffer.data());
  EXPECT_EQ(written, static_cast<int>(text.size()));
  return text;
}

// FmtStringV into a heap block of exactly size bytes, so that AddressSanitizer sees a write past
// it; the result is checked against the text written.
std::string FormatInto(int size, const char* format, ...) {
  std::unique_ptr<char[]> buffer(new char[size > 0 ? size : 1]);
  std::memset(buffer.get(), '#', size > 0 ? size : 1);
  va_list args;
  va_start(args, format);
  int written = FmtStringV(buffer.get(), size, format, args);
  va_end(args);
  if (size < 1) {
    EXPECT_EQ(written, 0);
    EXPECT_EQ(buffer[0], '#');  // nothing written at all
    return "<untouched>";
  }
  std::string text(buffer.get());
  EXPECT_EQ(written, static_cast<int>(text.size()));
  EXPECT_LT(static_cast<int>(text.size()), size);
  return text;
}

template <typename... Args>
std::string Snprintf(const char* format, Args... args) {
  int n = std::snprintf(nullptr, 0, format, args...);
  std::string text(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, args...);
  text.resize(static_cast<size_t>(n));
  return text;
}

TEST(FmtString, CharacterConversionDependsOnTheDialogEncoding) {
  const char eAcute[] = "\xC3\xA9";
  {
    ScopedDialogEncoding utf8("UTF-8");
    EXPECT_EQ(Format("%5C", eAcute), "   \xC3\xA9");
    EXPECT_EQ(Format("%-4C|", eAcute), "\xC3\xA9  |");
    EXPECT_EQ(Format("[%C]",
                     "\xE2\x82\xAC"
                     "x"),
              "[\xE2\x82\xAC]");                          // one character only
    EXPECT_EQ(Format("[%C]", "\xE2\x82"), "[\xE2\x82]");  // a cut sequence stops at its end
    EXPECT_EQ(Format("[%C]", static_cast<const char*>(nullptr)), "[]");
    EXPECT_EQ(Format("[%lC]", "a"), "[a]");  // a size prefix does not make it a wide string
  }
  ScopedDialogEncoding roman("HostRoman");
  EXPECT_EQ(Format("%5C", eAcute), "     ");
}

// A 'c' byte is a whole piece, whatever an earlier 'C' left in the engine's character buffer: a
// lead byte printed by 'c' is not cut, and the rest of the output follows it.
TEST(FmtString, ACharacterByteIsWholeAfterACharacterConversion) {
  ScopedDialogEncoding utf8("UTF-8");
  EXPECT_EQ(Format("[%c]", 0xC3), "[\xC3]");
  EXPECT_EQ(Format("%C[%c]", "\xC3\xA9", 0xC3), "\xC3\xA9[\xC3]");
  EXPECT_EQ(Format("%C[%c]", "\xE2\x82\xAC", 0xE2), "\xE2\x82\xAC[\xE2]");
}

TEST(FmtString, StarsTakeIntArguments) {
  struct Row {
    int line;
    const char* format;
    int width, precision;
    double value;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "%*.*f", 8, 2, 3.14159, "    3.14"},
      {__LINE__, "%*.*f", -8, 2, 3.14159, "3.14    "},  // a negative width left-justifies
      {__LINE__, "%*.*f", 0, -1, 2.5, "2.500000"},      // a negative precision is none
      {__LINE__, "%-*.*e", 12, 1, 1234.5, "1.2e+03     "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(Format(row.format, row.width, row.precision, row.value), row.expected);
  }
  EXPECT_EQ(Format("%*d", 6, 42), "    42");
  EXPECT_EQ(Format("%.*d|%s", -3, 7, "next"), "7|next");
  EXPECT_EQ(Format("%*s|%d", 3, "a", 9), "  a|9");
}

TEST(FmtString, StringAndNumericOutputGrowsTheBuffer) {
  std::string long1000(1000, 'x');
  long1000[999] = 'y';
  EXPECT_EQ(Format("%s", long1000.c_str()), long1000);
  EXPECT_EQ(Format("<%-1000s>", "ab"), "<ab" + std::string(998, ' ') + ">");
  EXPECT_EQ(Format("%.900s", long1000.c_str()), long1000.substr(0, 900));
  EXPECT_EQ(Format("%1200.1100s", long1000.c_str()), std::string(200, ' ') + long1000);
  // Flags the field measure does not know still get the room they need.
  EXPECT_EQ(Format("%#500s", "z"), std::string(499, ' ') + "z");
  EXPECT_EQ(Format("%300d", 5), std::string(299, ' ') + "5");
  EXPECT_EQ(Format("%f", 1e300), Snprintf("%f", 1e300));
  EXPECT_EQ(Format("%.400e", 1.0 / 3), Snprintf("%.400e", 1.0 / 3));
  EXPECT_EQ(Format("%-1000c|%s", 'q', "after"), "q" + std::string(999, ' ') + "|after");
  // Several growing conversions in one format, each longer than the last.
  EXPECT_EQ(Format("%300d%600d%s", 1, 2, long1000.c_str()),
            std::string(299, ' ') + "1" + std::string(599, ' ') + "2" + long1000);
}

TEST(FmtString, FailedGrowthStopsAndKeepsWhatWasWritten) {
  char buffer[64];
  std::memset(buffer, '#', sizeof buffer);
  int written;
  {
    ScopedAllocationFailure refuse;
    written = FmtString(buffer, "ab%d%1000dcd", 5, 6);
  }
  EXPECT_EQ(written, 3);
  EXPECT_STREQ(buffer, "ab5");
  {
    ScopedAllocationFailure refuse;
    written = FmtString(buffer, "x%-300sy", "s");
  }
  EXPECT_EQ(written, 1);
  EXPECT_STREQ(buffer, "x");
}

TEST(FmtString, CountConversionsStoreAtTheirOwnWidth) {
  struct {
    int16_t before = 0x1111;
    int16_t value = -1;
    int16_t after = 0x2222;
  } shorts;
  EXPECT_EQ(Format("abc%hndef", &shorts.value), "abcdef");
  EXPECT_EQ(shorts.value, 3);
  EXPECT_EQ(shorts.before, 0x1111);
  EXPECT_EQ(shorts.after, 0x2222);

  // Any other prefix still stores an int, as the caller passes one: never 8 bytes into 4, and
  // "%hhn" stores 16 bits like "%hn".
  struct Row {
    int line;
    const char* format;
    bool sixteenBits;
  };
  const Row rows[] = {
      {__LINE__, "abc%n", false},  {__LINE__, "abc%hn", true},   {__LINE__, "abc%hhn", true},
      {__LINE__, "abc%ln", false}, {__LINE__, "abc%lln", false}, {__LINE__, "abc%jn", false},
      {__LINE__, "abc%zn", false}, {__LINE__, "abc%tn", false},  {__LINE__, "abc%I64n", false},
      {__LINE__, "abc%Ln", false}, {__LINE__, "abc%qn", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    struct {
      int32_t value = -1;
      int32_t after = 0x5A5A5A5A;
    } target;
    EXPECT_EQ(Format(row.format, &target.value), "abc");
    int16_t low;
    std::memcpy(&low, &target.value, sizeof low);
    EXPECT_EQ(low, 3);
    EXPECT_EQ(target.value, row.sixteenBits ? static_cast<int32_t>(0xFFFF0003u) : 3);
    EXPECT_EQ(target.after, 0x5A5A5A5A);
  }
  EXPECT_EQ(Format("a%nb", static_cast<int*>(nullptr)), "ab");  // a null target is skipped
}

TEST(FmtString, SpecificationsTheRunTimeMustNotSeeArePrintedAsTheyStand) {
  struct Row {
    int line;
    const char* format;
    const char* expected;
  };
  // Each format takes one int and then the string "next" for a trailing %s, so a specification
  // printed as it stands must still take its argument for the %s to find its own.
  std::string longZeros = "%0" + std::string(70, '0') + "5d";
  std::string longSpec = longZeros + "|%s";
  std::string longExpected = longZeros + "|next";
  std::string exactlyFits = "%0" + std::string(59, '0') + "5d|%s";  // 63 bytes: still formatted
  const Row rows[] = {
      {__LINE__, longSpec.c_str(), longExpected.c_str()},
      {__LINE__, exactlyFits.c_str(), "00042|next"},
      {__LINE__, "%5kd|%s", "%5kd|next"},        // an unknown byte before the letter
      {__LINE__, "%5.3.1d|%s", "%5.3.1d|next"},  // two precisions
      {__LINE__, "%1$d|%s", "%1$d|next"},        // positional arguments
      {__LINE__, "%'d|%s", "%'d|next"},          // grouping, which the host's run-time lacks
      {__LINE__, "%'600s|%s", "%'600s|next"},
      {__LINE__, "%5*d|%s", "%5*d|next"},  // "%5-9d" once the star (-9) is resolved
      {__LINE__, "%*5kd|%s", "%*5kd|next"},
      {__LINE__, "%1$*d|%s", "%1$*d|next"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    std::string expected = row.expected;
    if (std::strchr(row.format, '*') != nullptr)
      EXPECT_EQ(Format(row.format, -9, 42, "next"), expected);
    else
      EXPECT_EQ(Format(row.format, 42, "next"), expected);
  }
}

// A star stands for the text of its argument, digits after it included: the conversion the
// run-time then gets is the expanded one.
TEST(FmtString, StarsFollowedByDigitsAreExpandedAsText) {
  struct Row {
    int line;
    const char* format;
    int first, second;  // the star arguments, as many as there are stars
    const char* expanded;
  };
  const Row rows[] = {
      {__LINE__, "%*5d|%s", 9, 0, "%95d|%s"},     {__LINE__, "%5*d|%s", 9, 0, "%59d|%s"},
      {__LINE__, "%-*5d|%s", 9, 0, "%-95d|%s"},   {__LINE__, "%*5d|%s", -9, 0, "%-95d|%s"},
      {__LINE__, "%**d|%s", 1, 2, "%12d|%s"},     {__LINE__, "%.*5d|%s", 1, 0, "%.15d|%s"},
      {__LINE__, "%*.*5x|%s", 3, 2, "%3.25x|%s"}, {__LINE__, "%0*1u|%s", 2, 0, "%021u|%s"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    std::string expected = Snprintf(row.expanded, 42, "next");
    if (std::count(row.format, row.format + std::strlen(row.format), '*') == 2)
      EXPECT_EQ(Format(row.format, row.first, row.second, 42, "next"), expected);
    else
      EXPECT_EQ(Format(row.format, row.first, 42, "next"), expected);
  }
}

// Whatever the flags, text with a precision is read no further than the precision (the run-time
// reads no further either).
TEST(FmtString, APrecisionBoundsTheStringWhateverTheFlags) {
  std::unique_ptr<char[]> bytes(new char[3]{'a', 'b', 'c'});  // exactly three, unterminated
  for (const char* format : {"%#.3s", "%-#5.3s|", "%+.2s", "% .3s", "%0#4.1s", "%#300.3s"}) {
    SCOPED_TRACE(format);
    EXPECT_EQ(Format(format, bytes.get()), Snprintf(format, bytes.get()));
  }
  EXPECT_EQ(Format("%#.*s", 2, bytes.get()), "ab");
}

TEST(FmtString, EdgesOfTheFormat) {
  struct Row {
    int line;
    const char* format;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "", ""},
      {__LINE__, "plain", "plain"},
      {__LINE__, "100%", "100%"},  // a lone percent sign at the end prints itself
      {__LINE__, "%", "%"},
      {__LINE__, "a%5", "a%5"},
      {__LINE__, "%%|%5%|%-3%", "%|%|%"},
      {__LINE__, "%c%c", "a"},  // a zero byte prints nothing
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(Format(row.format, 'a', 0), row.expected);
  }
  EXPECT_EQ(Format(static_cast<const char*>(nullptr)), "");
  EXPECT_EQ(
      Format("[%s|%5s]", static_cast<const char*>(nullptr), static_cast<const char*>(nullptr)),
      "[|     ]");
  const wchar_t* noWide = nullptr;
  EXPECT_EQ(Format("[%ls|%5ls]", noWide, noWide), "[|     ]");
  EXPECT_EQ(Format("[%ls|%-4lc|%s]", L"Hi", static_cast<wint_t>(L'w'), "next"), "[Hi|w   |next]");
  EXPECT_EQ(FmtString(nullptr, "abc"), 0);
}

TEST(FmtString, IntegerSizePrefixesTakeTheirOwnWidth) {
  EXPECT_EQ(Format("%hd|%hhd|%hu|%hhx", 70000, 300, -1, 0x1FF), "4464|44|65535|ff");
  EXPECT_EQ(
      Format("%ld|%lld|%jd|%zu|%td", LONG_MIN, LLONG_MAX, INTMAX_MIN, SIZE_MAX, PTRDIFF_MIN),
      Snprintf("%ld|%lld|%jd|%zu|%td", LONG_MIN, LLONG_MAX, INTMAX_MIN, SIZE_MAX, PTRDIFF_MIN));
  // The Windows prefixes the host's callers write.
  EXPECT_EQ(Format("%I64d|%I32d|%Iu|%I64x", -5LL, 7, SIZE_MAX, 0xABCDEF0123ULL),
            Snprintf("%lld|%d|%zu|%llx", -5LL, 7, SIZE_MAX, 0xABCDEF0123ULL));
  EXPECT_EQ(Format("%Lf|%Lg", 1.5L, 2.25L), "1.500000|2.25");
}

TEST(FmtStringV, NeverCutsACharacterAndStopsAfterACut) {
  ScopedDialogEncoding utf8("UTF-8");
  struct Row {
    int line;
    int size;
    const char* format;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, 5, "abc\xC3\xA9", "abc"},  // the fourth and fifth bytes form one character
      {__LINE__, 6, "abc\xC3\xA9", "abc\xC3\xA9"},
      {__LINE__, 5, "abc%s", "abc"},  // the same, from an argument
      {__LINE__, 7, "ab\xC3\xA9%s", "ab\xC3\xA9\xC3\xA9"},
      {__LINE__, 4, "a\xE2\x82\xAC", "a"},
      {__LINE__, 1, "abc", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(FormatInto(row.size, row.format,
                         "\xC3\xA9"
                         "d"),
              row.expected);
  }
  EXPECT_EQ(FormatInto(3, "%d", 12345), "12");
  // Once a character has been left out, later output may not fill the gap it leaves.
  EXPECT_EQ(FormatInto(6, "abc\xE2\x82\xAC%s", "x"), "abc");
  EXPECT_EQ(FormatInto(0, "abc"), "<untouched>");
  EXPECT_EQ(FormatInto(-4, "abc"), "<untouched>");
  va_list none{};
  EXPECT_EQ(FmtStringV(nullptr, 10, "abc", none), 0);
}

TEST(FmtStringN, NeverCutsACharacterAndWritesNothingWithoutRoom) {
  ScopedDialogEncoding utf8("UTF-8");
  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_EQ(FmtStringN(buffer, 5, "abc%s", "\xC3\xA9"), 3);
  EXPECT_STREQ(buffer, "abc");
  EXPECT_EQ(buffer[4], '#');
  EXPECT_EQ(FmtStringN(buffer, 0, "abc"), 0);
  EXPECT_EQ(FmtStringN(buffer, -1, "abc"), 0);
  EXPECT_EQ(buffer[0], 'a');  // untouched by either
  EXPECT_EQ(FmtStringN(nullptr, 10, "abc"), 0);
}

TEST(FmtStringV, ShiftJisTextIsCutBeforeALeadByte) {
  ScopedDialogEncoding sjis("JISX0208.ShiftJIS");
  EXPECT_EQ(FormatInto(3, "A\x82\xA0%d", 5), "A");
  EXPECT_EQ(FormatInto(4, "A\x82\xA0%d", 5), "A\x82\xA0");
  EXPECT_EQ(FormatInto(5, "A%s", "\x82\xA0\x82\xA0"), "A\x82\xA0");
}

TEST(FmtCopySpec, CopiesUpToTheLetterAndNeverPastItsBuffer) {
  struct Row {
    int line;
    const char* format;
    const char* copied;
    int advance;
  };
  std::string longSpec = "%" + std::string(100, '9') + "d rest";
  const Row rows[] = {
      {__LINE__, "%d rest", "%d", 2}, {__LINE__, "%-08.3lx!", "%-08.3lx", 8},
      {__LINE__, "%%d", "%%", 2},     {__LINE__, "%5", "%5", 2},
      {__LINE__, "%", "%", 1},        {__LINE__, longSpec.c_str(), nullptr, 102},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    char out[kFmtSpecSize + 8];
    std::memset(out, '#', sizeof out);
    const char* next = FmtCopySpec(out, row.format);
    EXPECT_EQ(next - row.format, row.advance);
    if (row.copied != nullptr) {
      EXPECT_STREQ(out, row.copied);
    } else {
      EXPECT_EQ(std::strlen(out), static_cast<size_t>(kFmtSpecSize - 1));
      EXPECT_EQ(out[kFmtSpecSize], '#');
    }
  }
}

int ExpandStars(char* spec, int size, ...) {
  va_list args;
  va_start(args, size);
  int result = FmtExpandStars(spec, size, &args);
  int next = va_arg(args, int);  // the argument after those the stars took
  va_end(args);
  return result == 0 ? next : -next;
}

TEST(FmtExpandStars, ReplacesEachStarAndTakesOneArgumentPerStar) {
  char spec[kFmtSpecSize] = "%*.*d";
  EXPECT_EQ(ExpandStars(spec, sizeof spec, 12, -3, 99), 99);
  EXPECT_STREQ(spec, "%12.-3d");
  char small[8] = "%*.*d";
  EXPECT_EQ(ExpandStars(small, sizeof small, 123456, 1, 77), -77);  // does not fit
  EXPECT_STREQ(small, "%*.*d");
  char none[8] = "%5d";
  EXPECT_EQ(ExpandStars(none, sizeof none, 5), 5);
  EXPECT_STREQ(none, "%5d");
}

TEST(FmtStringFieldSize, IsTheLargerOfWidthAndTheCutString) {
  struct Row {
    int line;
    const char* spec;
    const char* s;
    int expected;
  };
  const char unterminated[3] = {'a', 'b', 'c'};  // with a precision it need not be terminated
  const Row rows[] = {
      {__LINE__, "%s", "hello", 5},
      {__LINE__, "%10s", "hello", 10},
      {__LINE__, "%-+ 010s", "hello", 10},
      {__LINE__, "%3s", "hello", 5},
      {__LINE__, "%.2s", "hello", 2},
      {__LINE__, "%8.2s", "hello", 8},
      {__LINE__, "%.s", "hello", 0},
      {__LINE__, "%.3s", unterminated, 3},
      {__LINE__, "%s", nullptr, 0},
      {__LINE__, "%#500s", "x", 500},  // every flag is skipped, '#' too
      {__LINE__, "%#.2s", "hello", 2},
      {__LINE__, "%#.3s", unterminated, 3},
      {__LINE__, "%-#0+ '.2s", "hello", 2},
      {__LINE__, "%99999999999s", "x", 2147483647},
      {__LINE__, "s", "hello", 0},
      {__LINE__, nullptr, "hello", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(FmtStringFieldSize(row.spec, row.s), row.expected);
  }
}

int SumSink(void* context, const char* text, int length) {
  auto* pieces = static_cast<std::vector<std::string>*>(context);
  pieces->emplace_back(text, static_cast<size_t>(length));
  return length;
}

int Engine(std::vector<std::string>* pieces, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int total = FmtEngine(SumSink, pieces, format, args);
  va_end(args);
  return total;
}

TEST(FmtEngine, HandsEveryPieceToTheSink) {
  std::vector<std::string> pieces;
  int count = -1;
  EXPECT_EQ(Engine(&pieces, "%d ab %s%n%%", 7, "xy", &count), 8);
  // Literal runs, possibly empty, alternate with conversions; 'n' hands over nothing.
  const std::vector<std::string> expected = {"", "7", " ab ", "xy", "", "", "%", ""};
  EXPECT_EQ(pieces, expected);
  EXPECT_EQ(count, 7);
  pieces.clear();
  EXPECT_EQ(Engine(&pieces, nullptr), 0);
  EXPECT_EQ(pieces, std::vector<std::string>{""});
  va_list none{};
  EXPECT_EQ(FmtEngine(nullptr, nullptr, "abc", none), 0);
}

TEST(StrAppendInt, FormatsThroughTheEngine) {
  char buffer[32] = "n=";
  EXPECT_EQ(StrAppendInt(buffer, -2147483647 - 1, sizeof buffer), 13);
  EXPECT_STREQ(buffer, "n=-2147483648");
  char tight[6] = "ab";
  EXPECT_EQ(StrAppendInt(tight, 12345, sizeof tight), 5);
  EXPECT_STREQ(tight, "ab123");
}

}  // namespace

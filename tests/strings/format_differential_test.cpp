// FmtString beside the C library's snprintf over a few thousand generated formats: every letter
// but 'C' and 'n', with flags, widths, precisions, size prefixes and '*', and arguments from a
// fixed seed. The engine must give exactly the run-time's text, and FmtStringN the run-time's text
// cut to its buffer size.
#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "strings/format.h"

namespace {

// The part of a specification before its size prefix and letter, with the values of its stars.
struct Spec {
  std::string text;
  int stars = 0;
  int starValues[2] = {};
};

class Generator {
 public:
  explicit Generator(uint32_t seed) : rng_(seed) {}

  int Below(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }

  // Literal text around the conversion: printable bytes, high bytes and "%%".
  std::string Literal() {
    std::string text;
    for (int n = Below(6); n > 0; --n) {
      int kind = Below(10);
      if (kind == 0)
        text += "%%";
      else if (kind == 1)
        text += static_cast<char>(0x80 + Below(0x7F));
      else
        text += static_cast<char>('&' + Below(89));  // printable, '%' left out
    }
    return text;
  }

  std::string Flags() {
    std::string flags;
    for (int n = Below(4); n > 0; --n) flags += "-+ #0"[Below(5)];
    return flags;
  }

  // A width or precision: none, digits (sometimes past the engine's 256-byte buffer) or '*'.
  std::string Number(bool* star) {
    *star = false;
    switch (Below(6)) {
      case 0:
      case 1:
        return "";
      case 2:
        *star = true;
        return "*";
      case 3:
        return std::to_string(Below(400));
      default:
        return std::to_string(Below(20));
    }
  }

  int StarValue() { return Chance(20) ? -Below(300) : Below(300); }

  // '%', flags, a width and sometimes a precision.
  Spec MakeSpec() {
    Spec spec;
    bool widthStar = false;
    bool precisionStar = false;
    spec.text = "%" + Flags() + Number(&widthStar);
    if (Chance(50)) spec.text += "." + Number(&precisionStar);
    if (widthStar) spec.starValues[spec.stars++] = StarValue();
    if (precisionStar) spec.starValues[spec.stars++] = StarValue();
    return spec;
  }

  int64_t Integer() {
    switch (Below(5)) {
      case 0:
        return std::numeric_limits<int64_t>::min() + Below(3);
      case 1:
        return std::numeric_limits<int64_t>::max() - Below(3);
      case 2:
        return static_cast<int64_t>(Below(2000)) - 1000;
      default:
        return static_cast<int64_t>((uint64_t{rng_()} << 32) | rng_());
    }
  }

  long double Floating() {
    switch (Below(8)) {
      case 0:
        return 0.0L * (Chance(50) ? -1 : 1);
      case 1:
        return std::numeric_limits<double>::infinity() * (Chance(50) ? -1 : 1);
      case 2:
        return std::nan("");
      case 3:
        return std::numeric_limits<double>::denorm_min() * Below(1000);
      case 4:
        return 1e300 * (Below(1000) + 1);
      default: {
        std::uniform_real_distribution<double> mantissa(-10, 10);
        return std::ldexp(mantissa(rng_), Below(200) - 100);
      }
    }
  }

  std::string Text() {
    std::string text;
    int length = Chance(10) ? 200 + Below(600) : Below(30);
    for (int i = 0; i < length; ++i) text += static_cast<char>(' ' + Below(95));
    return text;
  }

  std::mt19937& rng() { return rng_; }

 private:
  std::mt19937 rng_;
};

// Formats with both and compares; stars come first in the argument list, as C has them.
class Differential {
 public:
  template <typename T>
  void Check(const std::string& format, int stars, const int* starValues, T value) {
    switch (stars) {
      case 0:
        Compare(format, value);
        break;
      case 1:
        Compare(format, starValues[0], value);
        break;
      default:
        Compare(format, starValues[0], starValues[1], value);
        break;
    }
  }

  int checked() const { return checked_; }

 private:
  template <typename... Args>
  void Compare(const std::string& format, Args... args) {
    int expectedLength = std::snprintf(nullptr, 0, format.c_str(), args...);
    ASSERT_GE(expectedLength, 0) << ::testing::PrintToString(format);
    std::vector<char> expected(static_cast<size_t>(expectedLength) + 1);
    std::snprintf(expected.data(), expected.size(), format.c_str(), args...);
    std::vector<char> actual(static_cast<size_t>(expectedLength) + 64, '#');
    int written = FmtString(actual.data(), format.c_str(), args...);
    ASSERT_EQ(written, expectedLength) << ::testing::PrintToString(format);
    ASSERT_EQ(std::string(actual.data()), std::string(expected.data()))
        << ::testing::PrintToString(format);
    // The bounded form into a heap block of exactly size bytes (a write past it is
    // AddressSanitizer's finding): the run-time's text cut to size-1 bytes, and the count of bytes
    // written.
    int size = 1 + static_cast<int>((static_cast<unsigned>(checked_) * 2654435761u) %
                                    static_cast<unsigned>(expectedLength + 2));
    std::vector<char> cut(static_cast<size_t>(size));
    std::snprintf(cut.data(), cut.size(), format.c_str(), args...);
    std::unique_ptr<char[]> bounded(new char[static_cast<size_t>(size)]);
    std::memset(bounded.get(), '#', static_cast<size_t>(size));
    written = FmtStringN(bounded.get(), size, format.c_str(), args...);
    ASSERT_EQ(written, expectedLength < size ? expectedLength : size - 1)
        << ::testing::PrintToString(format) << " in " << size << " bytes";
    ASSERT_EQ(std::string(bounded.get()), std::string(cut.data()))
        << ::testing::PrintToString(format) << " in " << size << " bytes";
    ++checked_;
  }

  int checked_ = 0;
};

TEST(FmtStringDifferential, MatchesSnprintfOnGeneratedFormats) {
  Generator gen(0x7A45E1);
  Differential diff;
  const std::string letters = "dioxXucsfeEgGp%";
  for (int round = 0; round < 6000; ++round) {
    char letter = letters[gen.Below(static_cast<int>(letters.size()))];
    Spec generated = gen.MakeSpec();
    std::string spec = generated.text;
    int stars = generated.stars;
    int* starValues = generated.starValues;
    if (letter == '%') {
      spec = "%%";  // the run-time's answer for flags on '%' is its own business
      stars = 0;
    }

    // The size prefix and the argument type that goes with it.
    const char* prefixes = "";
    if (std::string("diouxX").find(letter) != std::string::npos)
      prefixes = "HhLlljzt";
    else if (std::string("feEgG").find(letter) != std::string::npos)
      prefixes = "lD";
    char prefix =
        prefixes[0] != 0 && gen.Chance(70) ? prefixes[gen.Below(std::strlen(prefixes))] : 0;
    std::string prefixText = prefix == 'H'   ? "hh"
                             : prefix == 'L' ? "ll"
                             : prefix == 'D' ? "L"
                             : prefix != 0   ? std::string(1, prefix)
                                             : "";
    std::string format = gen.Literal() + spec.substr(0, spec.size() - (letter == '%' ? 1 : 0));
    if (letter != '%') format += prefixText;
    format += letter;
    format += gen.Literal();
    SCOPED_TRACE(format);

    bool isSigned = letter == 'd' || letter == 'i';
    int64_t integer = gen.Integer();
    switch (letter) {
      case 'd':
      case 'i':
      case 'o':
      case 'u':
      case 'x':
      case 'X':
        switch (prefix) {
          case 'l':
            isSigned ? diff.Check(format, stars, starValues, static_cast<long>(integer))
                     : diff.Check(format, stars, starValues, static_cast<unsigned long>(integer));
            break;
          case 'L':
            isSigned
                ? diff.Check(format, stars, starValues, static_cast<long long>(integer))
                : diff.Check(format, stars, starValues, static_cast<unsigned long long>(integer));
            break;
          case 'j':
            diff.Check(format, stars, starValues, static_cast<intmax_t>(integer));
            break;
          case 'z':
            diff.Check(format, stars, starValues, static_cast<size_t>(integer));
            break;
          case 't':
            diff.Check(format, stars, starValues, static_cast<ptrdiff_t>(integer));
            break;
          default:  // hh, h and none all take an int
            isSigned ? diff.Check(format, stars, starValues, static_cast<int>(integer))
                     : diff.Check(format, stars, starValues, static_cast<unsigned>(integer));
            break;
        }
        break;
      case 'c':
        diff.Check(format, stars, starValues, 1 + gen.Below(255));
        break;
      case 's': {
        std::string text = gen.Text();
        diff.Check(format, stars, starValues, text.c_str());
        break;
      }
      case 'p':
        diff.Check(format, stars, starValues,
                   gen.Chance(10) ? nullptr : reinterpret_cast<void*>(integer));
        break;
      case '%':
        diff.Check(format, 0, starValues, 0);
        break;
      default:
        if (prefix == 'D')
          diff.Check(format, stars, starValues, gen.Floating());
        else
          diff.Check(format, stars, starValues, static_cast<double>(gen.Floating()));
        break;
    }
    if (HasFatalFailure()) return;
  }
  EXPECT_EQ(diff.checked(), 6000);
}

// Several conversions of different types in one format, so that each must take exactly its own
// argument from the list.
TEST(FmtStringDifferential, MixedArgumentListsStayInStep) {
  Generator gen(0xC0FFEE);
  for (int round = 0; round < 500; ++round) {
    SCOPED_TRACE(round);
    int w = gen.StarValue();
    int p = gen.StarValue();
    long long big = gen.Integer();
    double d = static_cast<double>(gen.Floating());
    long double ld = gen.Floating();
    std::string text = gen.Text();
    short h = static_cast<short>(gen.Integer());
    const char* format = "%*.*s|%lld|%hd|%-*g|%Le|%c|%#lx|%.*f|%p";
    char expected[8192];
    char actual[8192];
    int n = std::snprintf(expected, sizeof expected, format, w, p, text.c_str(), big, h, w, d, ld,
                          'Z', static_cast<unsigned long>(big), p, d, &text);
    ASSERT_LT(n, static_cast<int>(sizeof expected));
    EXPECT_EQ(FmtString(actual, format, w, p, text.c_str(), big, h, w, d, ld, 'Z',
                        static_cast<unsigned long>(big), p, d, &text),
              n);
    EXPECT_STREQ(actual, expected);
  }
}

// "%ls" and "%lc" go to the run-time whole: it reads a wide string or character and converts it in
// the C library's locale, ASCII in the "C" locale and any character in a UTF-8 one.
TEST(FmtStringDifferential, WideStringsAndCharactersMatchSnprintf) {
  Generator gen(0x1C5);
  Differential diff;
  const std::wstring extra = L"\u00E9\u20AC\U0001F600";  // two, three and four UTF-8 bytes
  const char* saved = std::setlocale(LC_CTYPE, nullptr);
  std::string savedLocale = saved != nullptr ? saved : "C";
  for (const char* locale : {"C", "C.UTF-8"}) {
    if (std::setlocale(LC_CTYPE, locale) == nullptr) continue;  // no UTF-8 locale here
    bool utf8 = std::strcmp(locale, "C") != 0;
    for (int round = 0; round < 1500; ++round) {
      Spec spec = gen.MakeSpec();
      bool string = gen.Chance(70);
      std::string format = gen.Literal() + spec.text + (string ? "ls" : "lc") + gen.Literal();
      SCOPED_TRACE(format);
      std::string narrow = gen.Text();
      std::wstring text(narrow.begin(), narrow.end());
      if (utf8) {
        for (wchar_t& c : text)
          if (gen.Chance(20)) c = extra[gen.Below(static_cast<int>(extra.size()))];
      }
      if (string)
        diff.Check(format, spec.stars, spec.starValues, text.c_str());
      else
        diff.Check(format, spec.stars, spec.starValues,
                   static_cast<wint_t>(text.empty() ? L'x' : text[0]));
      if (HasFatalFailure()) break;
    }
  }
  std::setlocale(LC_CTYPE, savedLocale.c_str());
  EXPECT_GE(diff.checked(), 1500);
}

// The conversions the engine writes itself, at the values where their digits are hard to get
// right: halfway cases, powers of ten, the ends of the double range, every precision up to the
// engine's own limit and past it, and 'c' in and out of a field.
TEST(FmtStringDifferential, DirectConversionsMatchSnprintfAtTheirEdges) {
  Differential diff;
  const double kValues[] = {0.5,       1.5,     2.5,     0.125,   0.05,   9.5,
                            99.95,     1e15,    1e16,    1e17,    1e22,   1e23,
                            123456789, 0.1,     1.0 / 3, -0.0,    5e-324, 2.2250738585072014e-308,
                            DBL_MAX,   -1e-300, 4.35,    0.00015, 1e-5,   999999.5};
  const char* kFlags[] = {"", "-", "0", "+", " ", "+0", "- ", "#"};
  for (double value : kValues) {
    for (const char* flags : kFlags) {
      for (char letter : std::string("feEgG")) {
        for (int precision = -1; precision <= 63; precision += precision < 20 ? 1 : 21) {
          std::string format = std::string("%") + flags + (precision % 3 == 0 ? "12" : "");
          if (precision >= 0) format += "." + std::to_string(precision);
          format += letter;
          diff.Check(format, 0, nullptr, value);
        }
      }
    }
  }
  for (int c : {1, int{'x'}, 0xE9})  // a zero byte ends the text, unlike snprintf's count
    for (const char* format : {"%c", "%3c", "%-3c", "%1c", "[%c]"})
      diff.Check(format, 0, nullptr, c);
  for (int64_t value : {int64_t{0}, int64_t{-1}, INT64_MIN, INT64_MAX, int64_t{4294967296}})
    for (const char* format : {"%lld", "%20lld", "%-20lld", "%020lld", "%llx", "%llX", "%llo"})
      diff.Check(format, 0, nullptr, static_cast<long long>(value));
  EXPECT_GE(diff.checked(), 5000);
}

// One integer as the whole format ("%d", "%08x", "%-5u"), every flag, width and letter the engine
// lays out itself and widths past that, at every buffer size up to the text's own and past it,
// for the values where the digits change in count or the sign takes the last byte.
TEST(FmtStringDifferential, AnIntegerAloneMatchesSnprintfAtEveryBufferSize) {
  const int kValues[] = {0,         -1,         7,        -7,        10,
                         -10,       9999999,    99999999, 100000000, -99999999,
                         123456789, -100000000, INT_MAX,  INT_MIN,   INT_MIN + 1};
  std::vector<std::string> formats;
  for (const char* flags : {"", "0", "-", "-0", "0-", "00"})
    for (const char* width : {"", "1", "5", "8", "12", "200", "1234"})
      for (char letter : {'d', 'i', 'u', 'x', 'X'})
        formats.push_back(std::string("%") + flags + width + letter);
  for (const std::string& format : formats) {
    bool isSigned = format.back() == 'd' || format.back() == 'i';
    for (int value : kValues) {
      auto print = [&](char* out, size_t size) {
        return isSigned ? std::snprintf(out, size, format.c_str(), value)
                        : std::snprintf(out, size, format.c_str(), static_cast<unsigned>(value));
      };
      int length = print(nullptr, 0);
      std::vector<char> expected(static_cast<size_t>(length) + 1);
      print(expected.data(), expected.size());
      auto ours = [&](char* out, int size) {
        return isSigned ? FmtStringN(out, size, format.c_str(), value)
                        : FmtStringN(out, size, format.c_str(), static_cast<unsigned>(value));
      };
      for (int size = 1; size <= length + 2; size += size < 16 || size > length - 4 ? 1 : 97) {
        SCOPED_TRACE(::testing::Message() << format << " " << value << " in " << size << " bytes");
        std::vector<char> bounded(static_cast<size_t>(size), '#');
        int written = ours(bounded.data(), size);
        ASSERT_EQ(written, length < size ? length : size - 1);
        ASSERT_EQ(std::string(bounded.data()), std::string(expected.data(), written));
      }
      std::vector<char> whole(static_cast<size_t>(length) + 8, '#');
      int written = isSigned
                        ? FmtString(whole.data(), format.c_str(), value)
                        : FmtString(whole.data(), format.c_str(), static_cast<unsigned>(value));
      ASSERT_EQ(written, length) << format << " " << value;
      ASSERT_STREQ(whole.data(), expected.data()) << format << " " << value;
    }
  }
}

}  // namespace

// EncConvert and EncConvertRun: control runs, the UTF-8 gate, copies and empties, growth past the
// first estimate, dropped runs, and a differential check against plain ICU conversion of each run.
#include <gtest/gtest.h>
#include <unicode/ucnv.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "encoding/convert.h"
#include "encoding/dialog_encoding.h"
#include "tests/encoding/conversion_fixture.h"
#include "tests/support/fault_injection.h"

namespace {

// Plain ICU: one conversion with freshly opened converters; "" when ICU fails.
std::string Icu(const char* from, const char* to, const std::string& bytes) {
  UErrorCode error = U_ZERO_ERROR;
  std::string out(bytes.size() * 8 + 16, '\0');
  int32_t n = ucnv_convert(to, from, out.data(), static_cast<int32_t>(out.size()), bytes.data(),
                           static_cast<int32_t>(bytes.size()), &error);
  if (U_FAILURE(error)) return "";
  out.resize(n);
  return out;
}

std::u16string IcuUnits(const char* from, const std::string& bytes) {
  UErrorCode error = U_ZERO_ERROR;
  UConverter* converter = ucnv_open(from, &error);
  ucnv_setFallback(converter, true);
  std::u16string out(bytes.size() * 2 + 2, u'\0');
  int32_t n = ucnv_toUChars(converter, out.data(), static_cast<int32_t>(out.size()), bytes.data(),
                            static_cast<int32_t>(bytes.size()), &error);
  ucnv_close(converter);
  out.resize(U_SUCCESS(error) ? n : 0);
  return out;
}

TEST(EncConvert, ControlsPassBetweenRuns) {
  struct Row {
    int line;
    const char* from;
    std::string text;
    int keepControls;
    std::string utf8;
  };
  const Row rows[] = {
      // HostRoman: the converter would turn 09 into a line feed and 0A into a pilcrow.
      {__LINE__, "host-roman-windows",
       "A\x09"
       "B\x0A"
       "C",
       0,
       "A\x09"
       "B\x0A"
       "C"},
      {__LINE__, "host-roman-windows",
       "A\x09"
       "B\x0A"
       "C",
       1,
       "A\x0A"
       "B\xC2\xB6"
       "C"},
      {__LINE__, "host-roman-windows", "\x08\x8E\x11", 0, "\x08\xC3\xA9\x11"},
      {__LINE__, "host-roman-windows", "\x08\x8E\x11", 1, "\x09\xC3\xA9\x20"},
      // Shift-JIS: a trail byte with the value of '\' stays with its lead byte.
      {__LINE__, "host-shift-jis", "\x95\x5C\x09\x83\x5C", 0, "\xE8\xA1\xA8\x09\xE3\x82\xBD"},
      {__LINE__, "host-shift-jis", "\x95\x5C\x09\x83\x5C", 1, "\xE8\xA1\xA8\x09\xE3\x82\xBD"},
      {__LINE__, "host-shift-jis",
       "a\x0B\x0B"
       "b",
       0,
       "a\x0B\x0B"
       "b"},
      {__LINE__, "host-ksc-5601", "\xB0\xA1\x09\xB0\xA2", 0, "\xEA\xB0\x80\x09\xEA\xB0\x81"},
      {__LINE__, "host-big5", "\xA5\x5C\x0A\xB3\x5C", 0, "\xE5\x8A\x9F\x0A\xE8\xA8\xB1"},
      {__LINE__, "host-gb2312", "\x81\x40\x09\xD6\xD0", 0, "\xE4\xB8\x82\x09\xE4\xB8\xAD"},
      {__LINE__, "UTF-8", "\xE2\x82\xAC\x09\xC3\xA9", 0, "\xE2\x82\xAC\x09\xC3\xA9"},
      {__LINE__, "UTF-8", "\x01\x02", 1, "\x01\x02"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    Converted utf8(EncConvert(r.text.c_str(), r.from, "UTF-8", r.keepControls, 0));
    EXPECT_EQ(Bytes(utf8), r.utf8);
    if (r.keepControls == 0) {  // and back again, the controls untouched
      Converted back(EncConvert(r.utf8.c_str(), "UTF-8", r.from, 0, 0));
      EXPECT_EQ(Bytes(back), r.text);
    }
  }
}

TEST(EncConvert, ControlUnitsInUtf16) {
  Converted units(
      EncConvert("A\x09"
                 "B",
                 "host-roman-windows", "UTF-16", 0, 0));
  EXPECT_EQ(Units(units), u"A\tB");
  std::u16string source = u"\u00E9\u000A\u20AC";
  Converted roman(EncConvert(AsText(source), "UTF-16", "host-roman-windows", 0, 0));
  EXPECT_EQ(Bytes(roman), "\x8E\x0A\xF5");
  Converted kept(EncConvert(AsText(source), "UTF-16", "host-roman-windows", 1, 0));
  EXPECT_EQ(Bytes(kept), "\x8E\x0A\xF5");  // U+000A maps to the paragraph end one way
}

TEST(EncConvert, LeadByteBeforeAControlGoesAlone) {
  Converted utf8(
      EncConvert("\x95\x09"
                 "a",
                 "host-shift-jis", "UTF-8", 0, 0));
  std::string expected = Icu("host-shift-jis", "UTF-8", "\x95") +
                         "\x09"
                         "a";
  EXPECT_EQ(Bytes(utf8), expected);
  EXPECT_NE(Icu("host-shift-jis", "UTF-8", "\x95"), "");  // the lone lead byte was substituted
}

TEST(EncConvert, GatesCopiesAndEmpties) {
  EXPECT_EQ(EncConvert(nullptr, "UTF-8", "UTF-16", 0, 0), nullptr);
  struct Row {
    int line;
    const char* text;
    const char* from;
    const char* to;
    std::string expected;
  };
  const Row rows[] = {
      {__LINE__, "", "UTF-8", "host-roman-windows", ""},
      {__LINE__, "abc\x8E", nullptr, "UTF-8", "abc\x8E"},  // byte copy
      {__LINE__, "abc\x8E", "host-roman-windows", "", "abc\x8E"},
      {__LINE__, "\xC0\xAF", "UTF-8", "host-roman-windows", "???"},  // invalid UTF-8
      {__LINE__, "ok\xE2\x82", "UTF-8", "host-shift-jis", "???"},
      {__LINE__, "\xED\xA0\x80", "UTF-8", "UTF-8", "\xED\xA0\x80"},  // valid here: a copy
      {__LINE__, "\x8E\xFF", "host-roman-windows", "host-roman-windows", "\x8E\xFF"},
      {__LINE__,
       "a\x09"
       "b",
       "no-such-converter", "UTF-8", "\x09"},  // runs dropped, controls kept
      {__LINE__, "\x09", "host-roman-windows", "UTF-8", "\x09"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    Converted result(EncConvert(r.text, r.from, r.to, 0, 0));
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(Bytes(result), r.expected);
  }
  Converted marks(EncConvert("\xFF", "UTF-8", "UTF-16", 0, 0));
  EXPECT_EQ(Units(marks), u"???");
  std::u16string text = u"x\u20AC";
  Converted copy(EncConvert(AsText(text), "UTF-16", "UTF-16", 0, 0));
  EXPECT_EQ(Units(copy), text);
  std::u16string empty;
  Converted none(EncConvert(AsText(empty), "UTF-16", "UTF-8", 0, 0));
  EXPECT_EQ(Bytes(none), "");
}

TEST(EncConvert, UnitsWithAZeroLowByteAreKept) {
  // U+0100 is the bytes 00 01 in little-endian UTF-16; the run is not mistaken for empty.
  Converted units(
      EncConvert("\xC4\x80"
                 "a",
                 "UTF-8", "UTF-16", 0, 0));
  EXPECT_EQ(Units(units), u"\u0100a");
}

TEST(EncConvert, MatchesPlainIcuRunByRun) {
  // Random text with controls among the characters: EncConvert equals ICU converting each stretch
  // between controls on its own, with the controls copied.
  struct Row {
    int line;
    const char* from;
    std::vector<std::string> characters;
  };
  const Row rows[] = {
      {__LINE__, "host-roman-windows", {"a", "Z", "\x8E", "\xA5", "\xD5", "\xFF", " "}},
      {__LINE__, "host-shift-jis", {"a", "\x82\xA0", "\x95\x5C", "\xB1", "\x88\x9F", "\x81\x40"}},
      {__LINE__, "host-big5", {"a", "\xA4\x40", "\xB3\x5C", "\xA1\x40"}},
      {__LINE__, "UTF-8", {"a", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"}},
  };
  std::mt19937 random(7);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    for (int round = 0; round < 50; ++round) {
      std::string text, expected, run;
      for (int i = 0; i < 40; ++i) {
        if (random() % 5 == 0) {
          char control = static_cast<char>(1 + random() % 31);
          expected += Icu(r.from, "UTF-8", run) + control;
          run.clear();
          text += control;
        } else {
          const std::string& c = r.characters[random() % r.characters.size()];
          text += c;
          run += c;
        }
      }
      expected += Icu(r.from, "UTF-8", run);
      Converted result(EncConvert(text.c_str(), r.from, "UTF-8", 0, 0));
      ASSERT_EQ(Bytes(result), expected) << round;
      Converted whole(EncConvert(text.c_str(), r.from, "UTF-16", 1, 0));
      ASSERT_EQ(Units(whole), IcuUnits(r.from, text)) << round;
    }
  }
}

TEST(EncConvertRun, GrowsPastTheFirstEstimate) {
  // Undecodable bytes escape to four units each.
  std::string invalid(1000, '\xFF');
  size_t length = 0;
  Converted escaped(EncConvertRun(invalid.c_str(), "UTF-8", "UTF-8", &length, 1));
  EXPECT_EQ(Bytes(escaped), invalid);  // equal names: a copy
  Converted viaLocale(EncConvertRun(invalid.c_str(), "US-ASCII", "UTF-8", &length, 1));
  std::string expected;
  for (int i = 0; i < 1000; ++i) expected += "%XFF";
  EXPECT_EQ(Bytes(viaLocale), expected);
  EXPECT_EQ(length, expected.size());

  // A stateful target switches shift states on every character.
  std::string mixed;
  for (int i = 0; i < 200; ++i) mixed += "a\xE3\x81\x82";  // a, HIRAGANA A
  Converted jis(EncConvertRun(mixed.c_str(), "UTF-8", "JIS7", &length, 0));
  ASSERT_NE(jis, nullptr);
  EXPECT_EQ(Bytes(jis), Icu("UTF-8", "JIS7", mixed));
  EXPECT_GT(length, 4 * 400u);  // more than four bytes per unit
  Converted back(EncConvertRun(jis.get(), "JIS7", "UTF-8", &length, 0));
  EXPECT_EQ(Bytes(back), mixed);
}

TEST(EncConvertRun, EdgesAndFailures) {
  size_t length = 99;
  EXPECT_EQ(EncConvertRun(nullptr, "UTF-8", "UTF-16", &length, 0), nullptr);
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(EncConvertRun("abc", "no-such-converter", "UTF-8", &length, 0), nullptr);
  EXPECT_EQ(EncConvertRun("abc", "UTF-8", "no-such-converter", &length, 0), nullptr);
  Converted empty(EncConvertRun("", "UTF-8", "UTF-16", &length, 0));
  EXPECT_EQ(Bytes(empty), "");
  Converted units(EncConvertRun("\xC3\xA9t\xC3\xA9", "UTF-8", "UTF-16", &length, 0));
  EXPECT_EQ(Units(units), u"\u00E9t\u00E9");
  EXPECT_EQ(length, 6u);
  Converted locale(EncConvertRun("abc", "locale", "locale", &length, 0));
  EXPECT_EQ(Bytes(locale), "abc");
}

TEST(EncConvert, ManyConvertersInTurn) {
  // More encodings than the library keeps converters for, each as source and as target, twice
  // over: evicted converters are reopened and none is closed while in use.
  const char* names[] = {
      "ISO-8859-1", "US-ASCII",       "windows-1252", "macintosh",    "EUC-JP",
      "EUC-CN",     "host-shift-jis", "host-big5",    "host-gb2312",  "host-ksc-5601",
      "KOI8-R",     "ISO-8859-2",     "ISO-8859-5",   "windows-1250", "host-roman-windows"};
  for (int round = 0; round < 2; ++round) {
    for (const char* from : names) {
      SCOPED_TRACE(from);
      for (const char* to : {"UTF-8", "host-roman-windows", "EUC-KR", from}) {
        Converted result(EncConvert("abc\x09xyz", from, to, 0, 0));
        EXPECT_EQ(Bytes(result), "abc\x09xyz") << to;
      }
    }
  }
}

TEST(EncConvert, AllocationFailureIsFatal) {
  ScopedAllocationFailure refuse;
  EXPECT_EQ(RaisedCode([] { MemFree(EncConvert("abc", "UTF-8", "UTF-16", 0, 0)); }), 1);
}

TEST(DialogTables, LeadAndTrailBytesLieAboveTheControls) {
  // EncConvert splits runs at control units alone; that holds because no lead or trail byte is one.
  for (DialogEncoding i = 0; i < kDialogEncodingCount; ++i) {
    const LeadTrailTable* table = EncLeadTrailTable(i);
    for (int b = 0; b < 0x20; ++b) {
      EXPECT_EQ(table->lead[b], 0) << i;
      EXPECT_EQ(table->trail[b], 0) << i;
    }
  }
}

TEST(EncConvert, EqualsEncConvertRunRunByRun) {
  // Random bytes of every host converter, with controls anywhere (first, doubled, after a lone
  // lead byte, last): EncConvert to UTF-8 and to UTF-16 equals EncConvertRun of each stretch
  // between controls, with the controls copied, substituting and escaping.
  const char* kSources[] = {"host-roman-windows", "host-shift-jis", "host-ksc-5601", "host-big5",
                            "host-gb2312"};
  std::mt19937 random(0xC0A7);
  for (const char* from : kSources) {
    for (const char* to : {"UTF-8", "UTF-16"}) {
      bool units = std::strcmp(to, "UTF-16") == 0;
      for (int escape = 0; escape < 2; ++escape) {
        for (int round = 0; round < 60; ++round) {
          std::string text;
          for (int n = 1 + static_cast<int>(random() % 60); n > 0; --n) {
            unsigned kind = random() % 6;
            char byte = kind == 0   ? static_cast<char>(1 + random() % 31)
                        : kind <= 2 ? static_cast<char>(0x80 + random() % 0x7F)
                                    : static_cast<char>(0x20 + random() % 0x5F);
            text += byte;
          }
          SCOPED_TRACE(testing::Message() << from << " to " << to << " escape " << escape << " "
                                          << testing::PrintToString(text));
          std::string expected;
          size_t start = 0;
          for (size_t i = 0; i <= text.size(); ++i) {
            if (i < text.size() && static_cast<unsigned char>(text[i]) >= 0x20) continue;
            if (i > start) {
              size_t length = 0;
              Converted run(
                  EncConvertRun(text.substr(start, i - start).c_str(), from, to, &length, escape));
              if (run) expected.append(run.get(), length);
            }
            if (i < text.size()) {
              expected += text[i];
              if (units) expected += '\0';
            }
            start = i + 1;
          }
          Converted result(EncConvert(text.c_str(), from, to, 0, escape));
          ASSERT_NE(result, nullptr);
          std::string got =
              units ? std::string(result.get(), 2 * Units(result).size()) : Bytes(result);
          ASSERT_EQ(got, expected);
        }
      }
    }
  }
}

}  // namespace

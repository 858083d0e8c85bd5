// The front ends: encoding numbers with the symbol-font tables, dialog encodings, host encoding
// names, the locale and its escaped round trip, and console output through the hook.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bridge/client_state.h"
#include "encoding/convert.h"
#include "encoding/dialog_encoding.h"
#include "encoding/symbol_tables.h"
#include "strings/utf8.h"
#include "tests/encoding/conversion_fixture.h"
#include "tests/support/fault_injection.h"

namespace {

TEST(EncConvertById, Pairs) {
  struct Row {
    int line;
    std::string text;
    EncodingId from, to;
    std::string expected;  // "<null>" for a null result
  };
  const Row rows[] = {
      {__LINE__, "a", 13, 16, "\xCE\xB1"},  // alpha
      {__LINE__, "a", 16, 13, "<null>"},    // nothing converts into a symbol font
      {__LINE__, "a", 0, 14, "<null>"},
      {__LINE__,
       "\xA0\x09"
       "D",
       13, 16, "\xE2\x82\xAC\x09\xCE\x94"},
      {__LINE__, "\x21\x7F", 14, 16, "\xE2\x9C\x81"},  // 7F has no character: dropped
      {__LINE__, "\x20\xFE", 15, 16, "\xEF\x80\xA0\xEF\x83\xBF"},
      {__LINE__, "caf\x8E\x09", 0, 16, "caf\xC3\xA9\x09"},
      {__LINE__, "caf\xC3\xA9", 16, 0, "caf\x8E"},
      {__LINE__, "caf\xC3\xA9", 16, 3, "caf\xE9"},
      {__LINE__, "caf\xC3\xA9", 16, 1, "caf\xE9"},
      {__LINE__, "\x82\xA0", 6, 16, "\xE3\x81\x82"},
      {__LINE__, "\xE3\x81\x82", 16, 9, "\xA4\xA2"},         // id 9 converts with EUC-CN
      {__LINE__, "\xE3\x81\x82", 16, 5, "\x1B$B$\"\x1B(B"},  // JIS7
      {__LINE__, "same\xFF", 4, 4, "same\xFF"},
      {__LINE__, "abc\xFF", 16, 18, "abc\xFF"},  // no converter: a byte copy
      {__LINE__, "abc\xFF", 0, 99, "abc\xFF"},
      {__LINE__, "abc\xFF", 0, -3, "abc\xFF"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    Converted result(EncConvertById(r.text.c_str(), r.from, r.to));
    EXPECT_EQ(Bytes(result), r.expected);
  }
  EXPECT_EQ(EncConvertById(nullptr, 0, 16), nullptr);
}

TEST(EncConvertById, Utf16AndControls) {
  Converted units(EncConvertById("\x61\x09", 13, 17));
  EXPECT_EQ(Units(units), u"\u03B1\t");
  Converted kept(EncConvertByIdKeepControls("\x61\x09", 13, 17));
  EXPECT_EQ(Units(kept), u"\u03B1\n");  // the symbol table's forced line break
  std::u16string text = u"x\u00E9";
  Converted copy(EncConvertById(AsText(text), 17, 17));
  EXPECT_EQ(Units(copy), text);
  Converted roman(
      EncConvertByIdKeepControls("A\x09"
                                 "B",
                                 0, 16));
  EXPECT_EQ(Bytes(roman), "A\nB");
}

TEST(EncConvertById, SymbolSourceAsUtf8) {
  // U+00E9 is entry E9 of the first table; U+20AC has no entry and is dropped.
  Converted result(
      EncConvertByIdEx("a\xC3\xA9\xE2\x82\xAC"
                       "b",
                       13, 16, 0));
  EXPECT_EQ(Bytes(result), "\xCE\xB1\xEF\xA3\xAE\xCE\xB2");
}

TEST(EncConvertById, SourceOutsideTheTableIsFatal) {
  for (EncodingId id : {-1, 18, 19, 1000}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(RaisedCode([&] { MemFree(EncConvertById("a", id, 16)); }), 1);
  }
}

TEST(SymbolTables, ListedRows) {
  struct Row {
    int line;
    EncodingId id;
    int byte;
    char16_t unit;
  };
  const Row rows[] = {
      {__LINE__, 13, 0x08, 0x0009}, {__LINE__, 13, 0x09, 0x000A}, {__LINE__, 14, 0x0B, 0x000D},
      {__LINE__, 15, 0x10, 0x2007}, {__LINE__, 13, 0x11, 0x00A0}, {__LINE__, 14, 0x15, 0x2011},
      {__LINE__, 13, 0x00, 0xFFFF}, {__LINE__, 15, 0x1F, 0xFFFF}, {__LINE__, 13, 0x22, 0x2200},
      {__LINE__, 13, 0x41, 0x0391}, {__LINE__, 13, 0x4E, 0x039D}, {__LINE__, 13, 0x60, 0xF8E5},
      {__LINE__, 13, 0x7F, 0xFFFF}, {__LINE__, 13, 0x9F, 0xFFFF}, {__LINE__, 13, 0xA0, 0x20AC},
      {__LINE__, 13, 0xAF, 0x2193}, {__LINE__, 13, 0xEF, 0xF8F4}, {__LINE__, 13, 0xF0, 0xFFFF},
      {__LINE__, 13, 0xFE, 0xF8FE}, {__LINE__, 13, 0xFF, 0xFFFF}, {__LINE__, 14, 0x20, 0x0020},
      {__LINE__, 14, 0x24, 0x2704}, {__LINE__, 14, 0x47, 0x2727}, {__LINE__, 14, 0x6B, 0x274B},
      {__LINE__, 14, 0x8D, 0xF8E4}, {__LINE__, 14, 0x8E, 0xFFFF}, {__LINE__, 14, 0xA0, 0xFFFF},
      {__LINE__, 14, 0xB5, 0x2469}, {__LINE__, 14, 0xD4, 0x2794}, {__LINE__, 14, 0xFE, 0x27BE},
      {__LINE__, 15, 0x54, 0xF054}, {__LINE__, 15, 0x58, 0xF0FE}, {__LINE__, 15, 0x7F, 0xF080},
      {__LINE__, 15, 0x94, 0xF095}, {__LINE__, 15, 0xFD, 0xF0FA}, {__LINE__, 15, 0xFE, 0xF0FF},
      {__LINE__, 15, 0xFF, 0xFFFF},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    ASSERT_NE(EncSymbolTable(r.id), nullptr);
    EXPECT_EQ(EncSymbolTable(r.id)[r.byte], r.unit);
  }
  EXPECT_EQ(EncSymbolTable(12), nullptr);
  EXPECT_EQ(EncSymbolTable(16), nullptr);
}

TEST(SymbolTables, TableConversions) {
  const char16_t* table = EncSymbolTable(13);
  Converted none(reinterpret_cast<char*>(EncBytesToUtf16ByTable(nullptr, table, 3, 0)));
  EXPECT_EQ(none, nullptr);
  Converted empty(reinterpret_cast<char*>(EncBytesToUtf16ByTable("", table, 0, 0)));
  EXPECT_EQ(Units(empty), u"");
  Converted passed(
      reinterpret_cast<char*>(EncBytesToUtf16ByTable("\x01"
                                                     "a\xF0",
                                                     table, 3, 0)));
  EXPECT_EQ(Units(passed), u"\u0001\u03B1");  // a control copied, F0 dropped
  Converted looked(
      reinterpret_cast<char*>(EncBytesToUtf16ByTable("\x01"
                                                     "a\x09",
                                                     table, 3, 1)));
  EXPECT_EQ(Units(looked), u"\u03B1\n");  // 01 has no character

  // More characters asked for than the text holds: the conversion stops at its end.
  auto exact = std::make_unique<char[]>(4);
  std::memcpy(exact.get(), "a\xC3\xA9", 4);
  Converted counted(reinterpret_cast<char*>(EncUtf8ToUtf16ByTable(exact.get(), table, 50, 0)));
  EXPECT_EQ(Units(counted), u"\u03B1\uF8EE");
  Converted one(reinterpret_cast<char*>(EncUtf8ToUtf16ByTable(exact.get(), table, 1, 0)));
  EXPECT_EQ(Units(one), u"\u03B1");
  Converted wide(reinterpret_cast<char*>(
      EncUtf8ToUtf16ByTable("\xC4\x80\xE2\x82\xAC\xF0\x9F\x98\x80z", table, 4, 0)));
  EXPECT_EQ(Units(wide), u"\u03B6");  // everything above U+00FF dropped
}

class DialogFronts : public testing::Test {
 protected:
  void TearDown() override { EncSetDialogEncoding("HostRoman"); }
};

TEST_F(DialogFronts, DialogAndHostNames) {
  struct Row {
    int line;
    DialogEncoding index;
    std::string dialog;  // the text in that encoding
    std::string utf8;
  };
  const Row rows[] = {
      {__LINE__, 0, "\x8E\x09", "\xC3\xA9\x09"}, {__LINE__, 1, "\x82\xA0\x0A", "\xE3\x81\x82\x0A"},
      {__LINE__, 2, "\xB0\xA1", "\xEA\xB0\x80"}, {__LINE__, 3, "\xA4\x40", "\xE4\xB8\x80"},
      {__LINE__, 4, "\xD6\xD0", "\xE4\xB8\xAD"}, {__LINE__, 5, "\xE4\xB8\xAD", "\xE4\xB8\xAD"},
      {__LINE__, 6, "\xFF\x80", "\xFF\x80"},  // outside 0 to 5: byte copies
      {__LINE__, -1, "\xFF\x80", "\xFF\x80"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.line);
    Converted utf8(EncDialogToUtf8(r.dialog.c_str(), r.index));
    EXPECT_EQ(Bytes(utf8), r.utf8);
    Converted dialog(EncUtf8ToDialog(r.utf8.c_str(), r.index));
    EXPECT_EQ(Bytes(dialog), r.dialog);
    const char* hostName = EncDialogEncodingName(r.index);
    if (hostName == nullptr) continue;
    Converted viaNames(EncConvertHostNames(r.dialog.c_str(), hostName, "UTF-8"));
    EXPECT_EQ(Bytes(viaNames), r.utf8);
    Converted kept(EncConvertHostNamesKeepControls(r.utf8.c_str(), "UTF-8", hostName));
    EXPECT_EQ(Bytes(kept), r.index == 0 ? "\x8E\x08" : r.dialog);  // 09 becomes the host's tab
  }
  Converted copy(EncConvertHostNames("\xFF", "", "UTF-8"));
  EXPECT_EQ(Bytes(copy), "\xFF");
  Converted unknown(EncConvertHostNames("\xFF", "Latin1", "UTF-8"));
  EXPECT_EQ(Bytes(unknown), "\xFF");
  EXPECT_EQ(EncConvertHostNames(nullptr, "HostRoman", "UTF-8"), nullptr);

  Converted current(EncCurrentToUtf8("\x8E"));
  EXPECT_EQ(Bytes(current), "\xC3\xA9");
  EncSetDialogEncoding("JISX0208.ShiftJIS");
  Converted japanese(EncUtf8ToCurrent("\xE3\x81\x82"));
  EXPECT_EQ(Bytes(japanese), "\x82\xA0");
}

TEST(Locale, EscapedRoundTripOfAnyBytes) {
  std::mt19937 random(1234);
  std::vector<std::string> texts = {"plain",
                                    "\xFF\xFE",
                                    "caf\xE9",
                                    "\xC3\xA9\x80",
                                    "\xED\xA0\x80 \xF4\x90\x80\x80 \xC0\xAF",
                                    "\x09\x0A\x01"};
  for (int i = 0; i < 200; ++i) {
    std::string text;
    for (int n = 1 + random() % 60; n > 0; --n) text += static_cast<char>(1 + random() % 255);
    texts.push_back(text);
  }
  for (const std::string& text : texts) {
    if (text.find("%X") != std::string::npos || text.find("%x") != std::string::npos) continue;
    SCOPED_TRACE(testing::PrintToString(text));
    Converted utf8(EncLocaleToUtf8Escaped(text.c_str()));
    ASSERT_NE(utf8, nullptr);
    EXPECT_EQ(Utf8IsValid(utf8.get()), 1);
    Converted back(EncUtf8ToLocaleUnescaped(utf8.get()));
    EXPECT_EQ(Bytes(back), text);
  }
}

TEST(Locale, PlainConversions) {
  Converted utf8(EncLocaleToUtf8("abc\x09"));
  EXPECT_EQ(Bytes(utf8), "abc\x09");
  Converted locale(EncUtf8ToLocale("abc\x09"));
  EXPECT_EQ(Bytes(locale), "abc\x09");
  Converted invalid(EncUtf8ToLocale("\xFF"));
  EXPECT_EQ(Bytes(invalid), "???");
  EXPECT_EQ(EncUtf8ToLocaleUnescaped(nullptr), nullptr);
}

// Records what reaches the console hook.
std::vector<std::string> g_console;
int RecordConsole(const char* text) {
  g_console.push_back(text != nullptr ? text : "<null>");
  return 7;
}

class Console : public testing::Test {
 protected:
  void SetUp() override {
    g_console.clear();
    saved_ = ConsoleHook;
    ConsoleHook = RecordConsole;
  }
  void TearDown() override {
    ConsoleHook = saved_;
    EncSetDialogEncoding("HostRoman");
  }
  ConsoleHookFn saved_ = nullptr;
};

TEST_F(Console, WritesUtf8ThroughTheHook) {
  ConsoleWriteText("caf\x8E\x0A");
  EncSetDialogEncoding("UTF-8");
  ConsoleWriteText("caf\x8E");  // in UTF-8 the text goes as it is
  ConsoleWriteText(nullptr);
  EXPECT_EQ(ConsoleWriteRaw("raw\x8E"), 7);
  EXPECT_EQ(g_console, (std::vector<std::string>{"caf\xC3\xA9\x0A", "caf\x8E", "raw\x8E"}));
  ConsoleHook = nullptr;
  ConsoleWriteText("x");
  EXPECT_EQ(ConsoleWriteRaw("x"), 0);
  EXPECT_EQ(g_console.size(), 3u);
}

}  // namespace

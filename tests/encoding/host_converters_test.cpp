// The host's five converters, as the build generates them, against ICU's standard converters and
// glibc's iconv: every HostRoman byte, sample text in each double-byte encoding, and random
// two-byte characters from a fixed seed.
#include <gtest/gtest.h>
#include <iconv.h>
#include <unicode/ucnv.h>

#include <random>
#include <string>

#include "encoding/convert.h"
#include "strings/char_tables.h"
#include "tests/encoding/conversion_fixture.h"

namespace {

// A converter that reports anything it cannot map instead of substituting.
class Strict {
 public:
  explicit Strict(const char* name) {
    UErrorCode error = U_ZERO_ERROR;
    converter_ = ucnv_open(name, &error);
    EXPECT_TRUE(U_SUCCESS(error)) << name << ": " << u_errorName(error);
    ucnv_setToUCallBack(converter_, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
    ucnv_setFromUCallBack(converter_, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &error);
  }
  ~Strict() { ucnv_close(converter_); }
  Strict(const Strict&) = delete;
  Strict& operator=(const Strict&) = delete;

  // The UTF-16 of bytes, or "<error>".
  std::u16string ToUnicode(const std::string& bytes) {
    char16_t units[64];
    UErrorCode error = U_ZERO_ERROR;
    ucnv_reset(converter_);
    int32_t n = ucnv_toUChars(converter_, units, 64, bytes.data(),
                              static_cast<int32_t>(bytes.size()), &error);
    return U_FAILURE(error) ? u"<error>" : std::u16string(units, n);
  }
  std::string FromUnicode(const std::u16string& units) {
    char bytes[64];
    UErrorCode error = U_ZERO_ERROR;
    ucnv_reset(converter_);
    int32_t n = ucnv_fromUChars(converter_, bytes, 64, units.data(),
                                static_cast<int32_t>(units.size()), &error);
    return U_FAILURE(error) ? "<error>" : std::string(bytes, n);
  }

 private:
  UConverter* converter_ = nullptr;
};

std::string Byte(int b) {
  return std::string(1, static_cast<char>(b));
}

TEST(HostRoman, EveryByteThroughCodePage1252) {
  Strict host("host-roman-windows");
  Strict cp1252("windows-1252");
  for (int r = 0; r < 256; ++r) {
    SCOPED_TRACE(testing::Message() << "HostRoman 0x" << std::hex << r);
    int ansi = RomanToAnsiTable[r];
    if (ansi == 0 && r != 0)
      EXPECT_EQ(host.ToUnicode(Byte(r)), u"<error>");  // no equivalent
    else
      EXPECT_EQ(host.ToUnicode(Byte(r)), cp1252.ToUnicode(Byte(ansi)));
  }
  for (int a = 0; a < 256; ++a) {
    SCOPED_TRACE(testing::Message() << "ANSI 0x" << std::hex << a);
    int roman = AnsiToRomanTable[a];
    std::u16string text = cp1252.ToUnicode(Byte(a));
    if (roman == 0 && a != 0)
      EXPECT_EQ(host.FromUnicode(text), "<error>");
    else
      EXPECT_EQ(host.FromUnicode(text), Byte(roman));
  }
}

TEST(HostRoman, Latin1AgreesWhereTheTablesRoundTrip) {
  // Where ISO-8859-1's table and its inverse agree on a byte above 0x9F, the converter decodes
  // that HostRoman byte to the same character as ISO-8859-1 decodes its Latin-1 byte.
  Strict host("host-roman-windows");
  Strict latin1("ISO-8859-1");
  int checked = 0;
  for (int l = 0xA0; l < 256; ++l) {
    int roman = Latin1ToRomanTable[l];
    if (roman == 0 || RomanToLatin1Table[roman] != l) continue;
    SCOPED_TRACE(testing::Message() << "Latin-1 0x" << std::hex << l);
    EXPECT_EQ(host.ToUnicode(Byte(roman)), latin1.ToUnicode(Byte(l)));
    EXPECT_EQ(host.FromUnicode(latin1.ToUnicode(Byte(l))), Byte(roman));
    ++checked;
  }
  EXPECT_GT(checked, 60);
}

TEST(HostRoman, ConvertsThroughEncConvert) {
  Converted utf8(
      EncConvert("caf\x8E na\x95ve \xD2quoted\xD3", "host-roman-windows", "UTF-8", 0, 0));
  EXPECT_EQ(Bytes(utf8), "caf\xC3\xA9 na\xC3\xAFve \xE2\x80\x9Cquoted\xE2\x80\x9D");
  Converted back(EncConvert(utf8.get(), "UTF-8", "host-roman-windows", 0, 0));
  EXPECT_EQ(Bytes(back), "caf\x8E na\x95ve \xD2quoted\xD3");
  Converted apostrophe(EncConvert("it's `x`", "UTF-8", "host-roman-windows", 0, 0));
  EXPECT_EQ(Bytes(apostrophe), "it\xD5s \xD4x\xD4");  // the tables' one-way typographic quotes
}

// iconv of UTF-8 into code; "<error>" when it refuses.
std::string Iconv(const char* code, const std::string& utf8) {
  iconv_t cd = iconv_open(code, "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return "<no iconv>";
  std::string in = utf8, out(utf8.size() * 4 + 16, '\0');
  char* inPtr = in.data();
  char* outPtr = out.data();
  size_t inLeft = in.size(), outLeft = out.size();
  size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1)) return "<error>";
  out.resize(out.size() - outLeft);
  return out;
}

struct DoubleByteCase {
  int line;
  const char* host;                                // our converter
  const char* standard;                            // ICU's converter of the same standard
  const char* iconv;                               // glibc's name
  const char* sample;                              // UTF-8 text
  int leadFirst, leadLast, leadFirst2, leadLast2;  // lead ranges (the second may be empty)
  int trailFirst, trailLast, trailFirst2, trailLast2;
};

const DoubleByteCase kDoubleByte[] = {
    {__LINE__, "host-shift-jis", "Shift_JIS", "CP932",
     "日本語のテキスト、カタカナとひらがな。表示とソフト。ｱｲｳｴｵ ABC 123", 0x81, 0x9F, 0xE0, 0xFC,
     0x40, 0x7E, 0x80, 0xFC},
    {__LINE__, "host-ksc-5601", "EUC-KR", "EUC-KR", "한국어 텍스트입니다. 대한민국 서울 ABC 123",
     0xA1, 0xFE, 0, -1, 0xA1, 0xFE, 0, -1},
    {__LINE__, "host-big5", "Big5", "BIG5", "繁體中文的測試文字，許功蓋。臺灣 ABC 123", 0xA1, 0xFE,
     0, -1, 0x40, 0x7E, 0xA1, 0xFE},
    {__LINE__, "host-gb2312", "GBK", "GBK", "简体中文测试文本，中华人民共和国。丂亐 ABC 123", 0x81,
     0xFE, 0, -1, 0x40, 0xFE, 0, -1},
};

TEST(DoubleByte, SampleTextAgainstIcuAndIconv) {
  for (const DoubleByteCase& c : kDoubleByte) {
    SCOPED_TRACE(testing::Message() << "line " << c.line << ": " << c.host);
    Converted ours(EncConvert(c.sample, "UTF-8", c.host, 0, 0));
    Converted icu(EncConvert(c.sample, "UTF-8", c.standard, 0, 0));
    ASSERT_TRUE(ours && icu);
    EXPECT_EQ(Bytes(ours), Bytes(icu));
    EXPECT_EQ(Bytes(ours), Iconv(c.iconv, c.sample));
    Converted back(EncConvert(ours.get(), c.host, "UTF-8", 0, 0));
    EXPECT_EQ(Bytes(back), c.sample);
  }
}

TEST(DoubleByte, RandomCharactersAgainstIcu) {
  std::mt19937 random(20240605);
  for (const DoubleByteCase& c : kDoubleByte) {
    SCOPED_TRACE(testing::Message() << "line " << c.line << ": " << c.host);
    Strict host(c.host);
    Strict standard(c.standard);
    auto pick = [&](int a, int b, int a2, int b2) {
      int span1 = b - a + 1, span2 = b2 >= a2 ? b2 - a2 + 1 : 0;
      int k = static_cast<int>(random() % static_cast<unsigned>(span1 + span2));
      return k < span1 ? a + k : a2 + (k - span1);
    };
    int mapped = 0;
    for (int i = 0; i < 3000; ++i) {
      std::string bytes = Byte(pick(c.leadFirst, c.leadLast, c.leadFirst2, c.leadLast2)) +
                          Byte(pick(c.trailFirst, c.trailLast, c.trailFirst2, c.trailLast2));
      std::u16string expected = standard.ToUnicode(bytes);
      if (expected == u"<error>" || expected.size() != 1) continue;
      SCOPED_TRACE(testing::Message() << std::hex << (bytes[0] & 0xFF) << " " << (bytes[1] & 0xFF));
      ASSERT_EQ(host.ToUnicode(bytes), expected);
      if (standard.FromUnicode(expected) == bytes) {
        EXPECT_EQ(host.FromUnicode(expected), bytes);
      }
      ++mapped;
    }
    EXPECT_GT(mapped, 1000);
    for (int b = 0; b < 0x20; ++b) {  // the controls the host's text structure needs
      EXPECT_EQ(host.ToUnicode(Byte(b)), std::u16string(1, static_cast<char16_t>(b)));
      EXPECT_EQ(host.FromUnicode(std::u16string(1, static_cast<char16_t>(b))), Byte(b));
    }
  }
}

}  // namespace

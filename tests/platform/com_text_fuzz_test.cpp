// Seeded fuzzing of the stand-ins that take untrusted text: class identifiers (from "HOSTGUID")
// and multibyte text (host names, "HOSTGUID"). Buffers are sized exactly, so the sanitizers catch
// any write or read beyond them.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <random>
#include <string>

#include "platform/com_creation.h"
#include "platform/win_text.h"

namespace {

// The braced form by its definition: 38 characters, braces and dashes in place, hex elsewhere.
bool ModelIsBraced(const std::string& text) {
  if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
  for (size_t i = 1; i < 37; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    if (dash ? text[i] != '-' : !std::isxdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

TEST(ClsidFromStringFuzz, AgreesWithTheDefinitionOnMutatedIdentifiers) {
  std::mt19937 random(2026);
  const std::string alphabet = "{}-0123456789abcdefABCDEFgG xX\x01\xFF";
  for (int i = 0; i < 20000; ++i) {
    std::string text = "{539DB5D0-C0C6-11D0-985E-0060970BEC0B}";
    const int edits = static_cast<int>(random() % 3);
    for (int e = 0; e < edits; ++e) {
      const size_t at = random() % (text.size() + 1);
      const char c = alphabet[random() % alphabet.size()];
      switch (random() % 3) {
        case 0:
          if (at < text.size()) text[at] = c;
          break;
        case 1:
          text.insert(text.begin() + static_cast<long>(at), c);
          break;
        default:
          if (at < text.size()) text.erase(at, 1);
          break;
      }
    }
    SCOPED_TRACE(text);
    // Exactly as long as the text, terminator included: nothing beyond may be read.
    auto wide = std::make_unique<char16_t[]>(text.size() + 1);
    for (size_t k = 0; k < text.size(); ++k) wide[k] = static_cast<unsigned char>(text[k]);
    wide[text.size()] = 0;
    CLSID clsid;
    const HRESULT hr = CLSIDFromString(wide.get(), &clsid);
    ASSERT_EQ(hr == S_OK, ModelIsBraced(text));
    if (hr != S_OK) {
      ASSERT_EQ(hr, CO_E_CLASSSTRING);
      continue;
    }
    char back[40];
    std::snprintf(back, sizeof back, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  clsid.Data1, clsid.Data2, clsid.Data3, clsid.Data4[0], clsid.Data4[1],
                  clsid.Data4[2], clsid.Data4[3], clsid.Data4[4], clsid.Data4[5], clsid.Data4[6],
                  clsid.Data4[7]);
    ASSERT_EQ(back, Upper(text));
  }
}

// UTF-16 back to UTF-8 by the definitions; false for an unpaired surrogate.
bool ModelToUtf8(const std::u16string& wide, std::string& out) {
  for (size_t i = 0; i < wide.size(); ++i) {
    char32_t point = wide[i];
    if (point >= 0xD800 && point <= 0xDBFF) {
      if (i + 1 == wide.size() || wide[i + 1] < 0xDC00 || wide[i + 1] > 0xDFFF) return false;
      point = 0x10000 + ((point - 0xD800) << 10) + (wide[++i] - 0xDC00);
    } else if (point >= 0xDC00 && point <= 0xDFFF) {
      return false;
    }
    if (point < 0x80) {
      out += static_cast<char>(point);
    } else if (point < 0x800) {
      out += static_cast<char>(0xC0 | (point >> 6));
      out += static_cast<char>(0x80 | (point & 0x3F));
    } else if (point < 0x10000) {
      out += static_cast<char>(0xE0 | (point >> 12));
      out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (point >> 18));
      out += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (point & 0x3F));
    }
  }
  return true;
}

TEST(MultiByteToWideCharFuzz, StaysInItsBuffersAndKeepsWellFormedTextExact) {
  std::mt19937 random(77);
  // Bytes weighted towards the ones that start and continue sequences.
  const unsigned char pool[] = {'a',  'Z',  0x7F, 0x80, 0x8F, 0xA0, 0xBF, 0xC0, 0xC2, 0xDF,
                                0xE0, 0xE1, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF, 0x90, 0x9F};
  for (int i = 0; i < 20000; ++i) {
    const size_t length = 1 + random() % 12;
    auto bytes = std::make_unique<char[]>(length);
    for (size_t k = 0; k < length; ++k) bytes[k] = static_cast<char>(pool[random() % 20]);
    const std::string text(bytes.get(), length);
    SCOPED_TRACE(::testing::PrintToString(text));
    const int count = static_cast<int>(length);
    const int needed = MultiByteToWideChar(CP_UTF8, 0, bytes.get(), count, nullptr, 0);
    ASSERT_GE(needed, 1);
    ASSERT_LE(needed, count);  // every unit comes from at least one byte
    auto exact = std::make_unique<char16_t[]>(static_cast<size_t>(needed));
    ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, bytes.get(), count, exact.get(), needed), needed);
    auto tooSmall = std::make_unique<char16_t[]>(static_cast<size_t>(needed));
    ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, bytes.get(), count, tooSmall.get(), needed - 1),
              needed == 1 ? needed : 0);
    const std::u16string wide(exact.get(), static_cast<size_t>(needed));
    const bool strict =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.get(), count, nullptr, 0) != 0;
    std::string back;
    ASSERT_TRUE(ModelToUtf8(wide, back));  // never an unpaired surrogate
    if (strict) {
      ASSERT_EQ(back, text);  // well-formed text comes through exactly
    } else {
      ASSERT_NE(wide.find(u'\uFFFD'), std::u16string::npos);
    }
  }
}

}  // namespace

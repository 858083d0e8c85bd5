// Shared by the conversion tests: ICU pointed at the build's icu_data directory, which holds the
// host converters, and small helpers to hold and compare converted blocks.
#pragma once

#include <gtest/gtest.h>
#include <unicode/putil.h>

#include <cstring>
#include <memory>
#include <string>

#include "strings/memory.h"

// The build's ICU data directory (set by CMake).
#ifndef TANSEL_ICU_DATA_DIR
#error "TANSEL_ICU_DATA_DIR must name the build's icu_data directory"
#endif

class HostConverterEnvironment : public testing::Environment {
 public:
  void SetUp() override { u_setDataDirectory(TANSEL_ICU_DATA_DIR); }
};

struct MemFreeDeleter {
  void operator()(void* p) const { MemFree(p); }
};
using Converted = std::unique_ptr<char, MemFreeDeleter>;

// The bytes of a converted byte result (up to its zero byte), checking the second zero byte.
inline std::string Bytes(const Converted& result) {
  if (!result) return "<null>";
  size_t n = std::strlen(result.get());
  EXPECT_EQ(result.get()[n + 1], '\0') << "results end in two zero bytes";
  return std::string(result.get(), n);
}

// The units of a converted UTF-16 result (up to its zero unit).
inline std::u16string Units(const Converted& result) {
  if (!result) return u"<null>";
  std::u16string out;
  for (const char* p = result.get();; p += 2) {
    char16_t unit;
    std::memcpy(&unit, p, 2);
    if (unit == 0) break;
    out += unit;
  }
  return out;
}

// A UTF-16 text as the char pointer the conversions take.
inline const char* AsText(const std::u16string& units) {
  return reinterpret_cast<const char*>(units.c_str());
}

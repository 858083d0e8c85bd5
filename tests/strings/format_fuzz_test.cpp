// Seeded fuzzing of the formatted-output engine with formats made of random bytes from the
// alphabet of specifications: flags, digits, '.', size prefixes, '*' and the letters whose
// argument is a pointer. Every argument points into one writable, terminated arena, so whatever a
// specification takes, it takes something valid. The engine must stay within its buffers (the
// sanitizers watch), report what it wrote, and give a smaller buffer a prefix of the full output.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "encoding/dialog_encoding.h"
#include "strings/format.h"

namespace {

// Where every argument points: 'n' stores at its start, 's' reads it as a short string.
struct Arena {
  alignas(8) char bytes[64];
  void Reset() {
    std::memset(bytes, 0, sizeof bytes);
    std::memcpy(bytes, "arena\xC3\xA9", 8);  // a count stored over it stays terminated
  }
};

// FmtStringV with twelve copies of the same pointer as its arguments: enough for any format the
// generator makes (at most eight specifications, each taking at most one pointer).
int FormatWith(char* buffer, int size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int written = FmtStringV(buffer, size, format, args);
  va_end(args);
  return written;
}

int FormatArena(char* buffer, int size, const std::string& format, Arena& arena) {
  arena.Reset();
  char* p = arena.bytes;
  return FormatWith(buffer, size, format.c_str(), p, p, p, p, p, p, p, p, p, p, p, p);
}

std::string RandomFormat(std::mt19937& rng) {
  // '*' is left out: it would take a pointer as an int. The letters are those that take a pointer,
  // and '%'; the other letters of the alphabet only make specifications the engine refuses.
  static const char kAlphabet[] = "%%%%-+ #0'123456789..hlLjztqI64sssCpnabcXY\xC3\xA9\xE2\x82\xAC";
  std::string format;
  int percents = 0;
  for (int n = static_cast<int>(rng() % 40); n > 0; --n) {
    char c = kAlphabet[rng() % (sizeof kAlphabet - 1)];
    if (c == '%' && ++percents > 8) c = 'q';
    format += c;
  }
  return format;
}

TEST(FmtStringFuzz, RandomSpecificationsStayInBoundsAndCutAsPrefixes) {
  DialogEncoding saved = CurrentDialogEncoding;
  std::mt19937 rng(0xF022);
  Arena arena;
  for (int round = 0; round < 3000; ++round) {
    CurrentDialogEncoding = round % 2 == 0 ? kDialogUtf8 : kDialogHostRoman;
    std::string format = RandomFormat(rng);
    SCOPED_TRACE(testing::PrintToString(format));

    std::unique_ptr<char[]> full(new char[4096]);
    int length = FormatArena(full.get(), 4096, format, arena);
    ASSERT_EQ(length, static_cast<int>(std::strlen(full.get())));
    ASSERT_LT(length, 4096);

    int size = static_cast<int>(rng() % (length + 2)) + 1;
    std::unique_ptr<char[]> part(new char[size]);  // exactly size bytes
    int written = FormatArena(part.get(), size, format, arena);
    ASSERT_EQ(written, static_cast<int>(std::strlen(part.get())));
    ASSERT_LT(written, size);
    // A stored count differs with the room, and so does what '%s' then reads from the arena.
    if (format.find('n') == std::string::npos) {
      ASSERT_EQ(std::string(full.get(), written), std::string(part.get()));
    }
  }
  CurrentDialogEncoding = saved;
}

}  // namespace

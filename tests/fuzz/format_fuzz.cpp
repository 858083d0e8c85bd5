// The formatted-output engine with the format and the arguments drawn from the input. The target
// walks the format as the engine does (a specification runs from '%' to the first conversion
// letter) and gives every argument what its letter reads: strings and stored counts point into one
// arena, stars take small ints, floating conversions take doubles. The engine must stay inside its
// buffers, terminate, report what it wrote, and give a smaller buffer a prefix of the full output.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "encoding/dialog_encoding.h"
#include "strings/format.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

constexpr int kSlots = 16;  // integer-class arguments passed on every call
constexpr int kDoubles = 8;

// Zero-filled past its text, so that it reads as a terminated byte string and as a terminated wide
// string, and a count stored over its start stays terminated.
struct Arena {
  alignas(16) char bytes[96];
  void Reset() {
    std::memset(bytes, 0, sizeof bytes);
    std::memcpy(bytes, "arena\xC3\xA9", 8);
  }
};

struct Arguments {
  uint64_t slot[kSlots];
  double real[kDoubles];
};

int Format(char* buffer, int size, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int written = FmtStringV(buffer, size, format, args);
  va_end(args);
  return written;
}

int Run(char* buffer, int size, const std::string& format, const Arguments& a) {
  const uint64_t* s = a.slot;
  const double* d = a.real;
  return Format(buffer, size, format.c_str(), s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7], s[8],
                s[9], s[10], s[11], s[12], s[13], s[14], s[15], d[0], d[1], d[2], d[3], d[4], d[5],
                d[6], d[7]);
}

bool IsLetter(char c) {
  return c != 0 && std::strchr("dioxXucsfeEgGp%nC", c) != nullptr;
}

// Fills the arguments for format; false when the format needs more than the call passes or would
// ask for huge fields (long digit runs) or long doubles (passed in memory, not registers).
// A byte string with a precision of p digits (p >= 1) gets exactly p unterminated bytes: the
// engine must read no further than the precision. (The sanitizers' own snprintf check reads a
// precision of 0, or a bare '.', as none and measures the whole string: those get the arena.)
bool Plan(const std::string& format, FuzzedDataProvider& input, Arena& arena, Arguments& a,
          std::vector<std::unique_ptr<char[]>>& blocks) {
  int slots = 0, doubles = 0, digits = 0;
  for (char c : format) {
    // A star next to digits is expanded into them, so it counts as digits too.
    digits = ((c >= '0' && c <= '9') || c == '*') ? digits + 1 : 0;
    if (digits > 3) return false;
  }
  auto take = [&](uint64_t value) {
    if (slots == kSlots) return false;
    a.slot[slots++] = value;
    return true;
  };
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    size_t j = i + 1;
    while (j < format.size() && !IsLetter(format[j])) ++j;
    if (j == format.size()) break;  // a specification without its letter takes nothing
    for (size_t k = i + 1; k < j; ++k) {
      if (format[k] == 'L') return false;
      if (format[k] == '*' && !take(static_cast<uint64_t>(input.ConsumeIntegralInRange(-200, 200))))
        return false;
    }
    switch (format[j]) {
      case '%':
        break;
      case 's': {
        const std::string spec = format.substr(i, j - i);
        const size_t dot = spec.rfind('.');
        const bool wide = spec.find('l') != std::string::npos;
        char* target = arena.bytes;
        const bool digits = dot != std::string::npos && dot + 1 < spec.size() &&
                            spec[dot + 1] >= '0' && spec[dot + 1] <= '9';
        if (digits && !wide && spec.find('*', dot) == std::string::npos) {
          const int precision = std::atoi(spec.c_str() + dot + 1);
          if (precision > 0) {
            blocks.emplace_back(new char[precision]);
            std::memset(blocks.back().get(), 'x', precision);
            target = blocks.back().get();
          }
        }
        if (!take(reinterpret_cast<uintptr_t>(target))) return false;
        break;
      }
      case 'p':
      case 'n':
      case 'C':
        if (!take(reinterpret_cast<uintptr_t>(arena.bytes))) return false;
        break;
      case 'f':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
        if (doubles == kDoubles) return false;
        a.real[doubles++] = input.ConsumeFloatingPoint<double>();
        break;
      default:
        if (!take(input.ConsumeIntegral<uint64_t>())) return false;
        break;
    }
    i = j;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  CurrentDialogEncoding = input.ConsumeBool() ? kDialogUtf8 : kDialogHostRoman;
  const int room = input.ConsumeIntegralInRange(1, 300);
  std::string format = input.ConsumeRandomLengthString(200);
  Arena arena;
  arena.Reset();
  Arguments args{};
  std::vector<std::unique_ptr<char[]>> blocks;
  if (!Plan(format, input, arena, args, blocks)) return 0;

  std::vector<char> full(1 << 16);
  arena.Reset();
  int length = Run(full.data(), static_cast<int>(full.size()), format, args);
  FUZZ_CHECK(length >= 0 && length < static_cast<int>(full.size()));
  FUZZ_CHECK(length == static_cast<int>(std::strlen(full.data())));

  std::vector<char> part(room);  // exactly room bytes: the sanitizers see any write beyond
  arena.Reset();
  int written = Run(part.data(), room, format, args);
  FUZZ_CHECK(written >= 0 && written < room);
  FUZZ_CHECK(written == static_cast<int>(std::strlen(part.data())));
  // A stored count differs with the room, and so does what '%s' then reads from the arena.
  if (format.find('n') == std::string::npos) {
    FUZZ_CHECK(std::memcmp(full.data(), part.data(), written) == 0);
  }
  return 0;
}

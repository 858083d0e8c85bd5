// The formatted-output engine: walks a format, takes each conversion's argument by its letter and
// size prefix, formats it (the commonest integers, characters, strings and floating-point numbers
// itself, with std::to_chars and copies, to the C run-time's bytes; the rest with its snprintf)
// and hands every piece to the sink.
#include <bit>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <cwchar>

#include "encoding/dialog_encoding.h"
#include "strings/byte_blocks_internal.h"
#include "strings/format.h"
#include "strings/format_internal.h"
#include "strings/memory.h"
#include "strings/utf8.h"

namespace {

// The output buffer: 256 bytes on the stack until a conversion needs more, then a heap block that
// lives until the end of the format.
class OutputBuffer {
 public:
  OutputBuffer() = default;
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;
  ~OutputBuffer() {
    if (data_ != stack_) MemFree(data_);
  }
  char* data() { return data_; }
  int capacity() const { return capacity_; }
  // Makes room for need bytes (the terminator included); false when memory is short.
  bool Reserve(int64_t need) {
    if (need <= capacity_) return true;
    if (need > INT_MAX) return false;
    void* block = data_ == stack_ ? MemAlloc(static_cast<size_t>(need), 0)
                                  : MemRealloc(data_, static_cast<size_t>(need), 0);
    if (block == nullptr) return false;
    data_ = static_cast<char*>(block);
    capacity_ = static_cast<int>(need);
    return true;
  }

 private:
  char stack_[kFmtOutputSize];
  char* data_ = stack_;
  int capacity_ = kFmtOutputSize;
};

constexpr int kFailed = -1;    // the run-time refused the conversion: it prints nothing
constexpr int kNoMemory = -2;  // the buffer could not grow: the engine stops

// snprintf of one value into the buffer, growing it when the text does not fit. Returns the
// length of the text, kFailed or kNoMemory.
template <typename T>
int Format(OutputBuffer& out, const char* spec, T value) {
  int n = std::snprintf(out.data(), static_cast<size_t>(out.capacity()), spec, value);
  if (n < 0) return kFailed;
  if (n < out.capacity()) return n;
  if (!out.Reserve(int64_t{n} + 1)) return kNoMemory;
  n = std::snprintf(out.data(), static_cast<size_t>(out.capacity()), spec, value);
  return n < 0 ? kFailed : n;
}

int64_t TakeSigned(va_list* args, FmtSize size) {
  switch (size) {
    case FmtSize::kChar:
      return static_cast<signed char>(va_arg(*args, int));
    case FmtSize::kShort:
      return static_cast<short>(va_arg(*args, int));
    case FmtSize::kLong:
      return va_arg(*args, long);
    case FmtSize::kLongLong:
      return va_arg(*args, long long);
    case FmtSize::kIntMax:
      return va_arg(*args, intmax_t);
    case FmtSize::kSize:
      return static_cast<ptrdiff_t>(va_arg(*args, size_t));
    case FmtSize::kPtrDiff:
      return va_arg(*args, ptrdiff_t);
    default:
      return va_arg(*args, int);
  }
}

uint64_t TakeUnsigned(va_list* args, FmtSize size) {
  switch (size) {
    case FmtSize::kChar:
      return static_cast<unsigned char>(va_arg(*args, unsigned));
    case FmtSize::kShort:
      return static_cast<unsigned short>(va_arg(*args, unsigned));
    case FmtSize::kLong:
      return va_arg(*args, unsigned long);
    case FmtSize::kLongLong:
      return va_arg(*args, unsigned long long);
    case FmtSize::kIntMax:
      return va_arg(*args, uintmax_t);
    case FmtSize::kSize:
      return va_arg(*args, size_t);
    case FmtSize::kPtrDiff:
      return static_cast<uint64_t>(va_arg(*args, ptrdiff_t));
    default:
      return va_arg(*args, unsigned);
  }
}

// Takes and drops the argument a conversion would have used (for one printed as it stands).
void SkipArgument(va_list* args, char letter, FmtSize size) {
  switch (letter) {
    case '%':
      return;
    case 'd':
    case 'i':
      TakeSigned(args, size);
      return;
    case 'o':
    case 'u':
    case 'x':
    case 'X':
      TakeUnsigned(args, size);
      return;
    case 'c':
      va_arg(*args, int);
      return;
    case 's':
    case 'p':
    case 'n':
    case 'C':
      va_arg(*args, void*);
      return;
    default:
      if (size == FmtSize::kLongDouble)
        va_arg(*args, long double);
      else
        va_arg(*args, double);
  }
}

// Stores the count so far through the pointer of an 'n' conversion: a 16-bit integer when 'h'
// stands right before the letter ("%hn", "%hhn"), else an int whatever the prefix, as the host's
// callers pass it.
void StoreCount(va_list* args, bool shortCount, int total) {
  void* target = va_arg(*args, void*);
  if (target == nullptr) return;
  if (shortCount)
    *static_cast<int16_t*>(target) = static_cast<int16_t>(total);
  else
    *static_cast<int*>(target) = total;
}

// Writes value in decimal at out; returns the byte count (at most 11).
int WriteDecimal(char* out, int value) {
  char digits[12];
  int n = 0;
  unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : static_cast<unsigned>(value);
  do digits[n++] = static_cast<char>('0' + magnitude % 10);
  while ((magnitude /= 10) != 0);
  int length = 0;
  if (value < 0) out[length++] = '-';
  while (n > 0) out[length++] = digits[--n];
  return length;
}

// The conversion specification the run-time sees: the flags as written, the widths and precisions
// with '*' resolved (a negative precision is no precision, as C has it), the size prefix that
// matches the value handed over, and the letter ('C' becomes 's').
void BuildRuntimeSpec(const char* s, const FmtParsedSpec& spec, int width, int precision,
                      char* out) {
  std::memcpy(out, s, static_cast<size_t>(spec.flagsEnd));
  int n = spec.flagsEnd;
  if (spec.widthStar) {
    n += WriteDecimal(out + n, width);
  } else {
    std::memcpy(out + n, s + spec.flagsEnd, static_cast<size_t>(spec.widthEnd - spec.flagsEnd));
    n += spec.widthEnd - spec.flagsEnd;
  }
  if (spec.precisionStar) {
    if (precision >= 0) {
      out[n++] = '.';
      n += WriteDecimal(out + n, precision);
    }
  } else {
    std::memcpy(out + n, s + spec.widthEnd, static_cast<size_t>(spec.precisionEnd - spec.widthEnd));
    n += spec.precisionEnd - spec.widthEnd;
  }
  char letter = spec.letter;
  switch (letter) {
    case 'd':
    case 'i':
    case 'o':
    case 'u':
    case 'x':
    case 'X':
      out[n++] = 'l';  // every integer goes over as a (unsigned) long long
      out[n++] = 'l';
      break;
    case 'C':
      letter = 's';  // the library's own conversion: a size prefix makes nothing wide
      break;
    case 's':
    case 'c':
      if (spec.size == FmtSize::kLong) out[n++] = 'l';  // a wide string or character
      break;
    default:
      if (spec.size == FmtSize::kLongDouble) out[n++] = 'L';
      break;
  }
  out[n++] = letter;
  out[n] = 0;
}

// Everything a specification's flags, widths and stars may make of it, with room to spare.
constexpr int kRuntimeSpecSize = kFmtSpecSize + 2 * 12 + 4;

// The commonest conversions (integers, characters and strings with no flag but '-', or '0' for
// integers, floating point also with '+' and ' ', and a modest width) the engine lays out itself,
// exactly as snprintf would: a run-time call costs more than the rest of the engine together.
constexpr int kDirectWidth = 200;  // so that the field always fits the stack buffer

struct Layout {
  bool left = false;  // '-': pad on the right
  bool zero = false;  // '0': pad with zeros after the sign
  char sign = 0;      // '+' or ' ': what a number without '-' shows in front
  int width = 0;      // the field width
};

// What a conversion the engine writes itself may carry: strings and characters only '-', integers
// '0' as well, floating point also '+' and ' '.
enum class Kind { kText, kInteger, kFloating };

// The layout of a conversion the engine writes itself, or false when the run-time must do it.
bool DirectLayout(const char* s, const FmtParsedSpec& spec, int starWidth, Kind kind,
                  Layout* layout) {
  for (int i = 1; i < spec.flagsEnd; ++i) {
    if (s[i] == '-')
      layout->left = true;
    else if (s[i] == '0' && kind != Kind::kText)
      layout->zero = true;
    else if (s[i] == '+' && kind == Kind::kFloating)
      layout->sign = '+';
    else if (s[i] == ' ' && kind == Kind::kFloating)
      layout->sign = layout->sign == '+' ? '+' : ' ';  // C: '+' overrides ' '
    else
      return false;
  }
  if (spec.widthStar) {
    if (starWidth < -kDirectWidth) return false;
    if (starWidth < 0) layout->left = true;  // a negative '*' width is the '-' flag
    layout->width = starWidth < 0 ? -starWidth : starWidth;
  } else {
    if (spec.widthEnd - spec.flagsEnd > 3) return false;
    for (int i = spec.flagsEnd; i < spec.widthEnd; ++i)
      layout->width = layout->width * 10 + s[i] - '0';
  }
  if (layout->left) layout->zero = false;  // C: '-' overrides '0'
  return layout->width <= kDirectWidth;
}

// count bytes c at out. Up to 16 are one block store: the output buffer (256 bytes at least) has
// room for a whole block after any direct width, and what lands past the field is scratch.
void Pad(char* out, char c, int count) {
  if (count <= static_cast<int>(kLanes)) {
    Store(out, Lanes{} + static_cast<unsigned char>(c));
  } else {
    std::memset(out, c, static_cast<size_t>(count));
  }
}

// Lays out the n bytes of body after sign (0 for none) in the field at out and terminates; returns
// the length. Zero padding goes between the sign and the body.
int WriteField(char* out, const Layout& layout, char sign, const char* body, int n) {
  static_assert(kFmtOutputSize >= kDirectWidth + kLanes);
  int signs = sign != 0 ? 1 : 0;
  int pad = layout.width > n + signs ? layout.width - n - signs : 0;
  int k = 0;
  if (pad > 0 && !layout.left && !layout.zero) {
    Pad(out, ' ', pad);
    k = pad;
  }
  if (sign != 0) out[k++] = sign;
  if (pad > 0 && layout.zero) {
    Pad(out + k, '0', pad);
    k += pad;
  }
  if (n <= static_cast<int>(2 * kLanes)) {
    MoveShort(out + k, body, static_cast<size_t>(n));
  } else {
    std::memcpy(out + k, body, static_cast<size_t>(n));
  }
  k += n;
  if (pad > 0 && layout.left) {
    Pad(out + k, ' ', pad);
    k += pad;
  }
  out[k] = 0;
  return k;
}

// An integer as the engine prints it: the sign (when negative) and the digits in the letter's base.
struct IntegerText {
  char bytes[24];  // '-' and up to 22 octal digits
  int length;
};

// Eight decimal digits of v (below 10^8), leading zeros included, as the values 0 to 9 in the
// bytes of a little-endian word, the first digit in its lowest byte: two 4-digit halves split into
// 2-digit and then 1-digit lanes, dividing by multiplication (exact below 10 000 and 100).
uint64_t DecimalDigitLanes(uint32_t v) {
  uint64_t merged = (v / 10000) | static_cast<uint64_t>(v % 10000) << 32;
  uint64_t hundreds = ((merged * 10486) >> 20) & ((uint64_t{0x7F} << 32) | 0x7F);
  uint64_t pairs = ((merged - 100 * hundreds) << 16) + hundreds;
  uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000FULL;
  return tens + ((pairs - 10 * tens) << 8);
}

// Eight hexadecimal digits of v as the values 0 to 15 in the bytes of a little-endian word, the
// first digit in its lowest byte.
uint64_t HexDigitLanes(uint32_t v) {
  uint64_t x = v;
  x = ((x & 0xFFFF0000u) << 16) | (x & 0xFFFFu);
  x = ((x & 0x0000FF000000FF00ULL) << 8) | (x & 0x000000FF000000FFULL);
  x = ((x & 0x00F000F000F000F0ULL) << 4) | (x & 0x000F000F000F000FULL);
  return __builtin_bswap64(x);  // the last digit is in the lowest byte so far
}

// The digit lanes as text: '0' to '9', then 'a' or 'A' on.
uint64_t DigitText(uint64_t lanes, bool upper) {
  uint64_t letters = ((lanes + 0x0606060606060606ULL) >> 4) & 0x0101010101010101ULL;
  return lanes + 0x3030303030303030ULL + letters * (upper ? 7 : 39);
}

// The integer as IntegerTextOf gives it, made in a register and stored as one word where it has
// at most eight digits in base 10 or 16 (zero padding up to eight digits included): the sink's
// word-wide reads of it then come straight from that store. False where it does not apply.
bool WordIntegerText(bool negative, uint64_t magnitude, char letter, int zeroDigits,
                     IntegerText* text) {
  if constexpr (std::endian::native != std::endian::little) return false;
  uint64_t lanes;
  if (letter == 'x' || letter == 'X') {
    if (magnitude > UINT32_MAX) return false;
    lanes = HexDigitLanes(static_cast<uint32_t>(magnitude));
  } else if (letter != 'o' && magnitude < 100000000) {
    lanes = DecimalDigitLanes(static_cast<uint32_t>(magnitude));
  } else {
    return false;
  }
  // Leading zero digits are zero low bytes; a zero keeps its one digit.
  int digits = lanes == 0 ? 1 : 8 - std::countr_zero(lanes) / 8;
  if (zeroDigits > digits) digits = zeroDigits > 8 ? 8 : zeroDigits;
  uint64_t word = DigitText(lanes >> (8 * (8 - digits)), letter == 'X');
  if (!negative) {
    std::memcpy(text->bytes, &word, sizeof word);
    text->length = digits;
  } else if (digits < 8) {
    word = word << 8 | '-';
    std::memcpy(text->bytes, &word, sizeof word);
    text->length = digits + 1;
  } else {
    text->bytes[0] = '-';
    std::memcpy(text->bytes + 1, &word, sizeof word);
    text->length = digits + 1;
  }
  return true;
}

// zeroDigits: the digits a '0' flag pads to (0 for none), which the text may already carry.
IntegerText IntegerTextOf(bool negative, uint64_t magnitude, char letter, int zeroDigits) {
  IntegerText text;
  if (WordIntegerText(negative, magnitude, letter, zeroDigits, &text)) return text;
  char* digits = text.bytes + (negative ? 1 : 0);
  text.bytes[0] = '-';
  int base = letter == 'x' || letter == 'X' ? 16 : letter == 'o' ? 8 : 10;
  char* last = text.bytes + sizeof text.bytes;
  // Most values fit 32 bits, whose digits come with cheaper multiplications.
  char* end = magnitude <= UINT32_MAX
                  ? std::to_chars(digits, last, static_cast<uint32_t>(magnitude), base).ptr
                  : std::to_chars(digits, last, magnitude, base).ptr;
  if (letter == 'X')
    for (char* p = digits; p < end; ++p)
      if (*p >= 'a') *p = static_cast<char>(*p - 'a' + 'A');
  text.length = static_cast<int>(end - text.bytes);
  return text;
}

// The digits a '0' flag pads an integer of this layout to, sign aside; 0 for none.
int ZeroDigits(const Layout& layout, bool negative) {
  return layout.zero ? layout.width - (negative ? 1 : 0) : 0;
}

constexpr int kDirectPrecision = 60;  // digits after the point the engine writes itself

// The digits of a finite double as 'f', 'e', 'E', 'g' or 'G' print them at precision (std::to_chars
// gives printf's digits, correctly rounded), without the sign; their length, or -1.
int FloatDigits(char* digits, int size, double magnitude, char letter, int precision) {
  std::chars_format format = letter == 'f'                    ? std::chars_format::fixed
                             : letter == 'e' || letter == 'E' ? std::chars_format::scientific
                                                              : std::chars_format::general;
  auto result = std::to_chars(digits, digits + size, magnitude, format, precision);
  if (result.ec != std::errc()) return -1;
  int n = static_cast<int>(result.ptr - digits);
  if (letter == 'E' || letter == 'G')
    for (int i = 0; i < n; ++i)
      if (digits[i] == 'e') digits[i] = 'E';
  return n;
}

// One FmtEngine run.
struct Engine {
  Engine(FmtSink s, void* c, va_list* a, bool e) : sink(s), context(c), args(a), emptyPieces(e) {}

  FmtSink sink;
  void* context;
  va_list* args;
  bool emptyPieces;  // the sink is given pieces of length 0 too
  OutputBuffer out;
  int total = 0;
  char character[5];  // the bytes of a 'C' argument, or the byte of a 'c'

  void Emit(const char* text, int length) {
    if (length > 0 || emptyPieces) total += sink(context, text, length);
  }

  // Formats the conversion at s and hands it on; false when the engine has to stop.
  bool Convert(const char* s, const FmtParsedSpec& spec) {
    if (!spec.wellFormed) {
      // Each '*' stands for the decimal text of its argument: "%*5d" with 9 is "%95d", which the
      // run-time takes. What is still malformed then is printed as it stands.
      char expanded[kFmtSpecSize];
      bool fits = spec.stars > 0 && spec.length < kFmtSpecSize;
      if (fits) {
        std::memcpy(expanded, s, static_cast<size_t>(spec.length));
        expanded[spec.length] = 0;
        fits = FmtExpandStars(expanded, kFmtSpecSize, args) == 0;
      } else {
        for (int i = 0; i < spec.stars; ++i) va_arg(*args, int);
      }
      if (fits) {
        FmtParsedSpec resolved = FmtParseSpec(expanded);
        if (resolved.wellFormed) return Convert(expanded, resolved);
      }
      SkipArgument(args, spec.letter, FmtSize::kDefault);
      Emit(s, spec.length);  // the run-time cannot be given this safely: print it as it stands
      return true;
    }
    int width = spec.widthStar ? va_arg(*args, int) : 0;
    int precision = spec.precisionStar ? va_arg(*args, int) : 0;
    if (spec.length >= kFmtSpecSize) {
      SkipArgument(args, spec.letter, spec.size);
      Emit(s, spec.length);
      return true;
    }
    char runtime[kRuntimeSpecSize];
    auto runtimeSpec = [&] {
      BuildRuntimeSpec(s, spec, width, precision, runtime);
      return runtime;
    };
    Layout layout;
    int n = kFailed;
    switch (spec.letter) {
      case '%':
        Emit("%", 1);
        return true;
      case 'n':
        StoreCount(args, s[spec.length - 2] == 'h', total);
        return true;
      case 'd':
      case 'i': {
        int64_t value = TakeSigned(args, spec.size);
        if (!spec.hasPrecision && DirectLayout(s, spec, width, Kind::kInteger, &layout)) {
          uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : value;
          return EmitInteger(layout, IntegerTextOf(value < 0, magnitude, spec.letter,
                                                   ZeroDigits(layout, value < 0)));
        } else {
          n = Format(out, runtimeSpec(), static_cast<long long>(value));
        }
        break;
      }
      case 'o':
      case 'u':
      case 'x':
      case 'X': {
        uint64_t value = TakeUnsigned(args, spec.size);
        if (!spec.hasPrecision && DirectLayout(s, spec, width, Kind::kInteger, &layout))
          return EmitInteger(layout,
                             IntegerTextOf(false, value, spec.letter, ZeroDigits(layout, false)));
        n = Format(out, runtimeSpec(), static_cast<unsigned long long>(value));
        break;
      }
      case 'c':
        // A wide character arrives promoted, as an unsigned int at least.
        if (spec.size == FmtSize::kLong) {
          n = Format(out, runtimeSpec(), static_cast<wint_t>(va_arg(*args, unsigned)));
        } else if (!spec.hasPrecision && DirectLayout(s, spec, width, Kind::kText, &layout)) {
          character[0] = static_cast<char>(va_arg(*args, int));
          // The piece ends here: the sink looks at the byte after it, which a 'C' may have set.
          character[1] = 0;
          if (character[0] != 0 && layout.width <= 1) {
            Emit(character, 1);  // the character alone: no field to lay out
            return true;
          }
          n = WriteField(out.data(), layout, 0, character, 1);
        } else {
          n = Format(out, runtimeSpec(), va_arg(*args, int));
        }
        if (n > 0) n = static_cast<int>(std::strlen(out.data()));  // a zero byte prints nothing
        break;
      case 'p':
        n = Format(out, runtimeSpec(), va_arg(*args, void*));
        break;
      case 's':
        if (spec.size == FmtSize::kLong) {
          // A wide string: the run-time converts it, and the buffer grows to what it reports.
          const wchar_t* wide = va_arg(*args, const wchar_t*);
          n = Format(out, runtimeSpec(), wide != nullptr ? wide : L"");
          break;
        }
        [[fallthrough]];
      case 'C': {
        const char* text = va_arg(*args, const char*);
        if (spec.letter == 'C') text = Utf8Character(text);
        if (text == nullptr) text = "";
        if (DirectLayout(s, spec, width, Kind::kText, &layout))
          return WriteString(s, spec, layout, precision, text);
        if (!out.Reserve(int64_t{FmtStringFieldSize(runtimeSpec(), text)} + 1)) return false;
        n = Format(out, runtime, text);
        break;
      }
      default:
        if (spec.size == FmtSize::kLongDouble) {
          n = Format(out, runtimeSpec(), va_arg(*args, long double));
        } else {
          double value = va_arg(*args, double);
          n = WriteFloat(s, spec, width, precision, value);
          if (n == kFailed) n = Format(out, runtimeSpec(), value);
        }
        break;
    }
    if (n == kNoMemory) return false;
    if (n >= 0) Emit(out.data(), n);
    return true;
  }

  // An integer the engine lays out itself: handed over as it stands when it fills its field, else
  // padded in the output buffer (which always has room for a direct width).
  bool EmitInteger(const Layout& layout, const IntegerText& text) {
    if (layout.width <= text.length) {
      Emit(text.bytes, text.length);
      return true;
    }
    bool negative = text.bytes[0] == '-';
    int n = WriteField(out.data(), layout, negative ? '-' : 0, text.bytes + negative,
                       text.length - negative);
    Emit(out.data(), n);
    return true;
  }

  // A floating-point conversion the engine lays out itself, into the output buffer: its length;
  // kFailed when the run-time must write it (other flags, a long precision, infinity or NaN).
  int WriteFloat(const char* s, const FmtParsedSpec& spec, int starWidth, int starPrecision,
                 double value) {
    Layout layout;
    if (!std::isfinite(value) || !DirectLayout(s, spec, starWidth, Kind::kFloating, &layout))
      return kFailed;
    int precision = 6;  // C's default, also for a negative '*' precision
    if (spec.precisionStar) {
      if (starPrecision >= 0) precision = starPrecision;
    } else if (spec.hasPrecision) {
      precision = 0;
      for (int i = spec.widthEnd + 1; i < spec.precisionEnd && precision <= kDirectPrecision; ++i)
        precision = precision * 10 + (s[i] - '0');
    }
    if (precision > kDirectPrecision) return kFailed;
    char digits[400];  // DBL_MAX in full, a point and the precision
    int n = FloatDigits(digits, sizeof digits, std::fabs(value), spec.letter, precision);
    if (n < 0) return kFailed;
    char sign = std::signbit(value) ? '-' : layout.sign;
    if (!out.Reserve(int64_t{layout.width} + n + 2)) return kNoMemory;
    return WriteField(out.data(), layout, sign, digits, n);
  }

  // A string conversion laid out by the engine; false when the buffer cannot grow.
  bool WriteString(const char* s, const FmtParsedSpec& spec, const Layout& layout,
                   int starPrecision, const char* text) {
    int64_t limit = -1;  // the precision; none when negative
    if (spec.precisionStar) {
      limit = starPrecision;
    } else if (spec.hasPrecision) {
      limit = 0;
      for (int i = spec.widthEnd + 1; i < spec.precisionEnd && limit <= INT_MAX; ++i)
        limit = limit * 10 + (s[i] - '0');
    }
    if (limit > INT_MAX) limit = INT_MAX;
    // With a precision the text need not be terminated: read no further than the precision.
    const char* end =
        limit >= 0 ? static_cast<const char*>(std::memchr(text, 0, static_cast<size_t>(limit)))
                   : text + std::strlen(text);
    bool whole = end != nullptr;
    int64_t length = whole ? end - text : limit;
    if (length > INT_MAX - 1) return false;
    if (whole && layout.width <= length) {
      Emit(text, static_cast<int>(length));  // the string itself: no copy
      return true;
    }
    int field = layout.width > length ? layout.width : static_cast<int>(length);
    if (!out.Reserve(int64_t{field} + 1)) return false;
    char* p = out.data();
    int pad = field - static_cast<int>(length);
    if (!layout.left) std::memset(p, ' ', static_cast<size_t>(pad));
    std::memcpy(p + (layout.left ? 0 : pad), text, static_cast<size_t>(length));
    if (layout.left) std::memset(p + length, ' ', static_cast<size_t>(pad));
    p[field] = 0;
    Emit(p, field);
    return true;
  }

  // The bytes of the character at p while the dialog encoding is UTF-8 (never past its
  // terminator); empty otherwise.
  const char* Utf8Character(const char* p) {
    character[0] = 0;
    if (p == nullptr || CurrentDialogEncoding != kDialogUtf8) return character;
    int length = Utf8SequenceLength(static_cast<unsigned char>(p[0]));
    int i = 0;
    for (; i < length && p[i] != 0; ++i) character[i] = p[i];
    character[i] = 0;
    return character;
  }
};

}  // namespace

int FmtDecimalText(int value, char* out) {
  uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(int64_t{value}) : value;
  IntegerText text = IntegerTextOf(value < 0, magnitude, 'd', 0);
  static_assert(sizeof text.bytes <= kFmtDecimalSize);
  std::memcpy(out, text.bytes, sizeof text.bytes);
  return text.length;
}

int FmtLoneIntegerText(const char* format, va_list* args, char* out) {
  if (format[0] != '%') return -1;
  FmtParsedSpec spec = FmtParseSpec(format);
  bool isSigned = spec.letter == 'd' || spec.letter == 'i';
  if (!isSigned && spec.letter != 'u' && spec.letter != 'x' && spec.letter != 'X') return -1;
  Layout layout;
  if (!spec.wellFormed || format[spec.length] != 0 || spec.stars != 0 || spec.hasPrecision ||
      !DirectLayout(format, spec, 0, Kind::kInteger, &layout)) {
    return -1;
  }
  bool negative = false;
  uint64_t magnitude;
  if (isSigned) {
    int64_t value = TakeSigned(args, spec.size);
    negative = value < 0;
    magnitude = negative ? 0 - static_cast<uint64_t>(value) : value;
  } else {
    magnitude = TakeUnsigned(args, spec.size);
  }
  IntegerText text = IntegerTextOf(negative, magnitude, spec.letter, ZeroDigits(layout, negative));
  if (layout.width <= text.length) {
    std::memcpy(out, text.bytes, sizeof text.bytes);
    return text.length;
  }
  return WriteField(out, layout, negative ? '-' : 0, text.bytes + negative, text.length - negative);
}

int FmtEngineOn(FmtSink sink, void* context, const char* format, va_list* args, bool emptyPieces) {
  if (sink == nullptr) return 0;
  if (format == nullptr) format = "";
  Engine engine(sink, context, args, emptyPieces);
  for (const char* p = format;;) {
    // Literal runs are mostly a few bytes: looked at directly before the C library is asked.
    const char* percent = p;
    for (int i = 0; i < 16 && *percent != 0 && *percent != '%'; ++i) ++percent;
    if (*percent != '%' && *percent != 0) {
      const char* found = std::strchr(percent, '%');
      percent = found != nullptr ? found : percent + std::strlen(percent);
    }
    engine.Emit(p, static_cast<int>(percent - p));
    if (*percent == 0) break;
    FmtParsedSpec spec = FmtParseSpec(percent);
    p = percent + spec.length;
    if (spec.letter == 0) {
      engine.Emit(percent, spec.length);  // the format ended inside it: print it as it stands
      break;
    }
    if (!engine.Convert(percent, spec)) break;
  }
  return engine.total;
}

int FmtEngine(FmtSink sink, void* context, const char* format, va_list args) {
  va_list ap;
  va_copy(ap, args);
  int total = FmtEngineOn(sink, context, format, &ap);
  va_end(ap);
  return total;
}

// The library's printf: one engine that walks a format, formats each conversion to exactly the
// bytes of the C run-time's snprintf (the commonest ones itself, the rest through snprintf) and
// hands every piece of output (literal text and conversions alike) to a sink, plus the sink that
// writes into a caller's string buffer.
//
// Conversion letters are those of "dioxXucsfeEgGp%nC"; a specification runs from '%' to the first
// of them. Flags (- + space # 0), width, precision and the size prefixes hh, h, l, ll, j, z, t, L
// (and I, I32, I64) go to the run-time; "%ls" and "%lc" take a wide string and a wide character.
// Each '*' takes an int argument and stands for its decimal text ("%*5d" with 9 is "%95d"). 'C'
// prints the UTF-8 character a pointer addresses (nothing unless the dialog encoding is UTF-8,
// whatever its prefix); 'n' stores the count so far into a 16-bit integer when 'h' stands before
// it, else into an int. A specification the engine cannot hand over whole (longer than 63 bytes,
// or with anything else between '%' and the letter, such as ' or 1$) is printed as it stands,
// still taking its arguments; a lone '%' at the end of the format prints itself. String output
// never cuts a multibyte character in two.
#pragma once

#include <cstdarg>

inline constexpr int kFmtSpecSize = 64;             // specification buffer, terminator included
inline constexpr int kFmtOutputSize = 256;          // output buffer before it grows
inline constexpr int kFmtStringLimit = 0x7FFFFFFE;  // FmtString's allowance

// Receives one piece of output (not necessarily terminated at length); returns the bytes it took.
typedef int (*FmtSink)(void* context, const char* text, int length);

// The string sink's context: where the next byte goes and how many more may be written.
struct FmtStringContext {
  char* next;   // the next output position, always terminated
  int allowed;  // bytes still allowed, the terminator not counted
};

// Formats the whole format (null reads as empty) through sink; returns the total the sink took.
// Stops early, keeping what the sink already has, when a large conversion cannot get memory.
int FmtEngine(FmtSink sink, void* context, const char* format, va_list args);
// Formats into buffer without practical limit, terminates it and returns the bytes written; a
// null buffer gives 0.
int FmtString(char* buffer, const char* format, ...);
// Formats into a buffer of size bytes (at most size-1 written, never half a character),
// terminates it and returns the bytes written; a null buffer or a size below 1 writes nothing.
int FmtStringV(char* buffer, int size, const char* format, va_list args);
// FmtStringV with the arguments in place: formats into a buffer of size bytes, never writing past
// it, terminates it and returns the bytes written (as FmtString does; output past size-1 bytes is
// dropped whole characters at a time). A null buffer or a size below 1 writes nothing and gives 0.
int FmtStringN(char* buffer, int size, const char* format, ...);
// The string sink: copies at most the allowance of text with MbCopyN in the current dialog
// encoding, never cutting a character; after a cut it takes nothing more. Returns the bytes copied.
int FmtStringSink(void* context, const char* text, int length);
// Copies the conversion specification at format ('%' up to and including the first conversion
// letter, or to the end) into out of kFmtSpecSize bytes, cut to fit and terminated; returns the
// position after the whole specification.
const char* FmtCopySpec(char* out, const char* format);
// Replaces in place each '*' of spec (a buffer of size bytes) by the decimal text of the next int
// argument, one per '*'. Returns 0, or -1 when the result would not fit: spec is then unchanged
// but the arguments are taken all the same.
int FmtExpandStars(char* spec, int size, va_list* args);
// The field an 's' specification needs for s: max(width, min(precision, length)), skipping every
// flag; no precision means no limit, and s is never read past a precision. 0 unless spec starts
// with '%'.
int FmtStringFieldSize(const char* spec, const char* s);

// Character stepping shared by the multibyte sources; not part of the library's interface.
#pragma once

#include "encoding/dialog_encoding.h"
#include "strings/byte_string_internal.h"
#include "strings/utf8.h"

namespace {

// How text in one dialog encoding divides into characters.
struct Stepper {
  const LeadTrailTable* table;  // lead/trail flags for indexes 1 to 4, else null
  bool utf8;                    // index 5: UTF-8 sequences
};

inline Stepper StepperFor(int enc) {
  if (enc == kDialogUtf8) return {nullptr, true};
  if (enc >= 1 && enc <= 4) return {EncLeadTrailTable(enc), false};
  return {nullptr, false};  // HostRoman and unknown indexes step byte by byte
}

// The byte length of the character at p; 0 at the terminator, which it never passes.
inline int CharLength(const Stepper& st, const char* p) {
  unsigned char lead = Byte(p[0]);
  if (lead == 0) return 0;
  if (st.utf8) {
    int length = Utf8SequenceLength(lead);
    int i = 1;
    while (i < length && p[i] != 0) ++i;
    return i;
  }
  if (st.table != nullptr && st.table->lead[lead] && st.table->trail[Byte(p[1])]) return 2;
  return 1;
}

// The UTF-8 character at p, cut short by the terminator; 0 at the terminator.
inline int Utf8Length(const char* p) {
  return CharLength(Stepper{nullptr, true}, p);
}

}  // namespace

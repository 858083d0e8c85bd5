// Property value lists under random operation sequences from the input: values of several payload
// kinds set under a few numbers (replacing or appending), copies, status-bit queries with any bit,
// frees. Every payload block is sized exactly, so the sanitizers see a read or write beyond it; a
// copy holds the same entries as its source; every block is released (LeakSanitizer).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "props/property_list.h"
#include "strings/memory.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

// A value of one of the kinds a status entry or a plug-in stores, built from the input.
TypedValue MakeValue(FuzzedDataProvider& input) {
  TypedValue value{};
  switch (input.ConsumeIntegralInRange(0, 4)) {
    case 0:
      value.valType = PropInt;
      value.payload.intValue = input.ConsumeIntegral<int32_t>();
      break;
    case 1: {
      value.valType = PropString;
      std::string text = input.ConsumeRandomLengthString(16);
      value.payload.string = static_cast<char*>(MemDup(text.c_str(), text.size() + 1, kMemFatal));
      break;
    }
    case 2: {
      value.valType = PropBytes;
      const uint32_t n = input.ConsumeIntegralInRange<uint32_t>(0, 9);
      value.payload.bytes.count = n;
      if (n > 0) {
        value.payload.bytes.items = static_cast<uint8_t*>(MemAlloc(n, kMemFatal));
        for (uint32_t i = 0; i < n; ++i)
          value.payload.bytes.items[i] = input.ConsumeIntegral<uint8_t>();
      }
      break;
    }
    case 3: {
      value.valType = PropWords;
      const uint32_t n = input.ConsumeIntegralInRange<uint32_t>(0, 5);
      value.payload.words.count = n;
      if (n > 0) {
        value.payload.words.items = static_cast<int32_t*>(MemAlloc(4 * n, kMemFatal));
        for (uint32_t i = 0; i < n; ++i)
          value.payload.words.items[i] = input.ConsumeIntegral<int32_t>();
      }
      break;
    }
    default:
      value.valType = input.ConsumeIntegralInRange(23, 40);  // carries nothing managed
      value.payload.word = input.ConsumeIntegral<uint32_t>();
      break;
  }
  return value;
}

bool SameValue(const TypedValue& a, const TypedValue& b) {
  if (a.valType != b.valType) return false;
  switch (a.valType) {
    case PropString:
      return std::strcmp(a.payload.string ? a.payload.string : "", b.payload.string) == 0;
    case PropBytes:
      return a.payload.bytes.count == b.payload.bytes.count &&
             (a.payload.bytes.count == 0 ||
              std::memcmp(a.payload.bytes.items, b.payload.bytes.items, a.payload.bytes.count) ==
                  0);
    case PropWords:
      return a.payload.words.count == b.payload.words.count &&
             (a.payload.words.count == 0 ||
              std::memcmp(a.payload.words.items, b.payload.words.items,
                          4 * a.payload.words.count) == 0);
    case PropInt:
      return a.payload.intValue == b.payload.intValue;
    default: {
      // Codes with nothing managed are copied with a zero payload.
      static const TypedPayload kZero{};
      return std::memcmp(&b.payload, &kZero, sizeof kZero) == 0;
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  PropertyValueList list{0, nullptr};
  PropertyValueList copy{0, nullptr};
  while (input.remaining_bytes() > 0) {
    switch (input.ConsumeIntegralInRange(0, 3)) {
      case 0: {
        const int32_t num = input.ConsumeIntegralInRange(1, 6);
        TypedValue value = MakeValue(input);
        PropListSet(&list, num, &value);
        const int32_t at = PropListFind(&list, num);
        FUZZ_CHECK(at >= 0 && static_cast<uint32_t>(at) < list.count);
        FUZZ_CHECK(SameValue(value, list.items[at].value));
        TypedValueFree(&value);
        break;
      }
      case 1:
        PropListFree(&copy);
        copy = PropListCopy(&list);
        FUZZ_CHECK(copy.count == list.count);
        for (uint32_t i = 0; i < list.count; ++i) {
          FUZZ_CHECK(copy.items[i].ident.num == list.items[i].ident.num);
          FUZZ_CHECK(SameValue(list.items[i].value, copy.items[i].value));
        }
        break;
      case 2: {
        const int bit = PropStatusBit(&list, input.ConsumeIntegral<int32_t>());
        FUZZ_CHECK(bit == 0 || bit == 1);
        break;
      }
      default:
        PropListFree(&list);
        FUZZ_CHECK(list.count == 0 && list.items == nullptr);
        break;
    }
  }
  PropListFree(&list);
  PropListFree(&copy);
  return 0;
}

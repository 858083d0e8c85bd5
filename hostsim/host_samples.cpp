// The host's sample values: what the default face of a slot hands over, in tracked host memory.
#include <cstring>

#include "hostsim/host_state.h"
#include "props/prop_type.h"

namespace {

constexpr uint32_t kSampleListCount = 2;
constexpr char kSampleText[] = "sample";
// Text that stays the host's: an element whose kind or type owns nothing points here.
constexpr char kHostOwnedText[] = "host's own";

template <typename Field>
Field& At(void* record, uint32_t offset) {
  return *reinterpret_cast<Field*>(static_cast<char*>(record) + offset);
}

char* SampleString(SimHostState* state) {
  return state->blocks.CopyString(kSampleText, state->shared);
}

void* SampleBlock(SimHostState* state, const HostLayout& layout, uint32_t count) {
  void* block = state->blocks.Alloc(static_cast<size_t>(layout.size) * count, state->shared);
  if (block == nullptr) return nullptr;
  for (uint32_t i = 0; i < count; ++i) {
    SimFillSample(state, static_cast<char*>(block) + static_cast<size_t>(i) * layout.size, layout,
                  i);
  }
  return block;
}

void FillPart(SimHostState* state, void* record, const HostOwned& part, uint32_t index) {
  switch (part.part) {
    case HostPart::kString:
      At<char*>(record, part.offset) = SampleString(state);
      break;
    case HostPart::kList: {
      void* items = SampleBlock(state, *part.element, kSampleListCount);
      At<CountedList>(record, part.offset) = {items != nullptr ? kSampleListCount : 0, items};
      break;
    }
    case HostPart::kPointer:
      At<void*>(record, part.offset) = SampleBlock(state, *part.element, 1);
      break;
    case HostPart::kTypedValue: {
      auto& value = At<TypedValue>(record, part.offset);
      std::memset(&value, 0, sizeof value);
      value.valType = PropString;
      value.payload.string = SampleString(state);
      break;
    }
    case HostPart::kIdentName: {
      auto& ident = At<PropertyIdent>(record, part.offset);
      const bool named = index % 2 == 0;
      ident.num = named ? 0 : 7;
      ident.name = named ? SampleString(state) : nullptr;
      break;
    }
    case HostPart::kTaggedText: {
      const bool owned = index % 2 == 0;
      At<uint32_t>(record, part.offset - 4) = owned ? 1 : 2;
      At<const char*>(record, part.offset) = owned ? SampleString(state) : kHostOwnedText;
      break;
    }
    case HostPart::kCompactText: {
      const bool owned = index % 2 == 0;
      At<int32_t>(record, part.offset - 8) = owned ? PropString : PropInt;
      At<const char*>(record, part.offset) = owned ? SampleString(state) : kHostOwnedText;
      break;
    }
  }
}

}  // namespace

void SimFillSample(SimHostState* state, void* record, const HostLayout& layout, uint32_t index) {
  std::memset(record, 0x11, layout.size);
  for (uint32_t i = 0; i < layout.ownedCount; ++i) FillPart(state, record, layout.owned[i], index);
}

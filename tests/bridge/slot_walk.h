// A walk over every wrapper of the slot table: each is called with neutral arguments against a
// simulated host that answers with its sample values, and what it returned and wrote is rendered
// as text, compared with what its shape promises for each way the call can go.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "bridge/client_state.h"
#include "bridge/host_copy.h"
#include "bridge/host_errno.h"
#include "bridge/host_wrappers.h"
#include "hostsim/host_object.h"

namespace slot_walk {

constexpr int32_t kSample = 0x11111111;  // every scalar byte of a simulator sample is 0x11
constexpr int32_t kEarlier = 55;         // HostErrno before each call
constexpr int32_t kHostCode = 5;         // the nonzero code a faulted host writes
constexpr int32_t kProperty = 1;         // the property the road's getters ask for
inline const PropertyIdent kIdent = {kProperty, nullptr};

// Whether a value reads as zero, field by field where a record has padding (which a copy by
// value need not keep).
template <typename T>
bool IsZero(const T& v) {
  auto bytesZero = [](const void* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      if (static_cast<const unsigned char*>(p)[i] != 0) return false;
    }
    return true;
  };
  if constexpr (requires {
                  v.count;
                  v.items;
                }) {
    return v.count == 0 && v.items == nullptr;
  } else if constexpr (std::is_same_v<T, TypedValue>) {
    return v.valType == 0 && bytesZero(&v.payload, sizeof v.payload);
  } else if constexpr (std::is_same_v<T, PropertyValue>) {
    return v.ident.num == 0 && v.ident.name == nullptr && IsZero(v.value);
  } else if constexpr (std::is_same_v<T, HostTextInts>) {
    return v.text == nullptr && IsZero(v.values);
  } else if constexpr (std::is_same_v<T, NamedStrings>) {
    return v.name == nullptr && IsZero(v.values) && v.flag0 == 0 && v.flag1 == 0;
  } else if constexpr (std::is_same_v<T, NamedStringsPair>) {
    return v.name == nullptr && IsZero(v.list0) && IsZero(v.list1) && v.flag0 == 0 &&
           v.flag1 == 0 && v.flag2 == 0;
  } else if constexpr (std::is_same_v<T, CompoundEntry>) {
    return v.name == nullptr && v.word0 == 0 && v.word1 == 0 && v.word2 == 0 && IsZero(v.list0) &&
           IsZero(v.list1) && v.text0 == nullptr && v.text1 == nullptr;
  } else if constexpr (std::is_same_v<T, KeyedStrings>) {
    return v.key == 0 && IsZero(v.values);
  } else {
    return bytesZero(&v, sizeof(T));
  }
}

// "value" for a sample, the number for other integers, "0" for a zeroed record.
template <typename T>
std::string Render(const T& value) {
  if constexpr (std::is_same_v<T, int32_t>) {
    return value == kSample ? "value" : std::to_string(value);
  } else {
    return IsZero(value) ? "0" : "value";
  }
}

// One argument: storage for an out-pointer the caller provides, the ident for a property, null or
// 0 for everything else.
template <typename P>
struct Arg {
  static constexpr bool kOut = std::is_pointer_v<P> && !std::is_const_v<std::remove_pointer_t<P>> &&
                               std::is_trivially_copyable_v<std::remove_pointer_t<P>>;
  using Held = std::conditional_t<kOut, std::remove_pointer_t<P>, char>;
  Held held{};
  P get() {
    if constexpr (kOut) {
      return &held;
    } else if constexpr (std::is_same_v<P, const PropertyIdent*>) {
      return &kIdent;
    } else {
      return P{};
    }
  }
  // What the call left in the caller's storage, released afterwards; a kept list stays the
  // library's.
  std::string Take() {
    if constexpr (!kOut) {
      return "";
    } else if constexpr (std::is_pointer_v<Held>) {
      using Pointee = std::remove_pointer_t<Held>;
      if constexpr (std::is_same_v<Pointee, char>) {
        std::string r = "|" + Render(held);
        HostDrop(held);
        return r;
      } else {
        return held == nullptr ? "|null" : "|" + Render(*held);
      }
    } else {
      std::string r = "|" + Render(held);
      HostDrop(held);
      return r;
    }
  }
};

template <typename R, typename... P>
std::string Probe(R (*wrapper)(P...)) {
  std::tuple<Arg<P>...> args;
  std::string text;
  if constexpr (std::is_void_v<R>) {
    std::apply([&](auto&... a) { wrapper(a.get()...); }, args);
  } else {
    R result = std::apply([&](auto&... a) { return wrapper(a.get()...); }, args);
    text = Render(result);
    HostDrop(result);
  }
  std::apply([&](auto&... a) { ((text += a.Take()), ...); }, args);
  return text;
}

struct SlotProbe {
  int index;
  int slot;
  const char* wrapper;
  HostShape shape;
  bool into;  // the second wrapper of a Pair slot
  std::string (*run)();
};

#define SLOT_WALK_PROBE(I, slot, W, Shape, into) \
  {k##I##Index, slot, #W, HostShape::k##Shape, into, [] { return Probe(&W); }},
#define SLOT_WALK_Startup(I, slot, W, Shape)
#define SLOT_WALK_Pair(I, slot, W, Shape) \
  SLOT_WALK_PROBE(I, slot, W, Shape, false) SLOT_WALK_PROBE(I, slot, W##Into, Shape, true)
#define SLOT_WALK_ONE(I, slot, W, Shape) SLOT_WALK_PROBE(I, slot, W, Shape, false)
#define SLOT_WALK_Plain SLOT_WALK_ONE
#define SLOT_WALK_Policy SLOT_WALK_ONE
#define SLOT_WALK_Status SLOT_WALK_ONE
#define SLOT_WALK_Set SLOT_WALK_ONE
#define SLOT_WALK_Truth SLOT_WALK_ONE
#define SLOT_WALK_Convert SLOT_WALK_ONE
#define SLOT_WALK_Optional SLOT_WALK_ONE
#define SLOT_WALK_Value SLOT_WALK_ONE
#define SLOT_WALK_ValueOrMinus1 SLOT_WALK_ONE
#define SLOT_WALK_Get SLOT_WALK_ONE
#define SLOT_WALK_ConvertResult SLOT_WALK_ONE
#define SLOT_WALK_Two SLOT_WALK_ONE
#define SLOT_WALK_Kept SLOT_WALK_ONE
inline const SlotProbe kProbes[] = {
#define HOST_SLOT(Interface, slot, Method, Shape, Type, Wrapper, Params) \
  SLOT_WALK_##Shape(Interface, slot, Wrapper, Shape)
#include "bridge/host_slots.inc"
};

enum Fault { kOk, kBusy, kFail, kCode, kNoCode, kFailAfterZero };
inline const char* const kFaultNames[] = {"success",         "busy",
                                          "failing HRESULT", "host code",
                                          "no code written", "failing HRESULT after code 0"};

inline SimFault SimFaultOf(Fault fault) {
  const SimFault faults[] = {SimFault::kNone, SimFault::kBusy,   SimFault::kFail,
                             SimFault::kCode, SimFault::kNoCode, SimFault::kFailAfterZero};
  return faults[fault];
}

struct Expected {
  std::string text;
  int32_t errnoAfter;
};

// What a shape promises: the result, what lands in the caller's storage, and HostErrno.
inline Expected Promise(const SlotProbe& probe, Fault fault) {
  const bool ok = fault == kOk;
  // A call that failed after the host wrote 0 as its code is a failed call all the same; only the
  // optional interfaces' calls, which ignore the HRESULT, read the code as it stands.
  const bool failed = fault == kBusy || fault == kFail || fault == kFailAfterZero;
  const std::string value = "value";
  const std::string code = std::to_string(kHostCode);
  int outs = 0;
  std::string ret;
  bool hostCode = true;    // the shape reads an error code the host writes
  bool busyIsCall = true;  // busy reads as ErrHostBusy (else the HRESULT is ignored or lumped)
  const char* fails[] = {"", "-1", "-1", "", "-1", "-1"};  // for status-like results
  switch (probe.shape) {
    case HostShape::kStatus:
    case HostShape::kKept:
    case HostShape::kTwo:
      ret = ok ? "0" : fault == kCode ? code : fails[fault];
      outs = probe.shape == HostShape::kTwo ? 2 : probe.shape == HostShape::kKept ? 1 : 0;
      break;
    case HostShape::kSet:
      break;
    case HostShape::kPlain:
      hostCode = false;
      break;
    case HostShape::kTruth:
      ret = ok ? "1" : "0";
      break;
    case HostShape::kConvert:
    case HostShape::kConvertResult:
      ret = ok ? "0" : "-1";
      hostCode = false;
      outs = probe.shape == HostShape::kConvertResult ? 1 : 0;
      break;
    case HostShape::kOptional:
      ret = ok || fault == kFailAfterZero ? "0" : fault == kCode ? code : "-1";
      busyIsCall = false;
      break;
    case HostShape::kPolicy:
      ret = failed ? "-1" : "0";
      hostCode = false;
      busyIsCall = false;
      break;
    case HostShape::kValue:
    case HostShape::kPair:
      hostCode = false;
      ret = failed ? "0" : value;
      if (probe.into) {
        ret = "";
        outs = 1;
      }
      break;
    case HostShape::kValueOrMinus1:
      hostCode = false;
      ret = failed ? "-1" : value;
      break;
    case HostShape::kGet:
      ret = ok ? value : "0";
      break;
    case HostShape::kStartup:
      break;
  }
  const bool delivered = ok || (!hostCode && !failed && probe.shape != HostShape::kConvertResult);
  for (int i = 0; i < outs; ++i) ret += delivered ? "|value" : "|0";
  int32_t errnoAfter = kEarlier;
  if (fault == kBusy) errnoAfter = busyIsCall ? ErrHostBusy : ErrHostCall;
  if (fault == kFail) errnoAfter = ErrHostCall;
  if (fault == kFailAfterZero && probe.shape != HostShape::kOptional) errnoAfter = ErrHostCall;
  if (hostCode && fault == kCode) errnoAfter = kHostCode;
  if (hostCode && fault == kNoCode) errnoAfter = ErrHostCall;
  return {ret, errnoAfter};
}

// Gives the road's property getters something to find (property 1 of the application).
inline void PrepareHost(SimHost& host) {
  host.SetInt(0, kProperty, kSample);
  host.SetId(0, kProperty, static_cast<ObjectId>(kSample));
  host.SetString(0, kProperty, "text");
  host.SetMessageResult(kSample);
}

// Calls every wrapper once for each fault, against a connected client of host; shared says
// whether the host's memory is shared (then the client frees none of it, else every block once).
inline void WalkEverySlot(SimHost& host, const std::vector<Fault>& faults, bool shared) {
  ASSERT_EQ(std::size(kProbes), 412u);
  for (const SlotProbe& probe : kProbes) {
    // The registration is the client entry's own: calling it again would replace the sink.
    if (probe.index == kHostApiIndex && probe.slot == 3) continue;
    for (Fault fault : faults) {
      SCOPED_TRACE(std::string(probe.wrapper) + ", " + kFaultNames[fault]);
      host.ClearFaults();
      host.SetFault(probe.index, probe.slot, SimFaultOf(fault), kHostCode);
      const size_t handed = host.BlocksHandedOut();
      const size_t freed = host.BlocksFreedByClient();
      const int32_t calls = host.Calls(probe.index, probe.slot);
      HostErrno = kEarlier;
      const std::string text = probe.run();
      const Expected expected = Promise(probe, fault);
      EXPECT_EQ(text, expected.text);
      EXPECT_EQ(HostErrno, expected.errnoAfter);
      EXPECT_EQ(host.Calls(probe.index, probe.slot), calls + 1);
      const size_t handedNow = host.BlocksHandedOut() - handed;
      EXPECT_EQ(host.BlocksFreedByClient() - freed, shared ? 0 : handedNow);
    }
  }
  host.ClearFaults();
}

}  // namespace slot_walk

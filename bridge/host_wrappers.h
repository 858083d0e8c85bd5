// One wrapper per wrapped slot of every host interface, declared from the slot table. Each follows
// its slot's shape (bridge/host_slots.inc): failure is reported through HostErrno and a neutral
// result; what the host hands over is copied into the client's heap (release it with
// HostReleaseValue(&value, HostClientFree), or MemFree for a string) and the host's memory is given
// back. Parameters are named a1, a2, ... in the order the host takes them.
#pragma once

#include <cstdint>

#include "bridge/host_interfaces.h"

#define HOST_WRAPPER_INT(W, T, In) int32_t W(HOST_DECL In);
#define HOST_WRAPPER_VOID(W, T, In) void W(HOST_DECL In);
#define HOST_WRAPPER_VALUE(W, T, In) T W(HOST_DECL In);
#define HOST_WRAPPER_Startup(W, T, In)
#define HOST_WRAPPER_Plain HOST_WRAPPER_VOID
#define HOST_WRAPPER_Set HOST_WRAPPER_VOID
#define HOST_WRAPPER_Policy HOST_WRAPPER_INT
#define HOST_WRAPPER_Status HOST_WRAPPER_INT
#define HOST_WRAPPER_Truth HOST_WRAPPER_INT
#define HOST_WRAPPER_Convert HOST_WRAPPER_INT
#define HOST_WRAPPER_Optional HOST_WRAPPER_INT
#define HOST_WRAPPER_Value HOST_WRAPPER_VALUE
#define HOST_WRAPPER_ValueOrMinus1 HOST_WRAPPER_VALUE
#define HOST_WRAPPER_Get HOST_WRAPPER_VALUE
#define HOST_WRAPPER_ConvertResult(W, T, In) int32_t W(HOST_DECL In HOST_COMMA_IF In T* out);
#define HOST_WRAPPER_Kept(W, T, In) int32_t W(HOST_DECL In HOST_COMMA_IF In T** result);
#define HOST_WRAPPER_Two(W, T, In) int32_t W(HOST_DECL In HOST_COMMA_IF In T* first, T* second);
#define HOST_WRAPPER_Pair(W, T, In) \
  T W(HOST_DECL In);                \
  void W##Into(HOST_DECL In HOST_COMMA_IF In T* value);
#define HOST_SLOT(Interface, slot, Method, Shape, Type, Wrapper, Params) \
  HOST_WRAPPER_##Shape(Wrapper, Type, Params)
#include "bridge/host_slots.inc"
#undef HOST_WRAPPER_INT
#undef HOST_WRAPPER_VOID
#undef HOST_WRAPPER_VALUE
#undef HOST_WRAPPER_Startup
#undef HOST_WRAPPER_Plain
#undef HOST_WRAPPER_Set
#undef HOST_WRAPPER_Policy
#undef HOST_WRAPPER_Status
#undef HOST_WRAPPER_Truth
#undef HOST_WRAPPER_Convert
#undef HOST_WRAPPER_Optional
#undef HOST_WRAPPER_Value
#undef HOST_WRAPPER_ValueOrMinus1
#undef HOST_WRAPPER_Get
#undef HOST_WRAPPER_ConvertResult
#undef HOST_WRAPPER_Kept
#undef HOST_WRAPPER_Two
#undef HOST_WRAPPER_Pair

// The shapes as values, for code that walks the table.
enum class HostShape : uint8_t {
  kStartup,
  kPlain,
  kPolicy,
  kStatus,
  kSet,
  kTruth,
  kConvert,
  kOptional,
  kValue,
  kValueOrMinus1,
  kPair,
  kGet,
  kConvertResult,
  kTwo,
  kKept,
};

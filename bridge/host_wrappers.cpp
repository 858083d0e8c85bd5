// The wrappers of every host slot, produced from the slot table: each is one call of its shape's
// template in bridge/host_call.h.
#include "bridge/host_wrappers.h"

#include "bridge/host_call.h"

#define HOST_BODY_Startup(I, M, W, T, In)
#define HOST_BODY_Plain(I, M, W, T, In)     \
  void W(HOST_DECL In) {                    \
    HostPlainCall<I>(&I::M, HOST_NAMES In); \
  }
#define HOST_BODY_Set(I, M, W, T, In)     \
  void W(HOST_DECL In) {                  \
    HostSetCall<I>(&I::M, HOST_NAMES In); \
  }
#define HOST_BODY_INT(Template, I, M, W, In)  \
  int32_t W(HOST_DECL In) {                   \
    return Template<I>(&I::M, HOST_NAMES In); \
  }
#define HOST_BODY_Policy(I, M, W, T, In) HOST_BODY_INT(HostPolicyCall, I, M, W, In)
#define HOST_BODY_Status(I, M, W, T, In) HOST_BODY_INT(HostStatusCall, I, M, W, In)
#define HOST_BODY_Truth(I, M, W, T, In) HOST_BODY_INT(HostTruthCall, I, M, W, In)
#define HOST_BODY_Convert(I, M, W, T, In) HOST_BODY_INT(HostConvertCall, I, M, W, In)
#define HOST_BODY_Optional(I, M, W, T, In) HOST_BODY_INT(HostOptionalCall, I, M, W, In)
#define HOST_BODY_Value(I, M, W, T, In)                       \
  T W(HOST_DECL In) {                                         \
    return HostValueNoCodeCall<T>(T{}, &I::M, HOST_NAMES In); \
  }
#define HOST_BODY_ValueOrMinus1(I, M, W, T, In)                 \
  T W(HOST_DECL In) {                                           \
    return HostValueNoCodeCall<T>(T(-1), &I::M, HOST_NAMES In); \
  }
#define HOST_BODY_Get(I, M, W, T, In)            \
  T W(HOST_DECL In) {                            \
    return HostGetCall<T>(&I::M, HOST_NAMES In); \
  }
#define HOST_BODY_ConvertResult(I, M, W, T, In)                 \
  int32_t W(HOST_DECL In HOST_COMMA_IF In T* out) {             \
    return HostConvertResultCall<T>(out, &I::M, HOST_NAMES In); \
  }
#define HOST_BODY_Two(I, M, W, T, In)                            \
  int32_t W(HOST_DECL In HOST_COMMA_IF In T* first, T* second) { \
    return HostTwoCall<T>(first, second, &I::M, HOST_NAMES In);  \
  }
#define HOST_BODY_Kept(I, M, W, T, In)                          \
  int32_t W(HOST_DECL In HOST_COMMA_IF In T** result) {         \
    static T kept{};                                            \
    return HostKeptCall<T>(kept, result, &I::M, HOST_NAMES In); \
  }
#define HOST_BODY_Pair(I, M, W, T, In)                   \
  T W(HOST_DECL In) {                                    \
    return HostPairCall<T>(&I::M, HOST_NAMES In);        \
  }                                                      \
  void W##Into(HOST_DECL In HOST_COMMA_IF In T* value) { \
    HostPairIntoCall<T>(value, &I::M, HOST_NAMES In);    \
  }
#define HOST_SLOT(Interface, slot, Method, Shape, Type, Wrapper, Params) \
  HOST_BODY_##Shape(Interface, Method, Wrapper, Type, Params)
#include "bridge/host_slots.inc"

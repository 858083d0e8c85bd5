// The fronts: each builds its ident or fixed arguments and calls one wrapper.
#include "bridge/host_fronts.h"

#include "bridge/host_errno.h"

#define HOST_FRONT_DEF_GetNumber(Front, Wrapper, T, number)     \
  T Front(ObjectId document, ObjectId object, int32_t number) { \
    const PropertyIdent ident = {number, nullptr};              \
    return Wrapper(document, object, &ident);                   \
  }
#define HOST_FRONT_DEF_SetNumber(Front, Wrapper, T, number)                 \
  void Front(ObjectId document, ObjectId object, int32_t number, T value) { \
    const PropertyIdent ident = {number, nullptr};                          \
    Wrapper(document, object, &ident, value);                               \
  }
#define HOST_FRONT_DEF_GetName(Front, Wrapper, T, unused)         \
  T Front(ObjectId document, ObjectId object, const char* name) { \
    const PropertyIdent ident = {0, name};                        \
    return Wrapper(document, object, &ident);                     \
  }
#define HOST_FRONT_DEF_SetName(Front, Wrapper, T, unused)                     \
  void Front(ObjectId document, ObjectId object, const char* name, T value) { \
    const PropertyIdent ident = {0, name};                                    \
    Wrapper(document, object, &ident, value);                                 \
  }
#define HOST_FRONT_DEF_GetFixed(Front, Wrapper, T, fixed) \
  T Front(ObjectId document, ObjectId object) {           \
    const PropertyIdent ident = {fixed, nullptr};         \
    return Wrapper(document, object, &ident);             \
  }
#define HOST_FRONT_DEF_SetFixed(Front, Wrapper, T, fixed)   \
  void Front(ObjectId document, ObjectId object, T value) { \
    const PropertyIdent ident = {fixed, nullptr};           \
    Wrapper(document, object, &ident, value);               \
  }
#define HOST_FRONT_DEF(Form, Front, Wrapper, T) HOST_FRONT_DEF_##Form(Front, Wrapper, T, number)
#define HOST_FRONT_DEF_FIXED(Form, Front, Wrapper, T, fixed) \
  HOST_FRONT_DEF_##Form(Front, Wrapper, T, fixed)
HOST_PROPERTY_FRONTS(HOST_FRONT_DEF)
HOST_FIXED_FRONTS(HOST_FRONT_DEF_FIXED)

int32_t HostCall25Text(const char* text, char** out) {
  return HostCall25(text, nullptr, nullptr, 0, out);
}

int32_t HostCall7With(int32_t value, const void* pointer) {
  const HostValuePointer record = {value, pointer};
  return HostCall7(&record);
}

int32_t HostCall137First(int32_t a1, int32_t a2, int32_t a3, int32_t a4) {
  return HostCall137(a1, a2, a3, a4, 0, 0);
}

int32_t HostCall137Last(int32_t a1, int32_t a2, int32_t a5, int32_t a6) {
  return HostCall137(a1, a2, 0, 0, a5, a6);
}

int32_t HostCall139On(int32_t a1, int32_t a2, int32_t a3, int32_t a4) {
  return HostCall139(a1, a2, a3, a4, 1);
}

int32_t HostCall139Off(int32_t a1, int32_t a2, int32_t a3, int32_t a4) {
  return HostCall139(a1, a2, a3, a4, 0);
}

int32_t HostSetOption104(int32_t value) {
  const int32_t saved = HostErrno;
  HostErrno = 0;
  HostSetInt(0, 0, 104, value);
  const int32_t outcome = HostErrno;
  HostErrno = saved;
  return outcome == 0 ? 0 : -1;
}

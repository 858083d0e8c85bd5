// The fronts with fixed arguments; the property fronts are inline in the header.
#include "bridge/host_fronts.h"

#include "bridge/host_errno.h"

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

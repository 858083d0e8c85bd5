#include "bridge/host_errno.h"

int32_t HostErrno = 0;

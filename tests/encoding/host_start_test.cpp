// A client started by the simulated host finds the host converters: the host answers property 89
// with the build directory, start-up points ICU at its "icu_data", and the converters open by name.
#include <gtest/gtest.h>
#include <unicode/putil.h>
#include <unicode/ucnv.h>

#include <cstring>
#include <string>

#include "bridge/client_entry.h"
#include "bridge/client_state.h"
#include "bridge/host_errno.h"
#include "encoding/convert.h"
#include "hostsim/host_object.h"
#include "strings/memory.h"

namespace {

TEST(HostStart, ConvertersOpenByNameAfterStartUp) {
  u_setDataDirectory("");  // as in a fresh host process: ICU on its own data only
  UErrorCode error = U_ZERO_ERROR;
  UConverter* before = ucnv_open("host-roman-windows", &error);
  EXPECT_TRUE(U_FAILURE(error));
  ucnv_close(before);

  SimHost host;
  host.SetString(0, 89, std::string(TANSEL_ICU_DATA_PARENT));
  HostErrno = 0;
  ASSERT_EQ(F_ApiClientInit(nullptr, host.Object(), nullptr, nullptr), 0);
  EXPECT_EQ(std::string(u_getDataDirectory()), std::string(TANSEL_ICU_DATA_PARENT) + "/icu_data");

  for (const char* name :
       {"host-roman-windows", "host-shift-jis", "host-ksc-5601", "host-big5", "host-gb2312"}) {
    SCOPED_TRACE(name);
    error = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name, &error);
    EXPECT_TRUE(U_SUCCESS(error)) << u_errorName(error);
    ucnv_close(converter);
  }
  char* utf8 = EncCurrentToUtf8("caf\x8E");
  EXPECT_STREQ(utf8, "caf\xC3\xA9");
  MemFree(utf8);
  host.ReleaseSink();
}

}  // namespace

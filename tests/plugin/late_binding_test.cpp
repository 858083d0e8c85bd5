// The host's ICU, bound at the first call into it: start-up looks up every entry point the library
// uses, and a host without that ICU hears why on its console before start-up ends in the fatal
// error, instead of the loader refusing the plug-in without a word.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "bridge/client_entry.h"
#include "hostsim/host_object.h"
#include "platform/late_libraries.h"
#include "tests/support/fault_injection.h"

namespace {

TEST(LateLibraries, EveryEntryPointTheLibraryUsesIsFound) {
  EXPECT_EQ(kLateLibraryCount, 2);  // the host's common and i18n libraries
  EXPECT_EQ(PlatformLateLibrariesProblem(kLateLibraries, kLateLibraryCount), "");
}

// Runs as a case of its own with no ICU on the module path (TANSEL_TEST_WITHOUT_HOST_ICU set).
TEST(LateLibraries, AHostWithoutItsIcuHearsWhyAndStartUpEndsInTheFatalError) {
  if (std::getenv("TANSEL_TEST_WITHOUT_HOST_ICU") == nullptr) {
    GTEST_SKIP() << "runs where the host's ICU cannot be found";
  }
  const std::string expected = HOST_ICU_COMMON " cannot be loaded (error 126";
  EXPECT_NE(PlatformLateLibrariesProblem(kLateLibraries, kLateLibraryCount).find(expected),
            std::string::npos);
  SimHost host;
  EXPECT_EQ(RaisedCode([&] { F_ApiClientInit(nullptr, host.Object(), nullptr, nullptr); }), 1);
  std::string console;
  for (const std::string& piece : host.Console()) console += piece;
  EXPECT_EQ(console.find("Error: the host's ICU cannot be used: " + expected), 0u) << console;
  EXPECT_EQ(console.back(), '\n');
}

}  // namespace

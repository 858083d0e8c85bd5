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

// Runs as a CTest case of its own where the host's ICU is missing or lacks an entry point, with
// TANSEL_TEST_ICU_PROBLEM holding the start of what must be said.
TEST(LateLibraries, AHostWithoutAUsableIcuHearsWhyAndStartUpEndsInTheFatalError) {
  const char* expected = std::getenv("TANSEL_TEST_ICU_PROBLEM");
  if (expected == nullptr) GTEST_SKIP() << "runs where the host's ICU cannot be used";
  EXPECT_EQ(PlatformLateLibrariesProblem(kLateLibraries, kLateLibraryCount).find(expected), 0u);
  SimHost host;
  EXPECT_EQ(RaisedCode([&] { F_ApiClientInit(nullptr, host.Object(), nullptr, nullptr); }), 1);
  std::string console;
  for (const std::string& piece : host.Console()) console += piece;
  EXPECT_EQ(console.find(std::string("Error: the host's ICU cannot be used: ") + expected), 0u)
      << console;
  EXPECT_TRUE(!console.empty() && console.back() == '\n');
}

}  // namespace

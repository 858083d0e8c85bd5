// The Net… wrappers over a substituted NetLib entry table: what each passes, copies, gives back
// and reports, and how a missing NetLib makes them all fail cleanly.
#include "path/net_files.h"

#include <gtest/gtest.h>

#include "bridge/host_errno.h"
#include "path/netlib_entries.h"
#include "platform/platform_calls.h"
#include "tests/path/fake_netlib.h"
#include "tests/path/path_test_support.h"

namespace {

using Calls = std::vector<std::string>;

TEST(NetFiles, NamesAreNetworkNamesWhenNetLibClaimsThem) {
  FakeNetLib net;
  EXPECT_EQ(NetIsNetworkName("http://h/x"), 1);
  EXPECT_EQ(NetIsLocalName("http://h/x"), 0);
  EXPECT_EQ(NetIsNetworkName("C:\\x"), 0);
  EXPECT_EQ(NetIsLocalName("C:\\x"), 1);
  EXPECT_EQ(NetIsNetworkName(nullptr), 0);
  EXPECT_EQ(NetIsLocalName(nullptr), 1);
}

TEST(NetFiles, OpenFallsBackToTheCacheAndGivesEveryTextBack) {
  FakeNetLib net;
  net.results["Open"] = 1;
  net.texts["QueryCacheForPath"] = "/cache/x";
  char* local = nullptr;
  int error = -5;
  EXPECT_EQ(NetOpenCachedLocal("http://h/x", &local, &error), 0);
  EXPECT_EQ(Take(local), "/cache/x");
  EXPECT_EQ(error, 0);
  EXPECT_EQ(net.calls, (Calls{"IsNetFile(http://h/x)", "Open(http://h/x,16)",
                              "QueryCacheForPath(http://h/x)", "Free(/cache/x)"}));
  EXPECT_EQ(net.outstanding, 0);
}

// NetLib's error is read once both calls failed: the error the cache query left.
TEST(NetFiles, OpenReportsTheErrorLeftAfterBothCalls) {
  FakeNetLib net;
  net.results["Open"] = 1;
  net.results["QueryCacheForPath"] = 1;
  net.errors["Open"] = 3;
  net.errors["QueryCacheForPath"] = 12;
  char* local = reinterpret_cast<char*>(1);
  int error = -5;
  EXPECT_EQ(NetOpenLocal("http://h/x", &local, 1, &error), 1);
  EXPECT_EQ(local, nullptr);
  EXPECT_EQ(error, 12);
  EXPECT_EQ(net.calls, (Calls{"IsNetFile(http://h/x)", "Open(http://h/x,16)",
                              "QueryCacheForPath(http://h/x)", "GetLastError()"}));
}

TEST(NetFiles, OpenCopiesTheLocalName) {
  FakeNetLib net;
  net.texts["Open"] = "/cache/y";
  char* local = nullptr;
  EXPECT_EQ(NetOpenLocalFile("http://h/y", &local, nullptr), 0);
  EXPECT_EQ(Take(local), "/cache/y");
  EXPECT_EQ(net.calls, (Calls{"IsNetFile(http://h/y)", "Open(http://h/y,0)", "Free(/cache/y)"}));
}

TEST(NetFiles, ErrorsOutsideNetLibsRangeBecome21Or20) {
  FakeNetLib net;
  net.results["Open"] = 1;
  net.results["QueryCacheForPath"] = 1;
  net.results["Stat"] = 1;
  struct Row {
    int line;
    NetLibErr netError;
    int inOuts, mapped;
  };
  const Row rows[] = {{__LINE__, 25, 21, 20}, {__LINE__, 19, 19, 19}, {__LINE__, 0, 0, 0},
                      {__LINE__, -1, 21, 20}, {__LINE__, 20, 21, 20}, {__LINE__, 3, 3, 3}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    net.lastError = row.netError;
    int error = -5;
    EXPECT_EQ(NetStat("http://h/x", 0, &error), 1);
    EXPECT_EQ(error, row.inOuts);
    char* local = reinterpret_cast<char*>(1);
    error = -5;
    EXPECT_EQ(NetOpenLocal("http://h/x", &local, 0, &error), 1);
    EXPECT_EQ(local, nullptr);
    EXPECT_EQ(error, row.inOuts);
    error = -5;
    EXPECT_EQ(NetOpenLocalMapped("http://h/x", &local, &error), 1);
    EXPECT_EQ(error, row.mapped);
    EXPECT_EQ(NetMapError(), row.inOuts);
    EXPECT_EQ(NetMapErrorCode(row.netError), row.mapped);
  }
}

TEST(NetFiles, LocalNamesLeaveTheOutsUntouched) {
  FakeNetLib net;
  char* local = reinterpret_cast<char*>(0x1234);
  int error = -5;
  EXPECT_EQ(NetOpenLocal("C:\\x", &local, 1, &error), 1);
  EXPECT_EQ(NetOpenLocal(nullptr, &local, 1, &error), 1);
  EXPECT_EQ(NetStat("C:\\x", 1, &error), 1);
  EXPECT_EQ(NetGetCacheFileName("C:\\x", &local), 1);
  EXPECT_EQ(NetCacheFileForPath("C:\\x", &local), 1);
  EXPECT_EQ(NetCleanUrl("C:\\x", &local), 1);
  EXPECT_EQ(NetResolveUrl("C:\\x", "y", &local), 1);
  EXPECT_EQ(NetRelativeUrl("http://h/x", "C:\\y", &local), 1);
  EXPECT_EQ(local, reinterpret_cast<char*>(0x1234));
  EXPECT_EQ(error, -5);
  EXPECT_EQ(NetSaveFile("C:\\x"), 1);
  EXPECT_EQ(NetPutFile("C:\\x", "s"), 1);
  EXPECT_EQ(NetUploadFolder(nullptr, "s"), 1);
  for (const std::string& call : net.calls) EXPECT_EQ(call.rfind("IsNetFile(", 0), 0u) << call;
}

TEST(NetFiles, CacheFileForUrlAsksNetLibEvenForALocalName) {
  FakeNetLib net;
  net.texts["QueryCacheForURL"] = "/cache/z";
  char* local = nullptr;
  EXPECT_EQ(NetCacheFileForUrl("C:\\z", &local), 0);
  EXPECT_EQ(Take(local), "/cache/z");
  EXPECT_EQ(net.calls, (Calls{"QueryCacheForURL(C:\\z)", "Free(/cache/z)"}));
  EXPECT_EQ(NetCacheFileForUrl(nullptr, &local), 1);
}

TEST(NetFiles, TextQueriesPassTheirArgumentsAndReportFailure) {
  FakeNetLib net;
  net.texts["GetCacheFile"] = "/c/1";
  net.texts["CleanURL"] = "http://h/clean";
  net.texts["GetRelativeURL"] = "../r";
  char* out = nullptr;
  EXPECT_EQ(NetGetCacheFileName("http://h/1", &out), 0);
  EXPECT_EQ(Take(out), "/c/1");
  EXPECT_EQ(NetCleanUrl("http://h/./clean", &out), 0);
  EXPECT_EQ(Take(out), "http://h/clean");
  EXPECT_EQ(NetRelativeUrl("http://h/a/b", "http://h/r", &out), 0);
  EXPECT_EQ(Take(out), "../r");
  EXPECT_EQ(NetResolveUrl("http://h/a/", nullptr, &out), 1);
  net.results["GetCacheFile"] = 4;
  out = reinterpret_cast<char*>(1);
  EXPECT_EQ(NetGetCacheFileName("http://h/1", &out), 1);
  EXPECT_EQ(out, nullptr);
  EXPECT_EQ(net.outstanding, 0);
}

TEST(NetFiles, SendsPassTheSecondTextAndSaveUsesFlagsZero) {
  FakeNetLib net;
  EXPECT_EQ(NetSaveFile("http://h/s"), 0);
  EXPECT_EQ(NetPutFile("http://h/p", "two"), 0);
  EXPECT_EQ(NetUploadFolder("http://h/u", nullptr), 0);
  net.results["Save"] = 9;
  EXPECT_EQ(NetSaveFile("http://h/s"), 1);
  EXPECT_EQ(net.calls, (Calls{"IsNetFile(http://h/s)", "Save(http://h/s,0)",
                              "IsNetFile(http://h/p)", "Put(http://h/p,two)",
                              "IsNetFile(http://h/u)", "UploadFolder(http://h/u,(null))",
                              "IsNetFile(http://h/s)", "Save(http://h/s,0)"}));
}

TEST(NetFiles, FailuresNeverTouchHostErrno) {
  FakeNetLib net;
  net.results["Stat"] = 1;
  net.lastError = 7;
  HostErrno = 0;
  int error = 0;
  EXPECT_EQ(NetStat("http://h/x", 1, &error), 1);
  EXPECT_EQ(error, 7);
  EXPECT_EQ(HostErrno, 0);
}

// Without NetLib every name is local and every wrapper fails; nothing crashes.
TEST(NetFiles, AMissingModuleMakesEveryWrapperFail) {
  NetLibSetEntries(nullptr);
  PlatformCalls saved = g_platformCalls;
  g_platformCalls.DlOpen = [](const char*, int) -> void* { return nullptr; };
  char* out = reinterpret_cast<char*>(1);
  int error = -5;
  EXPECT_EQ(NetIsNetworkName("http://h/x"), 0);
  EXPECT_EQ(NetOpenCachedLocal("http://h/x", &out, &error), 1);
  EXPECT_EQ(NetGetCacheFileName("http://h/x", &out), 1);
  EXPECT_EQ(NetCacheFileForUrl("http://h/x", &out), 1);
  EXPECT_EQ(NetSaveFile("http://h/x"), 1);
  EXPECT_EQ(NetMapError(), 21);
  EXPECT_EQ(out, reinterpret_cast<char*>(1));
  EXPECT_EQ(error, -5);
  g_platformCalls = saved;
  NetLibSetEntries(nullptr);
}

}  // namespace

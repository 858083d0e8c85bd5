// Shared by the channel tests on real files: a scratch directory per test, whole-file helpers, and
// the one place where a test opens a channel on a file name.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "channel/channel_open.h"
#include "platform/platform_calls.h"
#include "tests/support/test_system.h"

// Runs fn with the C library's own calls in the platform table and puts back the table as it
// was: the way a fault-injecting entry reaches the real call.
template <typename Fn>
auto WithDefaultCalls(Fn fn) {
  const PlatformCalls saved = g_platformCalls;
  PlatformCallsReset();
  auto result = fn();
  g_platformCalls = saved;
  return result;
}

class ChannelFiles : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = TestScratchDir("channel-");
    ASSERT_FALSE(dir_.empty());
  }
  void TearDown() override {
    PlatformCallsReset();
    std::filesystem::remove_all(dir_);
  }

  std::string Path(const std::string& name) const { return dir_ + name; }
  static bool Exists(const std::string& path) { return std::filesystem::exists(path); }
  static std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
  }
  static void Store(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  }
  static FileChannel* Open(const std::string& path, const char* mode) {
    FilePath* object = PathNewFromText(path.c_str());
    FileChannel* channel = ChanOpen(object, mode);
    PathFree(object);
    return channel;
  }

  std::string dir_;
};

// Temporary files: unique "CLT" names in the temporary directory, deletion at close, ANSI names,
// and failures that leave no file behind.
#include "channel/temp_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "channel/typed_io.h"
#include "encoding/dialog_encoding.h"
#include "platform/path_translation.h"
#include "tests/channel/channel_files.h"
#include "tests/support/fault_injection.h"

namespace {

std::string g_tempDir;  // what TMPDIR reads as during a test
int g_opensAllowed = -1;

const char* FakeGetEnv(const char* name) {
  return std::string(name) == "TMPDIR" ? g_tempDir.c_str() : nullptr;
}

int LimitedOpen(const char* path, int flags, unsigned mode) {
  if (g_opensAllowed == 0) {
    errno = EACCES;
    return -1;
  }
  if (g_opensAllowed > 0) --g_opensAllowed;
  return WithDefaultCalls([&] { return g_platformCalls.Open(path, flags, mode); });
}

class TempFiles : public ChannelFiles {
 protected:
  void SetUp() override {
    ChannelFiles::SetUp();
    g_tempDir = dir_;
    g_opensAllowed = -1;
    g_platformCalls.GetEnv = FakeGetEnv;
    g_platformCalls.Open = LimitedOpen;
  }
  // The system path of a channel's file.
  static std::string SystemName(const FileChannel* channel) {
    char path[8192];
    PlatformTranslatePath(channel->name, path, sizeof path);
    return path;
  }
  size_t FilesInDir() const {
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_)) ++n;
    return n;
  }
};

TEST_F(TempFiles, TwoTemporaryFilesAreDistinctEmptyAndNamedCLT) {
  FileChannel* first = ChanOpenTemp();
  FileChannel* second = ChanOpenTemp();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  const std::string a = SystemName(first), b = SystemName(second);
  EXPECT_NE(a, b);
  for (const std::string& name : {a, b}) {
    const std::filesystem::path path(name);
    EXPECT_EQ(path.parent_path().string() + "/", dir_);
    EXPECT_EQ(path.filename().string().rfind("CLT", 0), 0u) << name;
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
  }
  EXPECT_EQ(ChanWrite("0123456789", 1, 10, first), 10);
  EXPECT_EQ(ChanSeek(first, 0, 0), 0);
  char out[11] = {};
  EXPECT_EQ(ChanRead(out, 1, 10, first), 10);
  EXPECT_STREQ(out, "0123456789");
  EXPECT_EQ(ChanCloseAndDelete(first), 0);
  FileChannel* held = second;
  EXPECT_EQ(ChanCloseAndDeleteRef(&held), 0);
  EXPECT_EQ(held, second);
  EXPECT_FALSE(Exists(a));
  EXPECT_FALSE(Exists(b));
  EXPECT_EQ(FilesInDir(), 0u);
}

TEST_F(TempFiles, CloseAndDeleteRemovesAnyChannelsFile) {
  FileChannel* channel = Open(Path("plain"), "w");
  ASSERT_NE(channel, nullptr);
  ChanWrite("x", 1, 1, channel);
  EXPECT_EQ(ChanCloseAndDelete(channel), 0);
  EXPECT_FALSE(Exists(Path("plain")));
  EXPECT_EQ(ChanCloseAndDelete(nullptr), -1);
  FileChannel* none = nullptr;
  EXPECT_EQ(ChanCloseAndDeleteRef(&none), -1);
  EXPECT_EQ(RaisedCode([] { ChanCloseAndDeleteRef(nullptr); }), 1);
}

// Every failure gives null and leaves the temporary directory as it was.
TEST_F(TempFiles, FailuresLeaveNoFileBehind) {
  struct Row {
    int line;
    std::string tempDir;
    int opensAllowed;
  };
  const Row rows[] = {
      {__LINE__, std::string(5000, 'd'), -1},              // the directory does not fit
      {__LINE__, dir_ + std::string(250, 'd') + "/", -1},  // too long for a temporary name
      {__LINE__, dir_ + "missing/", -1},                   // no file can be created there
      {__LINE__, dir_, 1},                                 // created, but the channel's open fails
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    g_tempDir = row.tempDir;
    g_opensAllowed = row.opensAllowed;
    EXPECT_EQ(ChanOpenTemp(), nullptr);
    EXPECT_EQ(FilesInDir(), 0u);
  }
}

TEST_F(TempFiles, NamesForThePlatformsAnsiCalls) {
  const DialogEncoding saved = CurrentDialogEncoding;
  struct Row {
    int line;
    DialogEncoding encoding;
    std::string name;
    int length;
    std::string expected;  // the bytes written, terminator included when copied
  };
  const Row rows[] = {
      {__LINE__, kDialogHostRoman,
       "a\x8A"
       "b",
       -1,
       std::string("a\xE4"
                   "b\0",
                   4)},
      {__LINE__, kDialogHostRoman,
       "a\x8A"
       "b",
       2, "a\xE4"},
      {__LINE__, kDialogUtf8,
       "a\x8A"
       "b",
       -1,
       std::string("a\x8A"
                   "b\0",
                   4)},
      {__LINE__, kDialogShiftJis, "\x82\xA0", 1, "\x82"},
      {__LINE__, kDialogUtf8, "abc", 0, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    CurrentDialogEncoding = row.encoding;
    char out[16];
    std::memset(out, '#', sizeof out);
    NameToPlatformAnsi(out, row.name.c_str(), row.length);
    EXPECT_EQ(std::string(out, row.expected.size()), row.expected);
    EXPECT_EQ(out[row.expected.size()], '#');
  }
  char same[] = "in\x8Aplace";
  CurrentDialogEncoding = kDialogUtf8;
  NameToPlatformAnsi(same, same, -1);
  EXPECT_STREQ(same, "in\x8Aplace");
  CurrentDialogEncoding = saved;
}

}  // namespace

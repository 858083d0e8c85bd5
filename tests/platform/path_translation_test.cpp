// Host paths in the system's form: slashes for backslashes, the drive root for a drive prefix.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/path_translation.h"

namespace {

class PathTranslation : public ::testing::Test {
 protected:
  void TearDown() override { PlatformSetDriveRoot(nullptr); }

  static std::string Translate(const char* path) {
    char buffer[256];
    size_t length = PlatformTranslatePath(path, buffer, sizeof buffer);
    EXPECT_LT(length, sizeof buffer);
    EXPECT_EQ(std::strlen(buffer), length);
    return buffer;
  }
};

}  // namespace

TEST_F(PathTranslation, Table) {
  struct Row {
    int line;
    const char* root;  // null: the default
    const char* path;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, nullptr, "C:\\Host\\icu_data", "/Host/icu_data"},
      {__LINE__, nullptr, "c:\\Host", "/Host"},
      {__LINE__, nullptr, "Z:/mixed\\seps", "/mixed/seps"},
      {__LINE__, nullptr, "C:", "/"},
      {__LINE__, nullptr, "C:\\", "/"},
      {__LINE__, nullptr, "C:rel", "/rel"},
      {__LINE__, nullptr, "rel\\dir", "rel/dir"},
      {__LINE__, nullptr, "\\\\server\\share", "//server/share"},
      {__LINE__, nullptr, "/already/posix", "/already/posix"},
      {__LINE__, nullptr, "", ""},
      {__LINE__, nullptr, nullptr, ""},
      {__LINE__, nullptr, "1:\\x", "1:/x"},  // not a drive letter
      {__LINE__, nullptr, "C", "C"},
      {__LINE__, nullptr, "dir\\C:\\x", "dir/C:/x"},  // only a leading prefix is a drive
      {__LINE__, "/srv/host", "C:\\Host", "/srv/host/Host"},
      {__LINE__, "/srv/host/", "C:\\Host", "/srv/host/Host"},
      {__LINE__, "/srv/host//", "D:", "/srv/host"},
      {__LINE__, "/srv/host", "C:rel", "/srv/host/rel"},
      {__LINE__, "\\srv\\host\\", "C:\\a", "/srv/host/a"},
      {__LINE__, "", "C:\\a", "/a"},  // "" restores the default
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    ASSERT_EQ(PlatformSetDriveRoot(row.root), 0);
    EXPECT_EQ(Translate(row.path), row.expected);
  }
}

TEST_F(PathTranslation, TooSmallBuffersGetAnEmptyStringAndTheLength) {
  const char* path = "C:\\Host\\icu_data";  // "/Host/icu_data": 14 bytes
  char buffer[32];
  for (size_t size = 1; size <= 15; ++size) {
    SCOPED_TRACE(size);
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(PlatformTranslatePath(path, buffer, size), 14u);
    EXPECT_STREQ(buffer, size < 15 ? "" : "/Host/icu_data");
    EXPECT_EQ(buffer[size], 'x');  // nothing written past the buffer
  }
  EXPECT_EQ(PlatformTranslatePath(path, nullptr, 0), 14u);
}

TEST_F(PathTranslation, OverlongRootIsRefusedAndKeepsTheOldOne) {
  ASSERT_EQ(PlatformSetDriveRoot("/kept"), 0);
  std::string longRoot(kPlatformDriveRootMax + 1, 'r');
  EXPECT_EQ(PlatformSetDriveRoot(longRoot.c_str()), 1);
  EXPECT_STREQ(PlatformDriveRoot(), "/kept");
  longRoot.pop_back();
  EXPECT_EQ(PlatformSetDriveRoot(longRoot.c_str()), 0);
  EXPECT_EQ(PlatformDriveRoot(), longRoot);
  EXPECT_EQ(PlatformSetDriveRoot(nullptr), 0);
  EXPECT_STREQ(PlatformDriveRoot(), "/");
}

// The way back: a host path that translates to the same system path again.
TEST_F(PathTranslation, HostPathsRoundTrip) {
  struct Row {
    int line;
    const char* root;
    const char* system;
    const char* host;
    const char* back;  // what the host path translates to
  };
  const Row rows[] = {
      {__LINE__, nullptr, "/home/u", "C:\\home\\u", "/home/u"},
      {__LINE__, nullptr, "/", "C:\\", "/"},
      {__LINE__, "/srv/c", "/srv/c/d/e", "C:\\d\\e", "/srv/c/d/e"},
      {__LINE__, "/srv/c/", "/srv/c", "C:\\", "/srv/c/"},
      {__LINE__, "/srv/c", "/srv/cd", "\\srv\\cd", "/srv/cd"},  // outside the root: no drive
      {__LINE__, "/srv/c", "rel/x", "rel\\x", "rel/x"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    PlatformSetDriveRoot(row.root);
    char host[256];
    EXPECT_EQ(PlatformHostPath(row.system, host, sizeof host), std::strlen(row.host));
    EXPECT_STREQ(host, row.host);
    EXPECT_EQ(Translate(host), row.back);
  }
  PlatformSetDriveRoot(nullptr);
  char small[4];
  EXPECT_EQ(PlatformHostPath("/abcdef", small, sizeof small), 9u);
  EXPECT_STREQ(small, "");
}

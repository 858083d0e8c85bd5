// FilePath objects: constructors, flags, bases, parents and leaf names.
#include "path/file_path.h"

#include <gtest/gtest.h>

#include <cstring>

#include "path/path_syntax.h"
#include "platform/path_translation.h"
#include "platform/win_directory.h"
#include "tests/path/fake_netlib.h"
#include "tests/path/path_test_support.h"
#include "tests/support/fault_injection.h"

namespace {

struct PathDeleter {
  void operator()(FilePath* path) const { PathFree(path); }
};
using PathPtr = std::unique_ptr<FilePath, PathDeleter>;

TEST(FilePath, NewObjectsCarryTheMagic) {
  PathPtr empty(PathNew());
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->magic, kPathMagic);
  EXPECT_EQ(empty->flags, 0);
  EXPECT_EQ(empty->text, nullptr);
  PathPtr text(PathNewFromText("C:\\x"));
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text->text, "C:\\x");
  ScopedAllocationFailure refuse(1);
  EXPECT_EQ(PathNewFromText("C:\\x"), nullptr);  // the object succeeds, the copy does not
}

TEST(FilePath, FromNameFlagsAndBases) {
  PathPtr local(PathFromName("C:\\d\\f", nullptr));
  ASSERT_NE(local, nullptr);
  EXPECT_STREQ(local->text, "C:\\d\\f");
  EXPECT_EQ(local->flags, PathFlagNoBase);  // only network results are rooted here
  // A base that may not serve: no path.
  EXPECT_EQ(PathFromName("g", local.get()), nullptr);
  PathPtr drive(PathFromDriveName("C:\\d\\f", nullptr));
  ASSERT_NE(drive, nullptr);
  EXPECT_EQ(drive->flags, PathFlagRooted);
  PathPtr relative(PathFromName("g\\..\\h", drive.get()));  // against the base's directory
  ASSERT_NE(relative, nullptr);
  EXPECT_STREQ(relative->text, "C:\\d\\h");
  PathPtr against(PathResolveAgainst("g", drive.get()));  // against the base's whole text
  ASSERT_NE(against, nullptr);
  EXPECT_STREQ(against->text, "C:\\d\\f\\g");
  EXPECT_EQ(against->flags, PathFlagRooted);
  PathPtr driveOnly(PathFromDriveName("x", nullptr));
  ASSERT_NE(driveOnly, nullptr);
  EXPECT_EQ(driveOnly->flags, PathFlagNoBase);

  // Against a repository base a relative name names a file of the same store.
  PathPtr store(PathNewFromText("repo://store/dir/f"));
  PathPtr inStore(PathFromName("g", store.get()));
  ASSERT_NE(inStore, nullptr);
  EXPECT_STREQ(inStore->text, "repo://store/dir/g");
  PathPtr stored(PathFromName("repo://other/x/../y", drive.get()));
  ASSERT_NE(stored, nullptr);
  EXPECT_STREQ(stored->text, "repo://other/x/../y");

  EXPECT_EQ(PathFromName("", nullptr), nullptr);
  EXPECT_EQ(PathFromName(nullptr, nullptr), nullptr);
  EXPECT_EQ(PathFromName("a\\..", nullptr), nullptr);  // empty result
  FilePath forged = *drive;
  forged.magic = 0;
  EXPECT_EQ(PathFromName("g", &forged), nullptr);
  EXPECT_EQ(PathResolveAgainst("g", &forged), nullptr);
  EXPECT_EQ(PathFromName(std::string(4096, 'a').c_str(), nullptr), nullptr);
}

TEST(FilePath, FromNameFlagsNetworkDriveFormsRooted) {
  FakeNetLib net;
  // NetLib claims "http://" names; none has the drive form, so the flag stays NoBase.
  PathPtr url(PathFromName("http://h/x", nullptr));
  ASSERT_NE(url, nullptr);
  EXPECT_EQ(url->flags, PathFlagNoBase);
}

TEST(FilePath, ParentAndLeafName) {
  struct Row {
    int line;
    const char* text;
    const char* parent;  // null: no parent
    const char* leaf;
  };
  const Row rows[] = {
      {__LINE__, "C:\\a\\b", "C:\\a", "b"},
      {__LINE__, "C:\\a", "C:\\", "a"},
      {__LINE__, "C:\\", nullptr, ""},
      {__LINE__, "\\", nullptr, ""},
      {__LINE__, "C:\\a\\b\\", "C:\\a\\b", "b"},
      {__LINE__, "C:f", "C:", "f"},
      {__LINE__, "ab:f", "ab", "f"},
      // A repository name's parent is a repository name; the store itself has none.
      {__LINE__, "repo://store/dir/f", "repo://store/dir", "f"},
      {__LINE__, "repo://store/dir", "repo://store", "dir"},
      {__LINE__, "repo://store", nullptr, "store"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    PathPtr path(PathNewFromText(row.text));
    int status = 7;
    PathPtr parent(PathParent(path.get(), &status));
    EXPECT_EQ(status, 0);
    if (row.parent == nullptr) {
      EXPECT_EQ(parent, nullptr);
    } else {
      ASSERT_NE(parent, nullptr);
      EXPECT_STREQ(parent->text, row.parent);
      EXPECT_EQ(parent->flags, 0);
    }
    EXPECT_EQ(Take(PathLeafName(path.get())), row.leaf);
  }
  int status = 7;
  EXPECT_EQ(PathParent(nullptr, &status), nullptr);
  EXPECT_EQ(status, 0);
  PathPtr path(PathNewFromText("C:\\a\\b"));
  ScopedAllocationFailure refuse;
  EXPECT_EQ(PathParent(path.get(), &status), nullptr);
  EXPECT_EQ(status, -1);
}

TEST(FilePath, FromDirectoryTakesTheRecordsTextOrTheWorkingDirectory) {
  struct Record {
    uint64_t first;
    const char* text;
  };
  Record named{0, "C:\\work"};
  PathPtr path(PathFromDirectory(&named));
  ASSERT_NE(path, nullptr);
  EXPECT_STREQ(path->text, "C:\\work");
  Record empty{0, ""};
  PathPtr cwd(PathFromDirectory(&empty));
  ASSERT_NE(cwd, nullptr);
  char expected[kPathBufferSize];
  ASSERT_NE(_getcwd(expected, sizeof expected), nullptr);
  EXPECT_EQ(std::string(cwd->text), std::string(expected) + "\\");
  // A drive-rooted path: "C:\\..." here, where the drive root stands for "/"; the real drive on
  // Windows.
  EXPECT_TRUE(expected[0] != 0 && expected[1] == ':' && expected[2] == '\\') << expected;
}

TEST(FilePath, FreeAcceptsNullAndFreeRefBailsOutOnNull) {
  PathFree(nullptr);
  FilePath* path = PathNewFromText("x");
  EXPECT_EQ(PathFreeRef(&path), 0);
  EXPECT_EQ(RaisedCode([] { PathFreeRef(nullptr); }), static_cast<long>(kMemFatalCode));
}

TEST(FilePath, StrCopyOrEmpty) {
  EXPECT_EQ(Take(StrCopyOrEmpty(nullptr)), "");
  EXPECT_EQ(Take(StrCopyOrEmpty("")), "");
  EXPECT_EQ(Take(StrCopyOrEmpty("ab")), "ab");
}

TEST(FilePath, FromTextBySyntax) {
  PathPtr backslash(PathFromText("C:\\a\\.\\b", nullptr, PathSyntaxBackslash));
  ASSERT_NE(backslash, nullptr);
  EXPECT_STREQ(backslash->text, "C:\\a\\b");
  EXPECT_EQ(backslash->flags, PathFlagRooted);
  PathPtr portable(PathFromText("<v>C:<r><c>dir<c>file", nullptr, PathSyntaxPortable));
  ASSERT_NE(portable, nullptr);
  EXPECT_STREQ(portable->text, "C:\\dir\\file");
  EXPECT_EQ(PathFromText("C:\\x", nullptr, PathSyntaxPortable), nullptr);
  EXPECT_EQ(PathFromText("Disk:f", nullptr, PathSyntaxColon), nullptr);
  EXPECT_EQ(PathFromText("", nullptr, PathSyntaxDefault), nullptr);
  EXPECT_EQ(RaisedCode([] { PathFromText("x", nullptr, 5); }), static_cast<long>(kMemFatalCode));
  EXPECT_EQ(RaisedCode([] { PathFromText("x", nullptr, -1); }), static_cast<long>(kMemFatalCode));
}

}  // namespace

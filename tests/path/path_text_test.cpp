// The in-place path operations: resolution, expansion, splitting, relative paths, appending and
// cutting, and the component reader, from tables of edge cases.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "path/path_text.h"
#include "tests/path/fake_netlib.h"
#include "tests/path/path_test_support.h"
#include "tests/support/test_system.h"

namespace {

struct ScopedVariable {
  std::string name;
  ScopedVariable(const char* n, const char* value) : name(n) { TestSetEnv(n, value); }
  ~ScopedVariable() { TestSetEnv(name.c_str(), nullptr); }
};

struct ScopedHome {
  ScopedHome(const char* home) { std::strcpy(PathHomeDirectory, home); }
  ~ScopedHome() { PathHomeDirectory[0] = '\0'; }
};

TEST(PathResolve, Table) {
  ScopedVariable home("TANSEL_TEST_HOME", "C:\\u");
  struct Row {
    int line;
    const char* name;
    const char* base;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "C:\\a\\..\\b", nullptr, "C:\\b"},
      {__LINE__, "C:\\a\\..", nullptr, "C:"},
      {__LINE__, "a\\.\\b", nullptr, "a\\b"},
      {__LINE__, "a\\..", nullptr, ""},
      {__LINE__, "a\\b\\..\\..\\c", nullptr, "\\c"},
      {__LINE__, "d:/x//y", nullptr, "d:/x/y"},
      {__LINE__, "sub\\..\\f.txt", "C:\\dir", "C:\\dir\\f.txt"},
      {__LINE__, "\\\\srv\\share\\x", "C:\\dir", "\\\\srv\\share\\x"},
      {__LINE__, "$TANSEL_TEST_HOME/x", nullptr, "C:\\u\\x"},
      {__LINE__, "", "C:\\dir\\", "C:\\dir\\"},
      {__LINE__, "f", "C:\\dir/", "C:\\dir\\f"},
      {__LINE__, "f", "C:\\dir\\\\", "C:\\dir\\f"},
      {__LINE__, "C:\\.\\.\\x", nullptr, "C:\\x"},
      {__LINE__, "C:\\..\\b", nullptr, "C:\\b"},
      {__LINE__, "C:a\\..\\b", nullptr, "C:\\b"},
      {__LINE__, "..\\a", nullptr, "\\a"},
      {__LINE__, "x\\.\\..\\y", nullptr, "\\y"},
      {__LINE__, "f", "D:\\", "D:\\f"},
      {__LINE__, "D:\\f", "C:\\dir", "D:\\f"},
      {__LINE__, "$TANSEL_NO_SUCH_VAR\\x", nullptr, "$TANSEL_NO_SUCH_VAR\\x"},
      {__LINE__, "a$.b", nullptr, "a$.b"},
      {__LINE__, "a\\$TANSEL_TEST_HOME", nullptr, "a\\C:\\u"},
      {__LINE__, "~abc", nullptr, "abc"},
      {__LINE__, "~\\x", "C:\\d", "\\x"},
      {__LINE__, "x~", nullptr, "x~"},
      // Repository names are the store's own: neither "//" nor ".." is touched.
      {__LINE__, "repo://store//a/../b", "C:\\d", "repo://store//a/../b"},
      {__LINE__, "x\\y", "repo://store//d", "repo://store//d/x/y"},
      {__LINE__, "g", "repo://store/dir/", "repo://store/dir/g"},
      {__LINE__, "repo://$TANSEL_TEST_HOME/x", nullptr, "repo://$TANSEL_TEST_HOME/x"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    PathBuffer buffer(row.name);
    EXPECT_EQ(PathResolve(buffer.text, row.base), 0);
    EXPECT_STREQ(buffer.text, row.expected);
  }
}

TEST(PathResolve, TildeTakesTheHomeDirectoryOnlyAtTheStart) {
  ScopedHome home("C:\\u");
  PathBuffer buffer("~\\x\\~");
  EXPECT_EQ(PathResolve(buffer.text, nullptr), 0);
  EXPECT_STREQ(buffer.text, "C:\\u\\x\\~");
}

// Expansion alone: a tilde at the start before the end or a separator, "$" at the start, and a
// later "$" unless a dot follows it.
TEST(PathExpandVariables, Table) {
  ScopedVariable variable("TANSEL_TEST_VAR", "V");
  ScopedVariable dotted(".tansel_dot", "D");
  struct Row {
    int line;
    const char* home;
    const char* text;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "C:\\u", "~", "C:\\u"},
      {__LINE__, "C:\\u", "~/x", "C:\\u/x"},
      {__LINE__, "C:\\u", "~\\", "C:\\u\\"},
      {__LINE__, "C:\\u", "~x", "x"},
      {__LINE__, "C:\\u", "a~", "a~"},
      {__LINE__, "", "~", ""},
      {__LINE__, "", "~\\x", "\\x"},
      {__LINE__, "", "$TANSEL_TEST_VAR", "V"},
      {__LINE__, "", "a$TANSEL_TEST_VAR", "aV"},
      {__LINE__, "", "$.tansel_dot\\x", "D\\x"},  // at the start a dot does not stop it
      {__LINE__, "", "a\\$.tansel_dot", "a\\$.tansel_dot"},
      {__LINE__, "", "a$.tansel_dot/$TANSEL_TEST_VAR", "a$.tansel_dot/V"},
      {__LINE__, "", "$", "$"},
      {__LINE__, "", "a$/b", "a$/b"},
      {__LINE__, "C:\\u", "repo://~/$TANSEL_TEST_VAR", "repo://~/$TANSEL_TEST_VAR"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    ScopedHome home(row.home);
    PathBuffer buffer(row.text);
    EXPECT_EQ(PathExpandVariables(buffer.text), 0);
    EXPECT_STREQ(buffer.text, row.expected);
  }
}

TEST(PathResolve, ResultsTooLongFailInsteadOfBeingCut) {
  const std::string base = "C:\\" + std::string(2000, 'b');
  const std::string name = std::string(2093, 'n');  // 2003 + 1 + 2093 = 4097 bytes joined
  PathBuffer buffer(name);
  EXPECT_EQ(PathResolve(buffer.text, base.c_str()), 1);
  EXPECT_STREQ(buffer.text, "");
  PathBuffer fits(name.substr(2));
  EXPECT_EQ(PathResolve(fits.text, base.c_str()), 0);
  EXPECT_EQ(std::strlen(fits.text), 4095u);

  ScopedVariable big("TANSEL_TEST_BIG", std::string(4090, 'v').c_str());
  PathBuffer expanded("$TANSEL_TEST_BIG\\abcdef");
  EXPECT_EQ(PathExpandVariables(expanded.text), 1);
  EXPECT_STREQ(expanded.text, "$TANSEL_TEST_BIG\\abcdef");  // unchanged
  EXPECT_EQ(PathResolve(expanded.text, nullptr), 1);
  EXPECT_STREQ(expanded.text, "");
}

TEST(PathResolve, NetworkNamesAreJoinedByNetLibAndOtherwiseLeftAlone) {
  FakeNetLib net;
  PathBuffer url("http://h/a/../b");
  EXPECT_EQ(PathResolve(url.text, "C:\\d"), 0);
  EXPECT_STREQ(url.text, "http://h/a/../b");

  PathBuffer relative("f\\g");
  EXPECT_EQ(PathResolve(relative.text, "http://h/d"), 0);
  EXPECT_STREQ(relative.text, "http://h/d/f/g");
  EXPECT_EQ(net.outstanding, 0);
  net.texts.erase("GetAbsoluteURL");
  PathBuffer slashEnded("x");
  EXPECT_EQ(PathResolve(slashEnded.text, "http://h/d/"), 0);
  EXPECT_STREQ(slashEnded.text, "http://h/d/x");

  net.results["GetAbsoluteURL"] = 3;
  PathBuffer failed("f");
  EXPECT_EQ(PathResolve(failed.text, "http://h/d"), 1);
  EXPECT_STREQ(failed.text, "");
  EXPECT_EQ(net.outstanding, 0);
}

TEST(PathSplit, Table) {
  struct Row {
    int line;
    const char* text;
    const char* dir;
    const char* name;
  };
  const Row rows[] = {
      {__LINE__, "C:\\f", "C:\\", "f"},
      {__LINE__, "\\f", "\\", "f"},
      {__LINE__, "f", "", "f"},
      {__LINE__, "C:\\a\\f", "C:\\a", "f"},
      {__LINE__, "C:f", "C:", "f"},
      {__LINE__, "C:\\a\\", "C:\\a", ""},
      {__LINE__, "a/b", "", "a/b"},  // a slash does not separate here
      {__LINE__, "\\\\srv\\share", "\\\\srv", "share"},
      {__LINE__, "", "", ""},
      // Only a drive letter keeps its colon; any other colon goes as a backslash would.
      {__LINE__, "ab:f", "ab", "f"},
      {__LINE__, ":f", "\\", "f"},
      {__LINE__, "1:f", "1", "f"},
      {__LINE__, "C:\\a\\b\\f:txt", "C:\\a\\b\\f", "txt"},
      {__LINE__, "repo://store/dir/a%20b", "repo://store/dir", "a%20b"},
      {__LINE__, "repo://store", "repo://", "store"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    PathBuffer dir;
    char name[kPathComponentSize];
    EXPECT_EQ(PathSplit(row.text, dir.text, name), 0);
    EXPECT_STREQ(dir.text, row.dir);
    EXPECT_STREQ(name, row.name);
  }
}

TEST(PathSplit, NamesTooLongAreRefusedNotCut) {
  const std::string text = "C:\\d\\" + std::string(1024, 'n');
  PathBuffer dir("x");
  char name[kPathComponentSize] = "x";
  EXPECT_EQ(PathSplit(text.c_str(), dir.text, name), 1);
  EXPECT_STREQ(dir.text, "");
  EXPECT_STREQ(name, "");
  EXPECT_EQ(PathSplit(text.substr(0, text.size() - 1).c_str(), dir.text, name), 0);
  EXPECT_EQ(std::strlen(name), 1023u);
}

TEST(PathSplit, NetworkNamesSplitAtTheLastSlashAndDecodeTheName) {
  FakeNetLib net;
  PathBuffer dir;
  char name[kPathComponentSize];
  EXPECT_EQ(PathSplit("http://h/d/a%20b%2Fc", dir.text, name), 0);
  EXPECT_STREQ(dir.text, "http://h/d");
  EXPECT_STREQ(name, "a b/c");
}

TEST(PathQueries, Table) {
  struct Row {
    int line;
    const char* text;
    int absolute, root, unc;
  };
  const Row rows[] = {
      {__LINE__, "C:", 1, 1, 0},      {__LINE__, "c:\\", 1, 1, 0},
      {__LINE__, "C:\\x", 1, 0, 0},   {__LINE__, "/", 1, 0, 0},
      {__LINE__, "\\", 1, 1, 0},      {__LINE__, "\\\\s\\x", 1, 0, 1},
      {__LINE__, "1:", 1, 0, 0},      {__LINE__, "a", 0, 0, 0},
      {__LINE__, "", 0, 0, 0},        {__LINE__, "repo://x", 1, 0, 0},
      {__LINE__, "repo:/x", 0, 0, 0}, {__LINE__, "C:x", 1, 0, 0},
      {__LINE__, "\\\\", 1, 0, 1},    {__LINE__, "C:\\\\", 1, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(PathIsAbsolute(row.text), row.absolute);
    EXPECT_EQ(PathIsRoot(row.text), row.root);
    EXPECT_EQ(PathIsUnc(row.text), row.unc);
  }
  EXPECT_EQ(PathIsAbsolute(nullptr), 0);
  EXPECT_EQ(PathIsRoot(nullptr), 0);
}

TEST(PathMakeRelative, Table) {
  struct Row {
    int line;
    const char* path;
    const char* base;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "C:\\a\\c\\g.txt", "C:\\a\\b\\f.txt", "..\\c\\g.txt"},
      {__LINE__, "C:\\A\\g.txt", "C:\\a\\f.txt", "g.txt"},
      {__LINE__, "D:\\y", "C:\\x", "D:\\y"},
      {__LINE__, "C:\\a\\x", "C:\\a\\b\\c\\f", "..\\..\\x"},
      {__LINE__, "C:\\x\\y", "C:\\f", "x\\y"},
      {__LINE__, "C:\\abc\\g", "C:\\ab\\f", "..\\abc\\g"},
      {__LINE__, "C:\\a", "C:\\a\\b\\f", "..\\..\\a"},
      {__LINE__, "a\\b", "C:\\a\\f", "a\\b"},
      {__LINE__, "C:\\a\\b", "f", "C:\\a\\b"},
      {__LINE__, "\\x\\y\\z", "\\x\\y\\f", "z"},
      {__LINE__, "\\x\\y", "\\x\\f", "\\x\\y"},  // one component is no common directory
      // No relative form names these again: they stay as they are.
      {__LINE__, "C:g", "C:f.txt", "C:g"},
      {__LINE__, "C:x\\y", "C:\\f.txt", "C:x\\y"},
      // Repository names are the store's own.
      {__LINE__, "repo://store/a/b", "repo://store/a/f", "repo://store/a/b"},
      {__LINE__, "C:\\a\\b", "repo://store/a/f", "C:\\a\\b"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    PathBuffer buffer(row.path);
    PathMakeRelative(buffer.text, row.base);
    EXPECT_STREQ(buffer.text, row.expected);
  }
  PathBuffer unchanged("C:\\a");
  PathMakeRelative(unchanged.text, nullptr);
  EXPECT_STREQ(unchanged.text, "C:\\a");
}

// Seeded paths and base files full of colons, drives and dots: a path made relative either stays
// as it was or, resolved against the base file's directory, names the same file again.
TEST(PathMakeRelative, ResultsResolveBackToThePath) {
  std::mt19937 random(2012);
  const std::vector<std::string> starts = {"C:\\", "c:\\", "C:", "\\", "ab:", "D:\\"};
  const std::vector<std::string> parts = {"a", "B", "f:txt", "x:", ":", "ab", "..", ".", "C:"};
  auto make = [&] {
    std::string text = starts[random() % starts.size()];
    const int count = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < count; ++i) {
      if (i > 0) text += random() % 4 == 0 ? "/" : "\\";
      text += parts[random() % parts.size()];
    }
    return text;
  };
  auto folded = [](std::string text) {
    for (char& c : text) c = c == '/' ? '\\' : static_cast<char>(std::tolower(c));
    return text;
  };
  int changed = 0;
  for (int i = 0; i < 4000; ++i) {
    const std::string path = make();
    std::string base = make();
    if (random() % 2 == 0) base = path.substr(0, path.size() / 2) + "\\f";  // a close base
    SCOPED_TRACE("path " + path + " base " + base);
    PathBuffer buffer(path);
    PathMakeRelative(buffer.text, base.c_str());
    if (path == buffer.text) continue;
    ++changed;
    PathBuffer dir;
    ASSERT_EQ(PathSplit(base.c_str(), dir.text, nullptr), 0);
    PathBuffer back(buffer.text);
    PathBuffer original(path);
    ASSERT_EQ(PathResolve(back.text, dir.text), 0);
    ASSERT_EQ(PathResolve(original.text, nullptr), 0);
    ASSERT_EQ(folded(back.text), folded(original.text)) << "made relative: " << buffer.text;
  }
  EXPECT_GT(changed, 400);
}

// A relative form longer than a path may be leaves the path as it was.
TEST(PathMakeRelative, ResultsBeyondTheLimitLeaveThePath) {
  std::string dir = "C:\\a";
  for (int i = 0; i < 1000; ++i) dir += "\\b";
  const std::string base = dir + "\\f";
  std::string ups;
  for (int i = 0; i < 1000; ++i) ups += "..\\";
  // The ".." run and the tail make 4096 bytes: one too many.
  const std::string tooLong = "C:\\a\\" + std::string(1096, 't');
  PathBuffer buffer(tooLong);
  PathMakeRelative(buffer.text, base.c_str());
  EXPECT_STREQ(buffer.text, tooLong.c_str());
  // Shorter runs go through.
  std::string near = "C:\\a";
  for (int i = 0; i < 10; ++i) near += "\\b";
  PathBuffer shorter("C:\\a\\" + std::string(1000, 't'));
  PathMakeRelative(shorter.text, (near + "\\f").c_str());
  EXPECT_EQ(std::string(shorter.text), ups.substr(0, 30) + std::string(1000, 't'));
}

TEST(PathMakeRelative, NetworkPathsAskNetLib) {
  FakeNetLib net;
  net.texts["GetRelativeURL"] = "b/g%20x";
  PathBuffer buffer("http://h/a/b/g%20x");
  PathMakeRelative(buffer.text, "http://h/a/f");
  EXPECT_STREQ(buffer.text, "b\\g x");
  PathBuffer local("http://h/a/b");
  PathMakeRelative(local.text, "C:\\a\\f");
  EXPECT_STREQ(local.text, "http://h/a/b");
  EXPECT_EQ(net.outstanding, 0);
}

TEST(PathAppendComponent, Table) {
  struct Row {
    int line;
    const char* text;
    const char* component;
    int size;
    const char* expected;
    int result;
  };
  const Row rows[] = {
      {__LINE__, "C:\\a", "b", 100, "C:\\a\\b", 6},
      {__LINE__, "C:\\a\\", "b", 100, "C:\\a\\b", 6},
      {__LINE__, "C:", "b", 100, "C:\\b", 4},
      {__LINE__, "", "b", 100, "b", 1},
      {__LINE__, "C:\\a", "", 100, "C:\\a", 0},
      {__LINE__, "C:\\a", "bcd", 8, "C:\\a", 0},  // would not fit whole
      {__LINE__, "C:\\a", "bc", 8, "C:\\a\\bc", 7},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    PathBuffer buffer(row.text);
    EXPECT_EQ(PathAppendComponent(buffer.text, row.component, row.size), row.result);
    EXPECT_STREQ(buffer.text, row.expected);
  }
  EXPECT_EQ(PathAppendComponent(nullptr, "x", 10), 0);
}

TEST(PathCutLast, Table) {
  struct Row {
    int line;
    const char* text;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "C:\\a\\b", "C:\\a"}, {__LINE__, "C:\\a", "C:"}, {__LINE__, "C:a", "C:"},
      {__LINE__, "C:", "C:"},          {__LINE__, "abc", ""},     {__LINE__, "a/b", "a"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    PathBuffer buffer(row.text);
    char* end = PathCutLast(buffer.text, buffer.text + std::strlen(buffer.text));
    EXPECT_STREQ(buffer.text, row.expected);
    EXPECT_EQ(end, buffer.text + std::strlen(row.expected));
  }
}

std::vector<std::string> Components(const char* text) {
  PathComponentReader reader;
  PathComponentReaderStart(&reader, text);
  std::vector<std::string> parts;
  while (PathComponentReaderNext(&reader) != 0) parts.push_back(reader.component);
  return parts;
}

TEST(PathComponentReader, ReadsBackslashSeparatedComponents) {
  EXPECT_EQ(Components("\\\\a\\b/c\\\\d\\"), (std::vector<std::string>{"a", "b/c", "d"}));
  EXPECT_TRUE(Components("").empty());
  EXPECT_TRUE(Components(nullptr).empty());
}

TEST(PathComponentReader, CutsOverLongComponentsOnCharacterBoundaries) {
  ScopedDialogEncoding utf8(kDialogUtf8);
  // 1022 bytes, then a two-byte character that would straddle the limit.
  const std::string longPart = std::string(1022, 'a') + "\xC3\xA9" + "zzz";
  const std::string text = longPart + "\\next";
  PathComponentReader reader;
  PathComponentReaderStart(&reader, text.c_str());
  ASSERT_EQ(PathComponentReaderNext(&reader), 1);
  EXPECT_EQ(reader.cut, 1);
  EXPECT_EQ(std::string(reader.component), std::string(1022, 'a'));
  ASSERT_EQ(PathComponentReaderNext(&reader), 1);
  EXPECT_EQ(reader.cut, 0);
  EXPECT_STREQ(reader.component, "next");
  EXPECT_EQ(PathComponentReaderNext(&reader), 0);
}

}  // namespace

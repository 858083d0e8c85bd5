// File URLs and percent-encoding: the conversion tables, the decoder's edges, and the byte classes.
#include "path/file_url.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "path/path_syntax.h"
#include "tests/path/fake_netlib.h"
#include "tests/path/path_test_support.h"
#include "tests/support/fault_injection.h"

namespace {

const char* const kNull = "(null)";

TEST(UrlEncode, Table) {
  struct Row {
    int line;
    const char* text;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "a b%c", "a%20b%25c"},
      {__LINE__, "\xE9\"\x7F", "\xE9\"\x7F"},  // 0x7F-0xFF and '"' stay
      {__LINE__, "#<>[\\]^`{|}~", "%23%3C%3E%5B%5C%5D%5E%60%7B%7C%7D%7E"},
      {__LINE__, "\x01\x1F/:?&=+", "%01%1F/:?&=+"},
      {__LINE__, "", kNull},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(Take(UrlEncode(row.text)), row.expected);
  }
  EXPECT_EQ(UrlEncode(nullptr), nullptr);
}

TEST(UrlDecode, Table) {
  struct Row {
    int line;
    const char* text;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "a%20b%25c", "a b%c"},
      {__LINE__, "%41%6a", "Aj"},
      {__LINE__, "%%41", "T1"},  // digits are not validated: '%' counts (0x25 - 48) & 15 = 5
      {__LINE__, "a%", "a"},     // a '%' without two bytes after it ends the text
      {__LINE__, "a%4", "a"},
      {__LINE__, "%zz", "3"},  // 'Z' - 55 = 35: only the low four bits count
      {__LINE__, "abc", "abc"},
      {__LINE__, "", kNull},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(Take(UrlDecode(row.text)), row.expected);
  }
}

// Decoding what was encoded gives the text back, for every byte but the terminator.
TEST(UrlEncode, DecodingUndoesEncoding) {
  std::mt19937 rng(16);
  std::uniform_int_distribution<int> byte(1, 255), length(1, 40);
  for (int i = 0; i < 2000; ++i) {
    std::string text(length(rng), ' ');
    for (char& c : text) c = static_cast<char>(byte(rng));
    char* encoded = UrlEncode(text.c_str());
    ASSERT_NE(encoded, nullptr);
    for (const char* p = encoded; *p != '\0'; ++p) {
      ASSERT_FALSE(UrlCharNeedsEscape(static_cast<unsigned char>(*p)) != 0 && *p != '%');
    }
    EXPECT_EQ(Take(UrlDecode(encoded)), text);
    MemFree(encoded);
  }
}

TEST(UrlDecodeToPath, Table) {
  struct Row {
    int line;
    const char* text;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "a%2Fb/c", "a/b\\c"},
      {__LINE__, "%00x", "%00x"},
      {__LINE__, "100%", "100%"},
      {__LINE__, "%4", "%4"},
      {__LINE__, "%41%4g", "A%4g"},
      {__LINE__, "%e9", "\xE9"},
      {__LINE__, "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    PathBuffer buffer(row.text);
    UrlDecodeToPath(buffer.text);
    EXPECT_STREQ(buffer.text, row.expected);
  }
  UrlDecodeToPath(nullptr);
}

TEST(UrlBytes, ClassesAndHexPairs) {
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    const bool delimiter = b == '<' || b == '>' || b == '#';
    const bool unsafe =
        std::string("[\\]^`{|}~%").find(static_cast<char>(b)) != std::string::npos && b != 0;
    EXPECT_EQ(UrlCharIsDelimiter(b), delimiter ? 1 : 0);
    EXPECT_EQ(UrlCharIsUnsafe(b), unsafe ? 1 : 0);
    EXPECT_EQ(UrlCharNeedsEscape(b), b <= 0x20 || delimiter || unsafe ? 1 : 0);
  }
  EXPECT_EQ(HexPairValue('a', 'F'), 0xAF);
  EXPECT_EQ(HexPairValue('0', '9'), 0x09);
  EXPECT_EQ(HexPairValue('g', '1') & 0xFF, 0);
  EXPECT_EQ(HexPairValue('1', ' ') & 0xFF, 0);
  EXPECT_EQ(IsRepositoryName("repo://x"), 1);
  EXPECT_EQ(IsRepositoryName("repo:/x"), 0);
  EXPECT_EQ(IsRepositoryName(nullptr), 0);
}

TEST(FileUrl, FromPathTable) {
  struct Row {
    int line;
    const char* path;
    int syntax;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "C:\\My Docs\\a#b.doc", 0, "file:///C:/My%20Docs/a%23b.doc"},
      {__LINE__, "\\\\srv\\share\\x", 0, "file:////srv/share/x"},
      {__LINE__, "\\x\\y", 0, "file:///x/y"},  // a rooted path is no network share
      {__LINE__, "/x", 4, "file:///x"},
      {__LINE__, "/usr/x", 2, "file:///usr/x"},
      {__LINE__, "Disk:Folder:File", 3, "file:///Disk/Folder/File"},
      {__LINE__, "dir\\my file", 0, "file:///dir/my%20file"},
      {__LINE__, "::dir:f", 3, "file://///dir/f"},
      {__LINE__, "a/b\\c", 4, "file:///a/b/c"},
      {__LINE__, "repo://a b", 0, "repo://a b"},
      {__LINE__, "", 0, kNull},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(Take(FileUrlFromPath(row.path, row.syntax)), row.expected);
  }
}

TEST(FileUrl, RelativeTable) {
  struct Row {
    int line;
    const char* path;
    int syntax;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "dir\\my file", 0, "dir/my%20file"},
      {__LINE__, "::dir:f", 3, "../dir/f"},
      {__LINE__, ":::a b:f", 3, "../../a%20b/f"},
      {__LINE__, "name.doc", 0, "name.doc"},
      {__LINE__, "a b/c", 2, "a b/c"},
      {__LINE__, "repo://x\\y", 0, "repo://x\\y"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(Take(RelativeUrlFromPath(row.path, row.syntax)), row.expected);
  }
  EXPECT_EQ(Take(UrlFromPath("name.doc")), "name.doc");
  EXPECT_EQ(Take(UrlFromPath("C:\\a b")), "file:///C:/a%20b");
  EXPECT_EQ(Take(UrlFromPath("a\\b c")), "a/b%20c");
  EXPECT_EQ(Take(UrlFromPathInSyntax("/a b", 2)), "file:///a%20b");
  EXPECT_EQ(Take(UrlFromPathInSyntax("a:b", 3)), "file:///a/b");
}

// A relative colon path of nothing but colons: every one after the first becomes "../", three
// bytes each; the work buffer must hold them all.
TEST(FileUrl, LeadingColonsNeverOverflow) {
  for (int n : {2, 50, 200, 1000, 4000}) {
    SCOPED_TRACE(n);
    const std::string path(n, ':');
    std::string expected;
    for (int i = 1; i < n; ++i) expected += "../";
    EXPECT_EQ(Take(RelativeUrlFromPath((path + "x:y").c_str(), 3)), expected + "x/y");
  }
}

TEST(FileUrl, ToPathTable) {
  struct Row {
    int line;
    const char* url;
    int syntax;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "file:///C:/My%20Docs/a.doc", 0, "C:\\My Docs\\a.doc"},
      {__LINE__, "file:////srv/share/x", 0, "\\\\srv\\share\\x"},
      {__LINE__, "file://///srv/share/x", 0, "\\\\srv\\share\\x"},
      {__LINE__, "file:///usr/x", 0, "/usr/x"},
      {__LINE__, "file:/usr/x", 0, "/usr/x"},
      {__LINE__, "file://srv/x", 0, "\\\\srv\\x"},
      {__LINE__, "file:relative/x", 0, kNull},
      {__LINE__, "file:C:/x", 0, "C:\\x"},
      {__LINE__, "file:///C:/x", 2, "/C:/x"},
      {__LINE__, "file:///Disk:f", 3, "Disk:f"},
      {__LINE__, "http:/x", 0, kNull},
      {__LINE__, "file:", 0, kNull},
      {__LINE__, "file:/", 0, "/"},
      // A byte that decodes to 0 would end the name early, naming another file.
      {__LINE__, "file:///C:/a%00b.txt", 0, kNull},
      {__LINE__, "file:///C:/a%0Gb.txt", 0, kNull},
      {__LINE__, "file:///usr/a%00b", 2, kNull},
      {__LINE__, "file:////srv/share/%00", 0, kNull},
      {__LINE__, "file:///Disk:a%00:b", 3, kNull},
      {__LINE__, "file:///C:/a%01b.txt", 0, "C:\\a\x01" "b.txt"},
      {__LINE__, "repo://s/x", 0, "repo://s/x"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(Take(PathFromFileUrl(row.url, row.syntax)), row.expected);
  }
  EXPECT_EQ(Take(PathFromUrl("file:///C:/a%20b")), "C:\\a b");
  EXPECT_EQ(Take(PathFromUrl("repo://store/x")), "repo://store/x");
  EXPECT_EQ(Take(PathFromUrl("dir/a%20b")), "dir\\a b");
  EXPECT_EQ(Take(PathFromUrl("a%20b")), "a%20b");  // no slash: as it is
  EXPECT_EQ(Take(PathFromUrl("%00/x")), kNull);    // decodes to nothing
  EXPECT_EQ(Take(PathFromUrl("file:///C:/a%00b.txt")), kNull);
  EXPECT_EQ(Take(RelativePathFromUrl("dir/a%00b/c")), kNull);
  EXPECT_EQ(Take(RelativePathFromUrl("dir/a%0gb/c")), kNull);
  EXPECT_EQ(Take(RelativePathFromUrl("dir/a%41b/c")), "dir\\aAb\\c");
  EXPECT_EQ(Take(PathFromUrl("")), kNull);
}

// Absolute paths come back from their file URLs as the same file: the same text, or for a path
// rooted without a drive, the same text in slash syntax.
TEST(FileUrl, AbsolutePathsRoundTrip) {
  std::mt19937 rng(73);
  const char* starts[] = {"C:\\", "\\\\srv\\", "\\", "d:\\"};
  const char* parts[] = {"a", "b c", "50%", "#x", "\xE9t\xE9", "[1]", "~u"};
  for (int i = 0; i < 2000; ++i) {
    const std::string start = starts[rng() % 4];
    std::string path = start;
    for (int n = 1 + static_cast<int>(rng() % 4); n > 0; --n) {
      path += std::string(parts[rng() % 7]) + (n > 1 ? "\\" : "");
    }
    SCOPED_TRACE(path);
    std::string expected = path;
    if (start == "\\") {
      for (char& c : expected) c = c == '\\' ? '/' : c;
    }
    char* url = UrlFromPath(path.c_str());
    EXPECT_EQ(Take(PathFromUrl(url)), expected) << url;
    MemFree(url);
  }
}

TEST(FileUrl, NetworkNamesPassUnchanged) {
  FakeNetLib net;
  EXPECT_EQ(Take(UrlFromPath("http://h/a b")), "http://h/a b");
  EXPECT_EQ(Take(PathFromFileUrl("http://h/a%20b", 0)), "http://h/a%20b");
  EXPECT_EQ(Take(PathFromUrl("http://h/a%20b")), "http://h/a%20b");
}

TEST(FileUrl, AbsoluteInSyntax) {
  struct Row {
    int line;
    const char* text;
    int syntax;
    int expected;
  };
  const Row rows[] = {
      {__LINE__, "/x", 2, 1},  {__LINE__, "x/y", 2, 0},   {__LINE__, "a:b", 3, 1},
      {__LINE__, ":b", 3, 0},  {__LINE__, "C:\\x", 0, 1}, {__LINE__, "x", 4, 0},
      {__LINE__, "\\x", 4, 1}, {__LINE__, "C:\\x", 1, 0}, {__LINE__, "", 2, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(PathIsAbsoluteInSyntax(row.text, row.syntax), row.expected);
  }
}

TEST(FileUrl, ShortMemoryGivesNull) {
  ScopedAllocationFailure refuse;
  EXPECT_EQ(UrlEncode("a b"), nullptr);
  EXPECT_EQ(UrlDecode("a%20b"), nullptr);
  EXPECT_EQ(FileUrlFromPath("C:\\x", 0), nullptr);
  EXPECT_EQ(RelativeUrlFromPath("a\\b", 0), nullptr);
  EXPECT_EQ(PathFromFileUrl("file:///C:/x", 0), nullptr);
}

}  // namespace

// Path syntaxes and the portable form: tables of conversions, the refusals of paths the form cannot
// carry, a seeded round trip, and classification.
#include "path/path_syntax.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bridge/host_errno.h"
#include "path/path_text.h"
#include "tests/path/fake_netlib.h"
#include "tests/path/path_test_support.h"
#include "tests/support/fault_injection.h"

namespace {

struct PathDeleter {
  void operator()(FilePath* path) const { PathFree(path); }
};
using PathPtr = std::unique_ptr<FilePath, PathDeleter>;

const char* const kFails = "(fails)";

// The decoded text, or kFails; a failure must leave the promised empty text behind.
std::string Decode(const std::string& portable) {
  PathBuffer out("junk");
  if (PortableToPlatform(portable.c_str(), out.text) == 0) return out.text;
  EXPECT_EQ(out.text[0], '\0') << "after a failure out begins \"" << std::string(out.text, 8);
  return kFails;
}

// The portable form of a path object holding text as it stands (flags 0), or kFails.
std::string Encode(const char* text, const char* other = nullptr) {
  PathPtr path(PathNewFromText(text));
  PathPtr base(other != nullptr ? PathNewFromText(other) : nullptr);
  char* out = nullptr;
  int length = -1;
  const int result = PathToPortable(path.get(), base.get(), &out, &length);
  if (result != 0) return kFails;
  EXPECT_EQ(static_cast<int>(std::strlen(out)), length);
  return Take(out);
}

TEST(PortableToPlatform, Table) {
  struct Row {
    int line;
    const char* portable;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "<v>C:<r><c>dir<c>file", "C:\\dir\\file"},
      {__LINE__, "<v>C:<c>dir<u><c>f", "C:\\dir\\..\\f"},
      {__LINE__, "<u><c>a", "..\\a"},
      {__LINE__, "C:\\x", kFails},
      {__LINE__, "<c>a<r>", kFails},  // root after output
      {__LINE__, "<c>abc<r>", kFails},
      {__LINE__, "<c>abc<c>d<u><h>x", kFails},
      {__LINE__, "<h>srv<c>x", "\\srv\\x"},
      {__LINE__, "<c>a<h>b", kFails},
      {__LINE__, "<c>a<v>C:", kFails},
      {__LINE__, "<r><u>", kFails},
      {__LINE__, "<h>s<u>", kFails},
      {__LINE__, "<r>ignored<c>x", "\\x"},
      {__LINE__, "<c>a\\<b<c>c", "a<b\\c"},  // an escaped '<' is text
      {__LINE__, "<c>a<z>skipped<c>b", "a\\b"},
      {__LINE__, "<c>a<c", "a"},  // an incomplete marker ends the reading
      {__LINE__, "", kFails},
      {__LINE__, "<z>x", kFails},  // nothing written
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(Decode(row.portable), row.expected);
  }
}

TEST(PortableToPlatform, OverLongMarkersAndResultsFail) {
  EXPECT_EQ(Decode("<c>" + std::string(1023, 'a')), std::string(1023, 'a'));
  EXPECT_EQ(Decode("<c>" + std::string(1024, 'a')), kFails);
  std::string many;
  for (int i = 0; i < 4; ++i) many += "<c>" + std::string(1000, 'a' + i);
  EXPECT_EQ(Decode(many).size(), 4003u);
  many += "<c>" + std::string(100, 'e');
  EXPECT_EQ(Decode(many), kFails);  // 4104 bytes would not fit
  EXPECT_EQ(PathFromPortableName(("<c>" + std::string(1024, 'a')).c_str(), nullptr), nullptr);
}

TEST(PathToPortable, Table) {
  struct Row {
    int line;
    const char* path;
    const char* other;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "C:\\dir\\..\\f", nullptr, "<v>C:<c>dir<u><c>f"},
      {__LINE__, "\\x\\y", nullptr, "<r><c>x<c>y"},
      {__LINE__, "/x", nullptr, "<r><c>x"},
      {__LINE__, "C:\\a\\.\\b", nullptr, "<v>C:<c>a<c>b"},
      {__LINE__, "C:\\a\\c\\g.txt", "C:\\a\\b\\f.txt", "<u><c>c<c>g.txt"},
      {__LINE__, "a\\\\b\\", nullptr, "<c>a<c>b"},
      {__LINE__, "C:", nullptr, "<v>C:"},
      // Forms that would decode to another file are refused.
      {__LINE__, "\\\\srv\\x", nullptr, kFails},
      {__LINE__, "C:\\a<b", nullptr, kFails},
      {__LINE__, "C:x", nullptr, kFails},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(Encode(row.path, row.other), row.expected);
  }
  const std::string longComponent = "C:\\" + std::string(1024, 'n');
  EXPECT_EQ(Encode(longComponent.c_str()), kFails);
}

TEST(PathToPortable, MisuseAndFailures) {
  char* out = nullptr;
  int length = 0;
  EXPECT_EQ(PathToPortable(nullptr, nullptr, &out, &length), 1);
  FilePath forged{0, 0, nullptr};
  EXPECT_EQ(PathToPortable(&forged, nullptr, &out, &length), 1);
  PathPtr noBase(PathFromName("C:\\x", nullptr));
  ASSERT_EQ(noBase->flags, PathFlagNoBase);
  EXPECT_EQ(RaisedCode([&] { PathToPortable(noBase.get(), nullptr, &out, &length); }),
            static_cast<long>(kMemFatalCode));
  PathPtr good(PathNewFromText("C:\\x"));
  EXPECT_EQ(RaisedCode([&] { PathToPortable(good.get(), nullptr, nullptr, &length); }),
            static_cast<long>(kMemFatalCode));
  EXPECT_EQ(RaisedCode([&] { PathToPortable(good.get(), noBase.get(), &out, &length); }),
            static_cast<long>(kMemFatalCode));
  ScopedAllocationFailure refuse;
  EXPECT_EQ(PathToPortable(good.get(), nullptr, &out, &length), -1);
}

// A path of plain components (and "..", where the form allows it) comes back as the same text.
TEST(PathToPortable, RoundTripsThroughTheDecoder) {
  std::mt19937 rng(7);
  const std::vector<std::string> parts = {"a", "bc", "..", "d e", "x.y", "\xC3\xA9", "a>b"};
  const std::vector<std::string> starts = {"", "\\", "C:\\"};
  ScopedDialogEncoding utf8(kDialogUtf8);
  for (int i = 0; i < 3000; ++i) {
    const std::string start = starts[rng() % starts.size()];
    std::string text = start;
    const int count = 1 + static_cast<int>(rng() % 6);
    for (int c = 0; c < count; ++c) {
      std::string part = parts[rng() % parts.size()];
      if (part == ".." && start == "\\" && c == 0) part = "a";  // no way up from the root
      text += (c > 0 ? "\\" : "") + part;
    }
    SCOPED_TRACE(text);
    const std::string portable = Encode(text.c_str());
    ASSERT_NE(portable, kFails);
    EXPECT_EQ(Decode(portable), text) << portable;
  }
}

TEST(PathClassify, Table) {
  struct Row {
    int line;
    const char* text;
    int expected;
  };
  const Row rows[] = {
      {__LINE__, "a/b", 2},    {__LINE__, "Disk:Folder:File", 3},
      {__LINE__, "C:\\x", 4},  {__LINE__, "C:x", 4},
      {__LINE__, "name", 0},   {__LINE__, "<c>x", 0},
      {__LINE__, "<c>xy", 1},  {__LINE__, "My Disk:f/g", 3},
      {__LINE__, "", 0},       {__LINE__, "/", 2},
      {__LINE__, "/x", 2},     {__LINE__, "./", 2},
      {__LINE__, "./x", 2},    {__LINE__, "../x", 2},
      {__LINE__, "a\\b", 4},   {__LINE__, "a:b", 4},
      {__LINE__, "1:x", 3},    {__LINE__, "C:", 3},
      {__LINE__, "a b", 0},    {__LINE__, "<q>xyz", 0},
      {__LINE__, "a\\b/c", 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(PathClassify(row.text), row.expected);
  }
  FakeNetLib net;
  EXPECT_EQ(PathClassify("http://h/a:b/c"), 4);
}

TEST(PathToText, SyntaxesAndErrors) {
  PathPtr path(PathNewFromText("C:\\a\\.\\b"));
  EXPECT_EQ(Take(PathToText(path.get(), 0)), "C:\\a\\.\\b");
  EXPECT_EQ(Take(PathToText(path.get(), 4)), "C:\\a\\.\\b");
  EXPECT_EQ(Take(PathToText(path.get(), 2)), "C:/a/./b");
  EXPECT_EQ(Take(PathToText(path.get(), 1)), "<v>C:<c>a<c>b");
  for (int syntax : {3, 5, -1}) {
    SCOPED_TRACE(syntax);
    HostErrno = 0;
    EXPECT_EQ(PathToText(path.get(), syntax), nullptr);
    EXPECT_EQ(HostErrno, kPathErrUnsupportedSyntax);
  }
  HostErrno = 0;
  EXPECT_EQ(PathToText(nullptr, 0), nullptr);
  EXPECT_EQ(HostErrno, kPathErrUnsupportedSyntax);
  HostErrno = 0;
  EXPECT_EQ(PathFromText("a:b", nullptr, 3), nullptr);
  EXPECT_EQ(HostErrno, 0);
  PathPtr noBase(PathFromName("C:\\x", nullptr));
  EXPECT_EQ(PathToText(noBase.get(), 1), nullptr);  // no portable form, and no fatal error
  HostErrno = 0;
}

// In Shift-JIS 0x5C is also a trail byte: "表" is 95 5C and must survive the slash syntax.
TEST(PathToText, SlashSyntaxStepsOverDoubleByteCharacters) {
  ScopedDialogEncoding sjis(kDialogShiftJis);
  PathPtr path(PathNewFromText("C:\\\x95\x5C\\f"));
  EXPECT_EQ(Take(PathToText(path.get(), 2)), "C:/\x95\x5C/f");
  EXPECT_EQ(Encode("C:\\\x95\x5C\\f"), "<v>C:<c>\x95\x5C<c>f");
  EXPECT_EQ(Decode("<v>C:<c>\x95\x5C<c>f"), "C:\\\x95\x5C\\f");
}

// A broken UTF-8 sequence must not swallow the '<' of the marker after it: "\xF0" announces four
// bytes, and the volume "\xF0:" is followed by "<c>".
TEST(PathToPortable, BrokenSequencesNeverSwallowAMarker) {
  ScopedDialogEncoding utf8(kDialogUtf8);
  EXPECT_EQ(Decode("<v>\xF0:<c>x"), "\xF0:\\x");
  EXPECT_EQ(Decode("<c>a\xF0<c>b"), "a\xF0\\b");
  const std::string portable = Encode("\xF0:\\C\xCE`");
  EXPECT_EQ(portable, "<v>\xF0:<c>C\xCE`");
  EXPECT_EQ(Decode(portable), "\xF0:\\C\xCE`");
  EXPECT_EQ(Encode("<:\\x"), kFails);  // a volume that would read as a marker
}

TEST(PathFromPortableName, ResolvesAndFlagsAsFromName) {
  PathPtr base(PathFromDriveName("C:\\d\\file", nullptr));
  PathPtr path(PathFromPortableName("<u><c>x", base.get()));
  ASSERT_NE(path, nullptr);
  EXPECT_STREQ(path->text, "C:\\x");
  EXPECT_EQ(path->flags, PathFlagNoBase);
  EXPECT_EQ(PathFromPortableName("C:\\x", nullptr), nullptr);
  EXPECT_EQ(PathFromPortableName(nullptr, nullptr), nullptr);
}

}  // namespace

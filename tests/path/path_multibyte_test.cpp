// Paths in the double-byte encodings and UTF-8: random components whose characters may end in a
// byte that is also a backslash (0x5C) are never split there, by any path operation.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "path/file_url.h"
#include "path/path_syntax.h"
#include "path/path_text.h"
#include "tests/path/path_test_support.h"

namespace {

// A random character of the encoding: ASCII letters, and two-byte characters whose trail byte is
// often 0x5C (or, in UTF-8, sequences of two to four bytes).
std::string RandomChar(std::mt19937& rng, DialogEncoding encoding) {
  if (rng() % 3 == 0) return std::string(1, static_cast<char>('a' + rng() % 26));
  if (encoding == kDialogUtf8) {
    static const char* const samples[] = {"\xC3\xA9", "\xE8\xA1\xA8", "\xF0\x9F\x98\x80"};
    return samples[rng() % 3];
  }
  const LeadTrailTable* table = EncLeadTrailTable(encoding);
  std::vector<int> leads, trails;
  for (int b = 0x80; b < 256; ++b) {
    if (table->lead[b]) leads.push_back(b);
  }
  for (int b = 0x21; b < 256; ++b) {
    if (table->trail[b]) trails.push_back(b);
  }
  const int trail = table->trail[0x5C] && rng() % 2 == 0 ? 0x5C : trails[rng() % trails.size()];
  return {static_cast<char>(leads[rng() % leads.size()]), static_cast<char>(trail)};
}

class PathMultibyte : public ::testing::TestWithParam<DialogEncoding> {};

TEST_P(PathMultibyte, SeparatorsAreFoundOnlyBetweenCharacters) {
  ScopedDialogEncoding encoding(GetParam());
  std::mt19937 rng(500 + GetParam());
  for (int i = 0; i < 1500; ++i) {
    std::vector<std::string> parts(1 + rng() % 5);
    for (std::string& part : parts) {
      const int length = 1 + static_cast<int>(rng() % 4);
      for (int c = 0; c < length; ++c) part += RandomChar(rng, GetParam());
    }
    std::string dir = "C:";
    for (size_t p = 0; p + 1 < parts.size(); ++p) dir += "\\" + parts[p];
    const std::string text = dir + "\\" + parts.back();
    SCOPED_TRACE(::testing::PrintToString(text));
    if (dir == "C:") dir = "C:\\";

    PathBuffer splitDir;
    char name[kPathComponentSize];
    ASSERT_EQ(PathSplit(text.c_str(), splitDir.text, name), 0);
    EXPECT_EQ(std::string(splitDir.text), dir);
    EXPECT_EQ(std::string(name), parts.back());

    PathComponentReader reader;
    PathComponentReaderStart(&reader, text.c_str() + 2);
    std::vector<std::string> read;
    while (PathComponentReaderNext(&reader) != 0) read.push_back(reader.component);
    EXPECT_EQ(read, parts);

    PathBuffer resolved(text);
    ASSERT_EQ(PathResolve(resolved.text, nullptr), 0);
    EXPECT_EQ(std::string(resolved.text), text);

    PathBuffer cut(text);
    PathCutLast(cut.text, cut.text + text.size());
    EXPECT_EQ(std::string(cut.text), parts.size() == 1 ? "C:" : dir);

    FilePath* path = PathNewFromText(text.c_str());
    std::string slashed = "C:";
    for (const std::string& part : parts) slashed += "/" + part;
    EXPECT_EQ(Take(PathToText(path, PathSyntaxSlash)), slashed);
    char* portable = nullptr;
    int length = 0;
    ASSERT_EQ(PathToPortable(path, nullptr, &portable, &length), 0);
    PathBuffer decoded;
    EXPECT_EQ(PortableToPlatform(portable, decoded.text), 0);
    EXPECT_EQ(std::string(decoded.text), text);
    MemFree(portable);
    PathFree(path);

    char* url = UrlFromPath(text.c_str());
    EXPECT_EQ(Take(PathFromUrl(url)), text);
    MemFree(url);

    const std::string sibling = text + "x\\f";
    PathBuffer relative(sibling);
    PathMakeRelative(relative.text, text.c_str());
    EXPECT_EQ(std::string(relative.text), parts.back() + "x\\f");
  }
}

INSTANTIATE_TEST_SUITE_P(Encodings, PathMultibyte,
                         ::testing::Values(kDialogShiftJis, kDialogBig5, kDialogGb2312,
                                           kDialogKsc5601, kDialogUtf8));

}  // namespace

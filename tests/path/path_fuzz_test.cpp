// Seeded fuzzing of every path and URL operation that takes untrusted text: random bytes, runs of
// separators, dots, '%' and markers, in every dialog encoding. Under AddressSanitizer any read or
// write past a buffer fails; the checks here are the invariants every result keeps.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "path/file_url.h"
#include "path/path_syntax.h"
#include "path/path_text.h"
#include "tests/path/path_test_support.h"

namespace {

std::string RandomText(std::mt19937& rng, size_t maxLength) {
  static const std::string pieces[] = {
      "\\",  "/", ":", ".",       "..", "%", "%4",   "%41",  "<c>",  "<u>",      "<v>", "<r>",
      "<h>", "$", "~", "repo://", "C:", "a", "\x95", "\x5C", "\xC3", "\xE8\xA1", " ",   "#"};
  std::string text;
  const size_t length = rng() % (maxLength + 1);
  while (text.size() < length) {
    if (rng() % 4 == 0)
      text += static_cast<char>(1 + rng() % 255);
    else
      text += pieces[rng() % (sizeof pieces / sizeof pieces[0])];
  }
  return text;
}

class PathFuzz : public ::testing::TestWithParam<DialogEncoding> {};

TEST_P(PathFuzz, OperationsStayInsideTheirBuffers) {
  ScopedDialogEncoding encoding(GetParam());
  std::mt19937 rng(4242 + GetParam());
  for (int i = 0; i < 1500; ++i) {
    // Mostly short texts, now and then some near and past the buffer limit.
    const size_t limit = rng() % 10 == 0 ? 5000 : 60;
    const std::string text = RandomText(rng, limit);
    const std::string base = RandomText(rng, limit);
    SCOPED_TRACE(i);
    if (text.size() <= kPathTextMax) {
      PathBuffer buffer(text);
      PathResolve(buffer.text, base.c_str());
      EXPECT_LE(std::strlen(buffer.text), static_cast<size_t>(kPathTextMax));
      PathBuffer relative(text);
      PathMakeRelative(relative.text, base.c_str());
      EXPECT_LE(std::strlen(relative.text), static_cast<size_t>(kPathTextMax));
      PathBuffer decoded(text);
      UrlDecodeToPath(decoded.text);
      EXPECT_LE(std::strlen(decoded.text), text.size());
      PathBuffer appended(text);
      PathAppendComponent(appended.text, base.c_str(), kPathBufferSize);
      EXPECT_LE(std::strlen(appended.text), static_cast<size_t>(kPathTextMax));
    }
    PathBuffer dir;
    char name[kPathComponentSize];
    PathSplit(text.c_str(), dir.text, name);
    PathBuffer platform;
    if (PortableToPlatform(text.c_str(), platform.text) == 0) {
      EXPECT_LE(std::strlen(platform.text), static_cast<size_t>(kPathTextMax));
    }
    const int syntax = PathClassify(text.c_str());
    EXPECT_TRUE(syntax >= 0 && syntax <= 4);
    PathComponentReader reader;
    PathComponentReaderStart(&reader, text.c_str());
    while (PathComponentReaderNext(&reader) != 0) {
      EXPECT_LT(std::strlen(reader.component), static_cast<size_t>(kPathComponentSize));
    }
    char* decodedUrl = UrlDecode(text.c_str());
    if (decodedUrl != nullptr) {
      EXPECT_LE(std::strlen(decodedUrl), text.size());
    }
    MemFree(decodedUrl);
    for (int s = 0; s <= 4; ++s) {
      MemFree(FileUrlFromPath(text.c_str(), s));
      MemFree(RelativeUrlFromPath(text.c_str(), s));
      MemFree(PathFromFileUrl(text.c_str(), s));
    }
    MemFree(PathFromUrl(text.c_str()));
    FilePath* path = PathFromText(text.c_str(), nullptr, static_cast<int>(rng() % 5));
    if (path != nullptr) {
      for (int s : {0, 1, 2, 4}) MemFree(PathToText(path, s));
      MemFree(PathLeafName(path));
      PathFree(path);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Encodings, PathFuzz,
                         ::testing::Values(kDialogHostRoman, kDialogShiftJis, kDialogBig5,
                                           kDialogUtf8));

}  // namespace

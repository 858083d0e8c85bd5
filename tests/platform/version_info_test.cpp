// Version resources read by path: the strings and fixed information of a module file, the
// sub-block paths VerQueryValueA takes and refuses, cut buffers, files without resources, refused
// reads, and damaged blocks that must never be read past.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "platform/platform_calls.h"
#include "platform/win_version.h"
#include "tests/support/fault_injection.h"

namespace {

std::vector<char> ReadBlock(const char* path) {
  const DWORD size = GetFileVersionInfoSizeA(path, nullptr);
  std::vector<char> block(size);
  if (size == 0 || !GetFileVersionInfoA(path, 0, size, block.data())) block.clear();
  return block;
}

// The string at subBlock, or "(none)".
std::string Query(const void* block, const char* subBlock) {
  void* value = reinterpret_cast<void*>(1);
  UINT length = 99;
  if (!VerQueryValueA(block, subBlock, &value, &length)) {
    EXPECT_EQ(value, nullptr);
    EXPECT_EQ(length, 0u);
    return "(none)";
  }
  return std::string(static_cast<const char*>(value), length);
}

// Every sub-block the tests look up, valid or not.
const char* const kSubBlocks[] = {
    "\\",
    "\\VarFileInfo\\Translation",
    "\\StringFileInfo\\040904b0\\ClientName",
    "\\StringFileInfo\\040904b0\\ClientVendor",
    "\\StringFileInfo\\040904b0\\Empty",
    "\\StringFileInfo\\040704b0\\ClientName",
    "\\StringFileInfo\\040904b0\\Missing",
    "\\StringFileInfo\\040904b0",
};

}  // namespace

TEST(VersionInfo, StringsByPath) {
  const std::vector<char> block = ReadBlock(TEST_MODULE_PATH);
  ASSERT_FALSE(block.empty());
  using namespace std::string_literals;
  struct Row {
    int line;
    const char* subBlock;
    std::string expected;  // the value's bytes as returned, zero included
  } rows[] = {
      {__LINE__, "\\StringFileInfo\\040904b0\\ClientName", "Test Module\0"s},
      {__LINE__, "\\StringFileInfo\\040904b0\\ClientVendor", "Tansel \"Tests\"\0"s},
      {__LINE__, "\\StringFileInfo\\040904b0\\Empty", "\0"s},
      {__LINE__, "\\StringFileInfo\\040704b0\\ClientName", "Testmodul\0"s},
      // Keys compare without regard to case; empty components are skipped.
      {__LINE__, "\\stringfileinfo\\040904B0\\CLIENTNAME", "Test Module\0"s},
      {__LINE__, "StringFileInfo\\040904b0\\ClientName", "Test Module\0"s},
      {__LINE__, "\\\\StringFileInfo\\\\040904b0\\ClientName\\", "Test Module\0"s},
      {__LINE__, "\\VarFileInfo\\Translation", "\x09\x04\xb0\x04\x07\x04\xb0\x04"s},
      // Refused: unknown keys, prefixes and extensions of keys, blocks without a value, paths
      // through a leaf, other tables.
      {__LINE__, "\\StringFileInfo\\040904b0\\ClientType", "(none)"},
      {__LINE__, "\\StringFileInfo\\040904b0\\ClientNam", "(none)"},
      {__LINE__, "\\StringFileInfo\\040904b0\\ClientNameX", "(none)"},
      {__LINE__, "\\StringFileInfo\\040904b0\\ClientName\\More", "(none)"},
      {__LINE__, "\\StringFileInfo\\040904b0", "(none)"},
      {__LINE__, "\\StringFileInfo", "(none)"},
      {__LINE__, "\\StringFileInfo\\040904e4\\ClientName", "(none)"},
      {__LINE__, "\\ClientName", "(none)"},
      {__LINE__, "\\VarFileInfo\\Translation\\", "\x09\x04\xb0\x04\x07\x04\xb0\x04"s},
      {__LINE__, "\\VS_VERSION_INFO", "(none)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(Query(block.data(), row.subBlock), row.expected);
  }
}

TEST(VersionInfo, TheRootIsTheFixedInformation) {
  const std::vector<char> block = ReadBlock(TEST_MODULE_PATH);
  for (const char* root : {"\\", "", "\\\\"}) {
    SCOPED_TRACE(root);
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), root, &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, value, sizeof info);
    EXPECT_EQ(info.dwSignature, VS_FFI_SIGNATURE);
    EXPECT_EQ(info.dwStrucVersion, VS_FFI_STRUCVERSION);
    EXPECT_EQ(info.dwFileVersionMS, 0x00020005u);  // FILEVERSION 2,5,0,17
    EXPECT_EQ(info.dwFileVersionLS, 0x00000011u);
    EXPECT_EQ(info.dwProductVersionMS, 0x00030000u);  // PRODUCTVERSION 3,0,1,0
    EXPECT_EQ(info.dwProductVersionLS, 0x00010000u);
  }
}

TEST(VersionInfo, NullArgumentsFail) {
  const std::vector<char> block = ReadBlock(TEST_MODULE_PATH);
  void* value = nullptr;
  UINT length = 0;
  EXPECT_FALSE(VerQueryValueA(nullptr, "\\", &value, &length));
  EXPECT_FALSE(VerQueryValueA(block.data(), nullptr, &value, &length));
  EXPECT_FALSE(VerQueryValueA(block.data(), "\\", nullptr, &length));
  EXPECT_FALSE(VerQueryValueA(block.data(), "\\", &value, nullptr));
  EXPECT_FALSE(GetFileVersionInfoA(TEST_MODULE_PATH, 0, 64, nullptr));
  char small[5];
  EXPECT_FALSE(GetFileVersionInfoA(TEST_MODULE_PATH, 0, sizeof small, small));
}

TEST(VersionInfo, TheMainProgramReadsItsOwnFile) {
  char path[4096];
  ASSERT_GT(GetModuleFileNameA(nullptr, path, sizeof path), 0u);
  const std::vector<char> block = ReadBlock(path);
  ASSERT_FALSE(block.empty());
  EXPECT_EQ(Query(block.data(), "\\StringFileInfo\\040904b0\\ClientName"),
            std::string("Platform Tests", 15));
}

TEST(VersionInfo, FilesWithoutAVersionResource) {
  const std::filesystem::path text =
      std::filesystem::temp_directory_path() / "tansel_version_info_test.txt";
  std::ofstream(text) << "not a module";
  const std::string textPath = text.string();
  for (const char* path : {BARE_MODULE_PATH, textPath.c_str(), TEST_DATA_DIR "/payload.bin",
                           TEST_DATA_DIR, "/no/such/file", "", static_cast<const char*>(nullptr)}) {
    SCOPED_TRACE(path == nullptr ? "(null)" : path);
    DWORD handle = 77;
    EXPECT_EQ(GetFileVersionInfoSizeA(path, &handle), 0u);
    EXPECT_EQ(handle, 0u);
    char block[4096];
    EXPECT_FALSE(GetFileVersionInfoA(path, 0, sizeof block, block));
  }
  std::filesystem::remove(text);
}

// A buffer shorter than the block receives a cut block; every lookup in it either fails or
// answers what the whole block answers, and never reads past the buffer (the sanitizer would say).
TEST(VersionInfo, CutBuffersStayConsistent) {
  const std::vector<char> whole = ReadBlock(TEST_MODULE_PATH);
  ASSERT_FALSE(whole.empty());
  for (size_t size = 6; size < whole.size(); ++size) {
    SCOPED_TRACE(size);
    std::vector<char> cut(size);
    ASSERT_TRUE(GetFileVersionInfoA(TEST_MODULE_PATH, 0, static_cast<DWORD>(size), cut.data()));
    for (const char* subBlock : kSubBlocks) {
      const std::string answer = Query(cut.data(), subBlock);
      if (answer != "(none)") {
        EXPECT_EQ(answer, Query(whole.data(), subBlock)) << subBlock;
      }
    }
  }
  // The whole block fits: everything is found.
  std::vector<char> exact(whole.size());
  ASSERT_TRUE(
      GetFileVersionInfoA(TEST_MODULE_PATH, 0, static_cast<DWORD>(exact.size()), exact.data()));
  EXPECT_EQ(exact, whole);
}

TEST(VersionInfo, ReadsSurviveShortReadsAndFailWhenRefused) {
  const std::vector<char> whole = ReadBlock(TEST_MODULE_PATH);
  ASSERT_FALSE(whole.empty());

  static long long (*realRead)(int, void*, size_t, long long);
  static int readsLeft;
  realRead = g_platformCalls.ReadAt;
  // Seven bytes at a time: the reader carries on.
  g_platformCalls.ReadAt = [](int fd, void* buffer, size_t bytes, long long offset) {
    return realRead(fd, buffer, bytes < 7 ? bytes : 7, offset);
  };
  EXPECT_EQ(ReadBlock(TEST_MODULE_PATH), whole);

  // The file ends early, or the read fails, at each read in turn: no block.
  for (int allowed = 0; allowed < 3; ++allowed) {  // header, segment table, notes
    SCOPED_TRACE(allowed);
    readsLeft = allowed;
    g_platformCalls.ReadAt = [](int fd, void* buffer, size_t bytes, long long offset) {
      return readsLeft-- > 0 ? realRead(fd, buffer, bytes, offset) : 0;
    };
    EXPECT_EQ(GetFileVersionInfoSizeA(TEST_MODULE_PATH, nullptr), 0u);
    readsLeft = allowed;
    g_platformCalls.ReadAt = [](int fd, void* buffer, size_t bytes, long long offset) {
      return readsLeft-- > 0 ? realRead(fd, buffer, bytes, offset) : -1LL;
    };
    EXPECT_EQ(GetFileVersionInfoSizeA(TEST_MODULE_PATH, nullptr), 0u);
  }
  g_platformCalls.Open = [](const char*, int, unsigned) { return -1; };
  EXPECT_EQ(GetFileVersionInfoSizeA(TEST_MODULE_PATH, nullptr), 0u);
  PlatformCallsReset();

  // Refused memory at each allocation in turn.
  for (long allowed = 0; allowed < 3; ++allowed) {
    SCOPED_TRACE(allowed);
    ScopedAllocationFailure refuse(allowed);
    char block[4096];
    EXPECT_FALSE(GetFileVersionInfoA(TEST_MODULE_PATH, 0, sizeof block, block));
  }
  EXPECT_EQ(ReadBlock(TEST_MODULE_PATH), whole);
}

// Damaged blocks: random bytes changed in a copy held in a buffer of exactly its size. Lookups may
// fail or find something, but what they find lies inside the buffer, and a text ends in its zero.
TEST(VersionInfo, DamagedBlocksAreNeverReadPast) {
  const std::vector<char> whole = ReadBlock(TEST_MODULE_PATH);
  ASSERT_FALSE(whole.empty());
  std::mt19937 random(20240611);
  for (int round = 0; round < 3000; ++round) {
    std::vector<char> damaged = whole;
    const int changes = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < changes; ++i) {
      damaged[random() % damaged.size()] = static_cast<char>(random());
    }
    // The root length is trusted as the caller's buffer size: keep it within the buffer, as
    // GetFileVersionInfoA does.
    uint16_t root;
    std::memcpy(&root, damaged.data(), 2);
    if (root > damaged.size()) {
      root = static_cast<uint16_t>(damaged.size());
      std::memcpy(damaged.data(), &root, 2);
    }
    for (const char* subBlock : kSubBlocks) {
      void* value = nullptr;
      UINT length = 0;
      if (!VerQueryValueA(damaged.data(), subBlock, &value, &length)) continue;
      const char* at = static_cast<const char*>(value);
      ASSERT_GE(at, damaged.data());
      ASSERT_LE(at + length, damaged.data() + damaged.size());
    }
  }
}

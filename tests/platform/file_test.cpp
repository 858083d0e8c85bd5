// The file stand-ins' edges that channels do not reach: 64-bit moves, positions beyond 32 bits,
// handles that name no file, dispositions, and the temporary-file calls' sizes and names.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/win_file.h"
#include "tests/support/test_system.h"

namespace {

class PlatformFiles : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = TestScratchDir("files-");
    ASSERT_FALSE(dir_.empty());
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  HANDLE Create(const std::string& name, DWORD access, DWORD disposition) {
    std::u16string wide(name.begin(), name.end());
    return CreateFileW(reinterpret_cast<LPCWSTR>(wide.c_str()), access, 0, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  std::string dir_;
};

TEST_F(PlatformFiles, FilePointerMovesAndLimits) {
  HANDLE file = Create(dir_ + "f", GENERIC_READ | GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_LE(reinterpret_cast<intptr_t>(file), INT32_MAX);
  struct Row {
    int line;
    LONG distance;
    bool withHigh;
    LONG high;
    DWORD method;
    DWORD result;
    LONG highAfter;
  };
  const Row rows[] = {
      {__LINE__, 100, false, 0, FILE_BEGIN, 100, 0},
      {__LINE__, -30, false, 0, FILE_CURRENT, 70, 0},
      {__LINE__, -71, false, 0, FILE_CURRENT, INVALID_SET_FILE_POINTER, 0},  // stays at 70
      {__LINE__, 5, false, 0, FILE_END, 5, 0},
      {__LINE__, 0, true, 1, FILE_BEGIN, 0, 1},  // 2^32 with the high half
      {__LINE__, 16, true, 0, FILE_CURRENT, 16, 1},
      {__LINE__, 0, false, 0, FILE_CURRENT, INVALID_SET_FILE_POINTER, 0},  // beyond 32 bits
      {__LINE__, -1, false, 0, FILE_BEGIN, INVALID_SET_FILE_POINTER, 0},
      {__LINE__, 3, false, 0, 3, INVALID_SET_FILE_POINTER, 0},
      {__LINE__, 7, false, 0, FILE_BEGIN, 7, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    LONG high = row.high;
    EXPECT_EQ(SetFilePointer(file, row.distance, row.withHigh ? &high : nullptr, row.method),
              row.result);
    if (row.withHigh) {
      EXPECT_EQ(high, row.highAfter);
    }
  }
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "abc", 3, &written, nullptr));
  DWORD high = 9;
  EXPECT_EQ(GetFileSize(file, &high), 10u);
  EXPECT_EQ(high, 0u);
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_FALSE(CloseHandle(file));
}

TEST_F(PlatformFiles, HandlesThatNameNoFileAndRefusedDispositions) {
  for (HANDLE bad : {HANDLE(nullptr), INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(6)}) {
    DWORD n = 5;
    char buffer[4];
    EXPECT_FALSE(ReadFile(bad, buffer, 4, &n, nullptr));
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(WriteFile(bad, buffer, 4, &n, nullptr));
    EXPECT_EQ(SetFilePointer(bad, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetFileSize(bad, nullptr), INVALID_FILE_SIZE);
    EXPECT_FALSE(CloseHandle(bad));
  }
  EXPECT_EQ(Create(dir_ + "t", GENERIC_READ, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Create(dir_ + "t", 0, OPEN_ALWAYS), INVALID_HANDLE_VALUE);
  EXPECT_EQ(Create(dir_ + "t", GENERIC_WRITE, 0), INVALID_HANDLE_VALUE);
  HANDLE file = Create(dir_ + "t", GENERIC_WRITE, CREATE_NEW);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(Create(dir_ + "t", GENERIC_WRITE, CREATE_NEW), INVALID_HANDLE_VALUE);
  CloseHandle(file);
  EXPECT_EQ(CreateFileW(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_TRUE(DeleteFileA((dir_ + "t").c_str()));
  EXPECT_FALSE(DeleteFileA((dir_ + "t").c_str()));
}

TEST_F(PlatformFiles, TemporaryDirectoryAndNames) {
  const char* saved = getenv("TMPDIR");
  const std::string savedDir = saved != nullptr ? saved : "";
  TestSetEnv("TMPDIR", (dir_ + "sub").c_str());  // no final separator: one is added
  char buffer[64];
  const DWORD needed = static_cast<DWORD>(dir_.size() + 4 + 1);
  EXPECT_EQ(GetTempPathA(3, buffer), needed);
  EXPECT_EQ(GetTempPathA(needed, buffer), needed - 1);
  EXPECT_EQ(std::string(buffer), dir_ + "sub/");
  if (saved != nullptr) {
    TestSetEnv("TMPDIR", savedDir.c_str());
  } else {
    TestSetEnv("TMPDIR", nullptr);
  }
  char name[MAX_PATH];
  EXPECT_EQ(GetTempFileNameA(dir_.c_str(), "LONGER", 0x1A2B, name), 0x1A2Bu);
  EXPECT_EQ(std::string(name), dir_ + "LON1A2B.TMP");
  EXPECT_FALSE(std::filesystem::exists(name));  // a given number creates nothing
  EXPECT_EQ(GetTempFileNameA(dir_.substr(0, dir_.size() - 1).c_str(), nullptr, 0x2, name), 2u);
  EXPECT_EQ(std::string(name), dir_.substr(0, dir_.size() - 1) + "\\0002.TMP");
  const UINT made = GetTempFileNameA(dir_.c_str(), "CLT", 0, name);
  EXPECT_NE(made, 0u);
  EXPECT_TRUE(std::filesystem::exists(name));
  EXPECT_EQ(GetTempFileNameA((dir_ + std::string(MAX_PATH, 'x')).c_str(), "CLT", 0, name), 0u);
}

}  // namespace

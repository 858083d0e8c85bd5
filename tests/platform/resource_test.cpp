// Resources of loaded modules: finding them by integer and string types and names, their size and
// data, and the failures of modules without them and of resources from elsewhere.
#include <gtest/gtest.h>

#include <string>

#include "platform/win_module.h"
#include "platform/win_version.h"

namespace {

struct Loaded {
  HMODULE module;
  explicit Loaded(const char* path) : module(LoadLibraryA(path)) {}
  ~Loaded() {
    if (module != nullptr) FreeLibrary(module);
  }
};

// The resource's bytes, or "(none)" when it is not found.
std::string Resource(HMODULE module, LPCSTR name, LPCSTR type) {
  HRSRC found = FindResourceA(module, name, type);
  if (found == nullptr) return "(none)";
  const DWORD size = SizeofResource(module, found);
  const void* data = LockResource(LoadResource(module, found));
  if (data == nullptr) return "(no data)";
  return std::string(static_cast<const char*>(data), size);
}

}  // namespace

TEST(Resources, FoundByEveryFormOfTypeAndName) {
  Loaded loaded(TEST_MODULE_PATH);
  ASSERT_NE(loaded.module, nullptr);
  using namespace std::string_literals;
  struct Row {
    int line;
    LPCSTR name;
    LPCSTR type;
    std::string expected;
  } rows[] = {
      {__LINE__, MAKEINTRESOURCEA(1), RT_RCDATA, "one\0"s},
      {__LINE__, "#1", RT_RCDATA, "one\0"s},
      {__LINE__, MAKEINTRESOURCEA(1), "#10", "one\0"s},
      {__LINE__, MAKEINTRESOURCEA(2), RT_RCDATA, "payload\0\1\2\xff"s},
      {__LINE__, "HELLO", RT_RCDATA, "hiABABCD"},
      {__LINE__, "hello", RT_RCDATA, "hiABABCD"},
      {__LINE__, "HeLLo", MAKEINTRESOURCEA(10), "hiABABCD"},
      {__LINE__, MAKEINTRESOURCEA(7), MAKEINTRESOURCEA(300), "int type 300"},
      {__LINE__, "#7", "#300", "int type 300"},
      {__LINE__, "named", "CUSTOM", "named type"},
      {__LINE__, "NAMED", "custom", "named type"},
      {__LINE__, MAKEINTRESOURCEA(256), RT_RCDATA, ""},
      // Not there: another type, another name, names that only look like integers.
      {__LINE__, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(300), "(none)"},
      {__LINE__, MAKEINTRESOURCEA(3), RT_RCDATA, "(none)"},
      {__LINE__, "1", RT_RCDATA, "(none)"},
      {__LINE__, "#", RT_RCDATA, "(none)"},
      {__LINE__, "#1x", RT_RCDATA, "(none)"},
      {__LINE__, "#65537", RT_RCDATA, "(none)"},
      {__LINE__, "HELL", RT_RCDATA, "(none)"},
      {__LINE__, "HELLO!", RT_RCDATA, "(none)"},
      {__LINE__, "", RT_RCDATA, "(none)"},
      {__LINE__, "NAMED", "CUSTOMS", "(none)"},
      {__LINE__, nullptr, RT_RCDATA, "(none)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(Resource(loaded.module, row.name, row.type), row.expected);
  }
}

TEST(Resources, TheVersionResourceIsAResourceToo) {
  Loaded loaded(TEST_MODULE_PATH);
  HRSRC version = FindResourceA(loaded.module, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION);
  ASSERT_NE(version, nullptr);
  const DWORD size = SizeofResource(loaded.module, version);
  EXPECT_EQ(size, GetFileVersionInfoSizeA(TEST_MODULE_PATH, nullptr));
  std::string fromFile(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(TEST_MODULE_PATH, 0, size, fromFile.data()));
  EXPECT_EQ(Resource(loaded.module, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION), fromFile);
}

TEST(Resources, TheMainProgramHasItsOwn) {
  EXPECT_EQ(Resource(nullptr, MAKEINTRESOURCEA(5), RT_RCDATA), "main program");
  EXPECT_EQ(Resource(nullptr, MAKEINTRESOURCEA(1), RT_RCDATA), "(none)");
}

TEST(Resources, AModuleWithoutResourcesHasNone) {
  Loaded bare(BARE_MODULE_PATH);
  ASSERT_NE(bare.module, nullptr);
  EXPECT_EQ(FindResourceA(bare.module, MAKEINTRESOURCEA(1), RT_RCDATA), nullptr);
  EXPECT_EQ(FindResourceA(bare.module, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION), nullptr);
  EXPECT_EQ(GetFileVersionInfoSizeA(BARE_MODULE_PATH, nullptr), 0u);
}

TEST(Resources, AResourceIsOnlyKnownToItsOwnModule) {
  Loaded loaded(TEST_MODULE_PATH);
  Loaded bare(BARE_MODULE_PATH);
  HRSRC found = FindResourceA(loaded.module, MAKEINTRESOURCEA(1), RT_RCDATA);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(SizeofResource(bare.module, found), 0u);
  EXPECT_EQ(LoadResource(bare.module, found), nullptr);
  EXPECT_EQ(SizeofResource(nullptr, found), 0u);

  // Addresses that are not resource records of the module, even inside its resources.
  const char* data = static_cast<const char*>(LockResource(LoadResource(loaded.module, found)));
  ASSERT_NE(data, nullptr);
  int local = 0;
  for (HRSRC bad :
       {static_cast<HRSRC>(data), static_cast<HRSRC>(&local),
        static_cast<HRSRC>(static_cast<const char*>(found) + 4), static_cast<HRSRC>(nullptr)}) {
    EXPECT_EQ(SizeofResource(loaded.module, bad), 0u);
    EXPECT_EQ(LoadResource(loaded.module, bad), nullptr);
  }
  EXPECT_EQ(LockResource(nullptr), nullptr);
}

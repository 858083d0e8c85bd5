// Library loading and module handles: loading, exports, the module's own file name (cut as
// Windows cuts it), finding a module by an address inside it, and refusing unknown handles.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "platform/platform_calls.h"
#include "platform/win_module.h"

namespace {

std::string ModulePath(HMODULE module) {
  char path[4096];
  const DWORD length = GetModuleFileNameA(module, path, sizeof path);
  return std::string(path, length);
}

// Loads a module for the test's duration.
struct Loaded {
  HMODULE module;
  explicit Loaded(const char* path) : module(LoadLibraryA(path)) {}
  ~Loaded() {
    if (module != nullptr) FreeLibrary(module);
  }
};

int LocalFunction() {
  return 1;
}

}  // namespace

TEST(Module, LoadsByPathAndFindsItsOwnExports) {
  Loaded loaded(TEST_MODULE_PATH);
  ASSERT_NE(loaded.module, nullptr);
  EXPECT_EQ(ModulePath(loaded.module), std::filesystem::canonical(TEST_MODULE_PATH).string());

  // Through void (*)(), as every FARPROC is cast to its real type.
  auto answer = reinterpret_cast<int (*)()>(
      reinterpret_cast<void (*)()>(GetProcAddress(loaded.module, "TestModuleAnswer")));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  auto* value = reinterpret_cast<int*>(GetProcAddress(loaded.module, "TestModuleValue"));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(*value, 7);

  // Names the module does not export itself: its dependencies' and unknown ones, and ordinals.
  for (const char* name : {"malloc", "strlen", "NoSuchFunction", ""}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(GetProcAddress(loaded.module, name), nullptr);
  }
  EXPECT_EQ(GetProcAddress(loaded.module, MAKEINTRESOURCEA(1)), nullptr);
}

TEST(Module, RelativePathsAreReportedInFull) {
  const std::filesystem::path full = std::filesystem::canonical(TEST_MODULE_PATH);
  const std::filesystem::path saved = std::filesystem::current_path();
  std::filesystem::current_path(full.parent_path());
  const std::string relative = "./" + full.filename().string();
  Loaded loaded(relative.c_str());
  std::filesystem::current_path(saved);
  ASSERT_NE(loaded.module, nullptr);
  EXPECT_EQ(ModulePath(loaded.module), full.string());
}

TEST(Module, UnloadableLibrariesGiveNull) {
  for (const char* path : {static_cast<const char*>(nullptr), "", "/no/such/module.so",
                           TEST_DATA_DIR "/payload.bin", TEST_DATA_DIR}) {
    SCOPED_TRACE(path == nullptr ? "(null)" : path);
    EXPECT_EQ(LoadLibraryA(path), nullptr);
  }
}

TEST(Module, HandleFromAnAddressInsideTheModule) {
  Loaded loaded(TEST_MODULE_PATH);
  ASSERT_NE(loaded.module, nullptr);
  const auto inside = reinterpret_cast<LPCSTR>(GetProcAddress(loaded.module, "TestModuleAnswer"));

  HMODULE found = nullptr;
  ASSERT_TRUE(GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, inside,
      &found));
  EXPECT_EQ(found, loaded.module);

  // The test program's own code belongs to the main program, whose handle null also names.
  HMODULE self = nullptr;
  ASSERT_TRUE(GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(&LocalFunction), &self));
  HMODULE main = nullptr;
  ASSERT_TRUE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, nullptr, &main));
  EXPECT_EQ(self, main);
  EXPECT_EQ(ModulePath(self), std::filesystem::read_symlink("/proc/self/exe").string());
  EXPECT_EQ(ModulePath(nullptr), ModulePath(self));

  HMODULE none = &found;  // must be overwritten with null
  EXPECT_FALSE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                  reinterpret_cast<LPCSTR>(16), &none));
  EXPECT_EQ(none, nullptr);
  EXPECT_FALSE(GetModuleHandleExA(0, "/no/such/module.so", &none));
  EXPECT_FALSE(GetModuleHandleExA(0, nullptr, nullptr));
}

TEST(Module, ReferencesKeepTheModuleLoaded) {
  HMODULE module = LoadLibraryA(TEST_MODULE_PATH);
  ASSERT_NE(module, nullptr);
  const std::string path = ModulePath(module);
  const auto inside = reinterpret_cast<LPCSTR>(GetProcAddress(module, "TestModuleAnswer"));
  HMODULE counted = nullptr;
  ASSERT_TRUE(GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, inside, &counted));
  ASSERT_EQ(counted, module);
  HMODULE byName = nullptr;
  ASSERT_TRUE(GetModuleHandleExA(0, path.c_str(), &byName));
  ASSERT_EQ(byName, module);

  HMODULE probe = nullptr;
  for (int references = 3; references > 0; --references) {
    SCOPED_TRACE(references);
    EXPECT_TRUE(
        GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, path.c_str(), &probe));
    EXPECT_TRUE(FreeLibrary(module));
  }
  // The last reference is gone: the module is unloaded and its handle is refused.
  EXPECT_FALSE(
      GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, path.c_str(), &probe));
  EXPECT_FALSE(FreeLibrary(module));
  char buffer[16];
  EXPECT_EQ(GetModuleFileNameA(module, buffer, sizeof buffer), 0u);
}

TEST(Module, UnknownHandlesAreRefused) {
  int local = 0;
  char buffer[64] = "untouched";
  for (HMODULE bad : {static_cast<HMODULE>(&local), reinterpret_cast<HMODULE>(0x1000)}) {
    EXPECT_EQ(GetModuleFileNameA(bad, buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetProcAddress(bad, "TestModuleAnswer"), nullptr);
    EXPECT_EQ(FindResourceA(bad, MAKEINTRESOURCEA(1), RT_RCDATA), nullptr);
    EXPECT_FALSE(FreeLibrary(bad));
  }
  EXPECT_FALSE(FreeLibrary(nullptr));
  EXPECT_STREQ(buffer, "untouched");
}

// Windows cuts a path that does not fit to size - 1 bytes, terminates it and returns size.
TEST(Module, FileNameIsCutToTheBuffer) {
  Loaded loaded(TEST_MODULE_PATH);
  ASSERT_NE(loaded.module, nullptr);
  const std::string path = ModulePath(loaded.module);
  const DWORD length = static_cast<DWORD>(path.size());
  ASSERT_GT(length, 2u);
  struct Row {
    int line;
    DWORD size;
    DWORD result;  // what GetModuleFileNameA returns
    DWORD copied;  // path bytes before the zero
  } rows[] = {
      {__LINE__, 1, 1, 0},
      {__LINE__, 2, 2, 1},
      {__LINE__, length - 1, length - 1, length - 2},
      {__LINE__, length, length, length - 1},
      {__LINE__, length + 1, length, length},
      {__LINE__, length + 100, length, length},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    std::string buffer(length + 200, '#');
    EXPECT_EQ(GetModuleFileNameA(loaded.module, buffer.data(), row.size), row.result);
    EXPECT_EQ(buffer.compare(0, row.copied, path, 0, row.copied), 0);
    EXPECT_EQ(buffer[row.copied], '\0');
    EXPECT_EQ(buffer[row.copied + 1], '#');  // nothing written past the zero
  }
  char one = '#';
  EXPECT_EQ(GetModuleFileNameA(loaded.module, &one, 0), 0u);
  EXPECT_EQ(one, '#');
  EXPECT_EQ(GetModuleFileNameA(loaded.module, nullptr, 64), 0u);
}

TEST(Module, MainProgramNameFailsWhenTheSystemRefusesIt) {
  g_platformCalls.ReadLink = [](const char*, char*, size_t) -> long long { return -1; };
  char buffer[256];
  const DWORD length = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
  PlatformCallsReset();
  EXPECT_EQ(length, 0u);
  EXPECT_GT(GetModuleFileNameA(nullptr, buffer, sizeof buffer), 0u);
}

// The symbol table gives what the exports give, and what they hide; a module without a readable
// file or a name it does not define gives null.
TEST(Module, SymbolsAreFoundBeyondTheExports) {
  Loaded loaded(TEST_MODULE_PATH);
  ASSERT_NE(loaded.module, nullptr);
  struct Row {
    int line;
    const char* name;
    bool exported;
    bool defined;
  };
  const Row rows[] = {
      {__LINE__, "TestModuleAnswer", true, true},
      {__LINE__, "TestModuleValue", true, true},
      {__LINE__, "TestModuleHidden", false, true},
      {__LINE__, "TestModuleHiddenAnswer", false, true},
      {__LINE__, "TestModuleHidde", false, false},  // a prefix of a name is not the name
      {__LINE__, "TestModuleHiddenX", false, false},
      {__LINE__, "", false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    void* found = ModuleSymbolAddress(loaded.module, row.name);
    EXPECT_EQ(found != nullptr, row.defined);
    if (row.exported) {
      EXPECT_EQ(found, reinterpret_cast<void*>(GetProcAddress(loaded.module, row.name)));
    } else {
      EXPECT_EQ(GetProcAddress(loaded.module, row.name), nullptr);
    }
    if (found == nullptr) continue;
    // The address lies inside the loaded module.
    HMODULE owner = nullptr;
    EXPECT_TRUE(GetModuleHandleExA(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        static_cast<LPCSTR>(found), &owner));
    EXPECT_EQ(owner, loaded.module);
  }
  EXPECT_EQ(*static_cast<int*>(ModuleSymbolAddress(loaded.module, "TestModuleHidden")), 5);
  EXPECT_EQ(ModuleSymbolAddress(loaded.module, nullptr), nullptr);
  EXPECT_EQ(ModuleSymbolAddress(reinterpret_cast<HMODULE>(0x10), "TestModuleValue"), nullptr);

  // The file cannot be opened, or is cut short: nothing is found.
  g_platformCalls.Open = [](const char*, int, unsigned) { return -1; };
  EXPECT_EQ(ModuleSymbolAddress(loaded.module, "TestModuleHidden"), nullptr);
  PlatformCallsReset();
  g_platformCalls.ReadAt = [](int, void*, size_t, long long) -> long long { return 0; };
  EXPECT_EQ(ModuleSymbolAddress(loaded.module, "TestModuleHidden"), nullptr);
  PlatformCallsReset();
  EXPECT_NE(ModuleSymbolAddress(loaded.module, "TestModuleHidden"), nullptr);
}

// The plug-in as the host sees it before calling anything: a module that exports its entry alone
// and carries exactly the plug-in's version strings, read back from the file by its path.
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

constexpr char kTable[] = "\\StringFileInfo\\040904b0\\";

}  // namespace

TEST(PluginModule, ExportsTheEntryAlone) {
  Loaded plugin(PLUGIN_PATH);
  ASSERT_NE(plugin.module, nullptr);
  FARPROC entry = GetProcAddress(plugin.module, "F_ApiClientInit");
  ASSERT_NE(entry, nullptr);

  // The entry's address lies in the plug-in's own module.
  HMODULE owner = nullptr;
  ASSERT_TRUE(GetModuleHandleExA(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCSTR>(entry), &owner));
  EXPECT_EQ(owner, plugin.module);

  // The plug-in's callbacks, the library's state and functions all stay inside the module.
  for (const char* name : {"ClientInitialize",
                           "ClientNotify",
                           "ClientCommand",
                           "ClientMessage",
                           "ClientStopped",
                           "ClientInitialised",
                           "HostErrno",
                           "HostGetInt",
                           "HostGetString",
                           "HostShowMessage",
                           "HostRequestNotification",
                           "StrEqual",
                           "MemFree",
                           "MemAlloc",
                           "ReadClientDescription",
                           "GetFileVersionInfoA",
                           "VerQueryValueA",
                           "FindResourceA",
                           "GetModuleFileNameA",
                           "g_platformCalls",
                           "_Z16ClientInitializei",
                           "_Z7MemFreePv",
                           "kTanselResources"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(GetProcAddress(plugin.module, name), nullptr);
  }
}

TEST(PluginModule, TheEntryRefusesAMissingHost) {
  Loaded plugin(PLUGIN_PATH);
  ASSERT_NE(plugin.module, nullptr);
  typedef int32_t (*EntryFn)(HMODULE, void*, void*, const void*);
  auto entry = reinterpret_cast<EntryFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(plugin.module, "F_ApiClientInit")));
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry(plugin.module, nullptr, nullptr, nullptr), -1);
}

TEST(PluginModule, VersionStringsReadBackByPath) {
  DWORD handle = 1;
  const DWORD size = GetFileVersionInfoSizeA(PLUGIN_PATH, &handle);
  ASSERT_GT(size, 0u);
  EXPECT_EQ(handle, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(PLUGIN_PATH, 0, size, block.data()));

  struct Row {
    int line;
    const char* key;
    const char* expected;  // null: the key is absent
  } rows[] = {
      {__LINE__, "ClientName", "Tansel Tool (Host 2022 64-bit)"},
      {__LINE__, "ClientType", "Standard"},
      {__LINE__, "ClientProducts", "Standard Structured"},
      {__LINE__, "FileDescription", "Tansel Tool (Host 2022 U4 64-bit)"},
      {__LINE__, "FileVersion", "1.0"},
      {__LINE__, "ProductVersion", "Version 1.0"},
      // The other keys a client description may carry are not the plug-in's.
      {__LINE__, "ClientFacet", nullptr},
      {__LINE__, "ClientFormatId", nullptr},
      {__LINE__, "ClientVendor", nullptr},
      {__LINE__, "ClientSuffix", nullptr},
      {__LINE__, "ClientInFormat", nullptr},
      {__LINE__, "ClientOutFormat", nullptr},
      {__LINE__, "CompanyName", nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const std::string path = std::string(kTable) + row.key;
    void* value = nullptr;
    UINT length = 0;
    const BOOL found = VerQueryValueA(block.data(), path.c_str(), &value, &length);
    if (row.expected == nullptr) {
      EXPECT_FALSE(found);
      continue;
    }
    ASSERT_TRUE(found);
    EXPECT_EQ(std::string(static_cast<const char*>(value), length),
              std::string(row.expected, std::char_traits<char>::length(row.expected) + 1));
  }

  void* translation = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translation, &length));
  EXPECT_EQ(std::string(static_cast<const char*>(translation), length),
            std::string("\x09\x04\xb0\x04", 4));  // US English, Unicode
}

TEST(PluginModule, TheLoadedModuleCarriesTheSameVersionResource) {
  Loaded plugin(PLUGIN_PATH);
  ASSERT_NE(plugin.module, nullptr);
  HRSRC found = FindResourceA(plugin.module, MAKEINTRESOURCEA(VS_VERSION_INFO), RT_VERSION);
  ASSERT_NE(found, nullptr);
  const DWORD size = SizeofResource(plugin.module, found);
  // Windows asks room beyond the block for its own conversions; the block comes first.
  const DWORD fileSize = GetFileVersionInfoSizeA(PLUGIN_PATH, nullptr);
  ASSERT_GE(fileSize, size);
  std::string fromFile(fileSize, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(PLUGIN_PATH, 0, fileSize, fromFile.data()));
  EXPECT_EQ(
      std::string(static_cast<const char*>(LockResource(LoadResource(plugin.module, found))), size),
      fromFile.substr(0, size));
}

// The client's description, read from the version resource of the module that starts up, and the
// module resources served to the host.
#include <cstring>

#include "bridge/client_description.h"
#include "platform/win_memory.h"
#include "platform/win_version.h"
#include "tests/bridge/bridge_fixture.h"

namespace {

using Entries = std::vector<std::pair<int32_t, std::string>>;

// A module loaded for the length of a test.
struct LoadedModule {
  explicit LoadedModule(const char* path) : module(LoadLibraryA(path)) {}
  ~LoadedModule() {
    if (module != nullptr) FreeLibrary(module);
  }
  HMODULE module;
};

Entries Registered(const SimHost& host) {
  Entries entries;
  for (const SimDescriptionEntry& e : host.RegisteredDescriptionEntries()) {
    entries.emplace_back(e.number, e.value.value_or("(not a string)"));
  }
  return entries;
}

using ClientDescriptionTest = BridgeTest;

TEST_F(ClientDescriptionTest, ReadFromTheModulesVersionResource) {
  const struct {
    int line;
    const char* path;
    int read;  // ReadClientDescription's result
    Entries entries;
  } rows[] = {
      {__LINE__, TEST_MODULE_PATH, 1, {{2, "Test Module"}, {8, "Tansel \"Tests\""}}},
      {__LINE__,
       PLUGIN_MODULE_PATH,
       1,
       {{2, "Tansel Tool (Host 2022 64-bit)"},
        {3, "Standard"},
        {4, "Tansel Tool (Host 2022 U4 64-bit)"},
        {5, "Standard Structured"}}},
      {__LINE__,
       DESCRIBED_MODULE_PATH,
       1,
       {{2, "name"},
        {3, "type"},
        {4, "file description"},
        {5, "products"},
        {6, "facet"},
        {7, "format id"},
        {8, "vendor"},
        {9, ".sfx"},
        {10, "in format"},
        {11, "out format"}}},
      {__LINE__, BARE_MODULE_PATH, 0, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    LoadedModule loaded(row.path);
    ASSERT_NE(loaded.module, nullptr);

    PropertyValueList direct = {};
    EXPECT_EQ(ReadClientDescription(loaded.module, direct), row.read);
    EXPECT_EQ(direct.count, row.entries.size());
    PropListFree(&direct);

    SimHost local;
    ASSERT_EQ(F_ApiClientInit(loaded.module, local.Object(), nullptr, nullptr), 0);
    EXPECT_NE(local.RegisteredDescription(), nullptr);
    EXPECT_EQ(Registered(local), row.entries);
    local.ReleaseSink();
    EXPECT_EQ(local.OutstandingTotal(), 0);
  }
}

TEST_F(ClientDescriptionTest, UnknownModuleReadsNothing) {
  PropertyValueList list = {};
  EXPECT_EQ(ReadClientDescription(reinterpret_cast<HMODULE>(0x1234), list), 0);
  EXPECT_EQ(list.count, 0u);
  EXPECT_EQ(list.items, nullptr);
}

TEST_F(ClientDescriptionTest, VersionStringReplacesItsNumber) {
  LoadedModule loaded(TEST_MODULE_PATH);
  ASSERT_NE(loaded.module, nullptr);
  char path[260];
  ASSERT_GT(GetModuleFileNameA(loaded.module, path, sizeof path), 0u);
  std::vector<unsigned char> block(4096);
  ASSERT_TRUE(GetFileVersionInfoA(path, 0, static_cast<DWORD>(block.size()), block.data()));
  PropertyValueList list = {};
  const struct {
    int line;
    int32_t number;
    const char* key;
    int found;
    uint32_t count;  // entries afterwards
  } rows[] = {
      {__LINE__, 2, "ClientName", 1, 1},
      {__LINE__, 2, "ClientVendor", 1, 1},  // same number: replaced
      {__LINE__, 9, "Empty", 1, 2},         // an empty value is still a value
      {__LINE__, 10, "Missing", 0, 2},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(ReadVersionString(block.data(), list, row.number, row.key), row.found);
    EXPECT_EQ(list.count, row.count);
  }
  ASSERT_EQ(list.count, 2u);
  EXPECT_STREQ(list.items[0].value.payload.string, "Tansel \"Tests\"");
  EXPECT_STREQ(list.items[1].value.payload.string, "");
  PropListFree(&list);
}

TEST_F(ClientDescriptionTest, GetResourceFromTheModule) {
  LoadedModule loaded(TEST_MODULE_PATH);
  ASSERT_NE(loaded.module, nullptr);
  ASSERT_EQ(Connect(loaded.module), 0);
  const struct {
    int line;
    int32_t type;
    const char* name;
    HRESULT hr;
    std::string data;
  } rows[] = {
      {__LINE__, 10, MAKEINTRESOURCEA(1), S_OK, std::string("one\0", 4)},
      {__LINE__, 10, "Hello", S_OK, std::string("hiABABCD", 8)},
      {__LINE__, 0x10000 + 300, MAKEINTRESOURCEA(7), S_OK, "int type 300"},  // low 16 bits
      {__LINE__, 10, MAKEINTRESOURCEA(256), E_FAIL, ""},  // empty: nothing to hand over
      {__LINE__, 10, MAKEINTRESOURCEA(3), E_FAIL, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    HostResource out = {0, nullptr};
    EXPECT_EQ(host.SendGetResource(row.type, row.name, &out), row.hr);
    EXPECT_EQ(std::string(static_cast<const char*>(out.data), out.size), row.data);
    CoTaskMemFree(out.data);
  }
  char path[260];
  DWORD length = GetModuleFileNameA(loaded.module, path, sizeof path);
  HostResource out = {};
  ASSERT_EQ(host.SendGetResource(0, nullptr, &out), S_OK);
  EXPECT_EQ(std::string(static_cast<const char*>(out.data), out.size),
            std::string(path, length + 1));
  CoTaskMemFree(out.data);
}

}  // namespace

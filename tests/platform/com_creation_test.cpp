// Class identifiers from text, the class registry, server modules, and CoCreateInstanceEx as a
// caller finds it: by name in "ole32.dll".
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

#include "platform/com_creation.h"
#include "platform/com_runtime.h"
#include "platform/platform_calls.h"
#include "platform/win_module.h"

namespace {

// The test server's class and interface (tests/platform/test_server.cpp).
constexpr CLSID kTestClass = {
    0x5E8A0C11, 0x2B4D, 0x4F6A, {0x9C, 0x3E, 0x7D, 0x1F, 0x0A, 0x2B, 0x3C, 0x4D}};
constexpr IID kTestInterface = {
    0x5E8A0C12, 0x2B4D, 0x4F6A, {0x9C, 0x3E, 0x7D, 0x1F, 0x0A, 0x2B, 0x3C, 0x4D}};
constexpr CLSID kOtherClass = {
    0x01234567, 0x89AB, 0xCDEF, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}};

std::u16string Wide(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

std::string Braced(const GUID& g) {
  char text[64];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.Data1,
                g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                g.Data4[5], g.Data4[6], g.Data4[7]);
  return text;
}

typedef int32_t (*CountFn)();

int32_t ServerCount(const char* name) {
  HMODULE module = LoadLibraryA(TEST_SERVER_PATH);
  auto count =
      reinterpret_cast<CountFn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
  const int32_t value = count != nullptr ? count() : -1;
  FreeLibrary(module);
  return value;
}

TEST(ClsidFromString, TheBracedFormOnly) {
  struct Row {
    int line;
    const char* text;
    HRESULT hr;
  };
  const Row rows[] = {
      {__LINE__, "{539DB5D0-C0C6-11D0-985E-0060970BEC0B}", S_OK},
      {__LINE__, "{539db5d0-c0c6-11d0-985e-0060970bec0b}", S_OK},
      {__LINE__, "539DB5D0-C0C6-11D0-985E-0060970BEC0B", CO_E_CLASSSTRING},
      {__LINE__, "{539DB5D0-C0C6-11D0-985E-0060970BEC0B", CO_E_CLASSSTRING},
      {__LINE__, "{539DB5D0-C0C6-11D0-985E-0060970BEC0B} ", CO_E_CLASSSTRING},
      {__LINE__, "{539DB5D0-C0C6-11D0-985E-0060970BEC0}", CO_E_CLASSSTRING},
      {__LINE__, "{539DB5D0C0C6-11D0-985E-0060970BEC0B0}", CO_E_CLASSSTRING},
      {__LINE__, "{539DB5D0-C0C6-11D0-985E-0060970BEC0G}", CO_E_CLASSSTRING},
      {__LINE__, "{+39DB5D0-C0C6-11D0-985E-0060970BEC0B}", CO_E_CLASSSTRING},
      {__LINE__, "(539DB5D0-C0C6-11D0-985E-0060970BEC0B)", CO_E_CLASSSTRING},
      {__LINE__, "Tansel.Host", CO_E_CLASSSTRING},
      {__LINE__, "", CO_E_CLASSSTRING},
  };
  const CLSID expected = {
      0x539DB5D0, 0xC0C6, 0x11D0, {0x98, 0x5E, 0x00, 0x60, 0x97, 0x0B, 0xEC, 0x0B}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    CLSID clsid = kOtherClass;
    EXPECT_EQ(CLSIDFromString(Wide(row.text).c_str(), &clsid), row.hr);
    EXPECT_TRUE(IsEqualGUID(clsid, row.hr == S_OK ? expected : CLSID{}));
  }
  CLSID clsid;
  EXPECT_EQ(CLSIDFromString(nullptr, &clsid), E_INVALIDARG);
  EXPECT_EQ(CLSIDFromString(u"{539DB5D0-C0C6-11D0-985E-0060970BEC0B}", nullptr), E_INVALIDARG);
  // A character beyond the byte range that happens to end in a digit's low byte.
  std::u16string wide = u"{539DB5D0-C0C6-11D0-985E-0060970BEC0B}";
  wide[1] = static_cast<char16_t>(0x0135);
  EXPECT_EQ(CLSIDFromString(wide.c_str(), &clsid), CO_E_CLASSSTRING);
}

TEST(ClsidFromString, ReadsBackWhatSnprintfWrites) {
  std::mt19937 random(4);
  for (int i = 0; i < 500; ++i) {
    GUID g;
    g.Data1 = random();
    g.Data2 = static_cast<WORD>(random());
    g.Data3 = static_cast<WORD>(random());
    for (BYTE& b : g.Data4) b = static_cast<BYTE>(random());
    const std::string text = Braced(g);
    SCOPED_TRACE(text);
    CLSID parsed;
    ASSERT_EQ(CLSIDFromString(Wide(text).c_str(), &parsed), S_OK);
    EXPECT_TRUE(IsEqualGUID(parsed, g));
  }
}

class ComCreationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    unsetenv(kComRegistryVariable);
  }
  void TearDown() override {
    ComRevokeServer(kTestClass);
    ComRevokeServer(kOtherClass);
    unsetenv(kComRegistryVariable);
    CoUninitialize();
    PlatformCallsReset();
    EXPECT_EQ(ServerCount("TestServerLive"), 0);
  }
  // A registry file named after the running test, which ctest may run beside the others.
  std::string RegistryFile(const std::string& text) {
    std::string path = ::testing::TempDir() +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt";
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }
};

TEST_F(ComCreationTest, ARegisteredServerMakesTheObject) {
  ASSERT_EQ(ComRegisterServer(kTestClass, TEST_SERVER_PATH), S_OK);
  const int32_t created = ServerCount("TestServerCreated");
  void* object = nullptr;
  ASSERT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_LOCAL_SERVER, kTestInterface, &object),
            S_OK);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(ServerCount("TestServerCreated"), created + 1);
  EXPECT_EQ(ServerCount("TestServerLive"), 1);
  static_cast<IUnknown*>(object)->Release();
}

TEST_F(ComCreationTest, FailuresSayWhatWasMissing) {
  struct Row {
    int line;
    const char* path;  // registered for the class, or null
    DWORD context;
    const IID* iid;
    HRESULT hr;
  };
  const Row rows[] = {
      {__LINE__, nullptr, CLSCTX_SERVER, &IID_IUnknown, REGDB_E_CLASSNOTREG},
      {__LINE__, "/nonexistent/server.so", CLSCTX_SERVER, &IID_IUnknown, CO_E_DLLNOTFOUND},
      {__LINE__, BARE_MODULE_PATH, CLSCTX_SERVER, &IID_IUnknown, CO_E_ERRORINDLL},
      {__LINE__, TEST_SERVER_PATH, 0, &IID_IUnknown, E_INVALIDARG},
      {__LINE__, TEST_SERVER_PATH, CLSCTX_SERVER, &IID_IClassFactory, E_NOINTERFACE},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    if (row.path != nullptr) {
      ASSERT_EQ(ComRegisterServer(kTestClass, row.path), S_OK);
    } else {
      ComRevokeServer(kTestClass);
    }
    void* object = &object;
    EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, row.context, *row.iid, &object), row.hr);
    EXPECT_EQ(object, nullptr);
  }
  // A server registered for another class refuses it.
  ASSERT_EQ(ComRegisterServer(kOtherClass, TEST_SERVER_PATH), S_OK);
  void* object = nullptr;
  EXPECT_EQ(CoCreateInstance(kOtherClass, nullptr, CLSCTX_SERVER, IID_IUnknown, &object),
            CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(ComRegisterServer(kTestClass, ""), E_INVALIDARG);
  EXPECT_EQ(ComRevokeServer(kTestClass), S_OK);
  EXPECT_EQ(ComRevokeServer(kTestClass), S_FALSE);
  EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_SERVER, IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(ComCreationTest, NothingIsMadeOutsideAnApartment) {
  ASSERT_EQ(ComRegisterServer(kTestClass, TEST_SERVER_PATH), S_OK);
  CoUninitialize();
  void* object = nullptr;
  EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_SERVER, IID_IUnknown, &object),
            CO_E_NOTINITIALIZED);
  ASSERT_EQ(CoInitialize(nullptr), S_OK);
}

TEST_F(ComCreationTest, TheRegistryFileNamesServersAndCodeWins) {
  const std::string server = TEST_SERVER_PATH;
  const std::string folder = server.substr(0, server.rfind('/') + 1);
  const std::string name = server.substr(server.rfind('/') + 1);
  // A relative path is the registry file's folder's; comments and other classes are skipped.
  const std::string path =
      RegistryFile("# classes\n\n" + Braced(kOtherClass) + " /nonexistent/other.so\n  " +
                   Braced(kTestClass) + "\t" + name + "  \r\n");
  ASSERT_EQ(setenv(kComRegistryVariable, path.c_str(), 1), 0);
  // The file's folder is not the server's: the relative path must fail there.
  void* object = nullptr;
  EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_SERVER, IID_IUnknown, &object),
            CO_E_DLLNOTFOUND);
  const std::string beside = folder + "registry_beside_test_server.txt";
  std::ofstream(beside, std::ios::binary)
      << "{5e8a0c11-2b4d-4f6a-9c3e-7d1f0a2b3c4d} " << name << "\n";
  ASSERT_EQ(setenv(kComRegistryVariable, beside.c_str(), 1), 0);
  ASSERT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_SERVER, IID_IUnknown, &object), S_OK);
  static_cast<IUnknown*>(object)->Release();
  // Registered in code: the file is not asked.
  ASSERT_EQ(ComRegisterServer(kTestClass, "/nonexistent/code.so"), S_OK);
  EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_SERVER, IID_IUnknown, &object),
            CO_E_DLLNOTFOUND);
  std::remove(beside.c_str());
  std::remove(path.c_str());
}

TEST_F(ComCreationTest, AMissingOrUnreadableRegistryFileRegistersNothing) {
  ASSERT_EQ(setenv(kComRegistryVariable, "/nonexistent/registry.txt", 1), 0);
  void* object = nullptr;
  EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_SERVER, IID_IUnknown, &object),
            REGDB_E_CLASSNOTREG);
  const std::string path = RegistryFile(Braced(kTestClass) + " " + TEST_SERVER_PATH + "\n");
  ASSERT_EQ(setenv(kComRegistryVariable, path.c_str(), 1), 0);
  g_platformCalls.ReadAt = [](int, void*, size_t, long long) -> long long { return -1; };
  EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_SERVER, IID_IUnknown, &object),
            REGDB_E_CLASSNOTREG);
  PlatformCallsReset();
  EXPECT_EQ(CoCreateInstance(kTestClass, nullptr, CLSCTX_SERVER, IID_IUnknown, &object), S_OK);
  static_cast<IUnknown*>(object)->Release();
  std::remove(path.c_str());
}

CoCreateInstanceExFn LookUpCreateEx(HMODULE* ole) {
  *ole = LoadLibraryA("ole32.dll");
  if (*ole == nullptr) return nullptr;
  return reinterpret_cast<CoCreateInstanceExFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(*ole, "CoCreateInstanceEx")));
}

TEST_F(ComCreationTest, CoCreateInstanceExIsFoundByNameInOle32) {
  HMODULE ole = nullptr;
  ASSERT_NE(LookUpCreateEx(&ole), nullptr);
  HMODULE upper = LoadLibraryA("OLE32.DLL");
  EXPECT_EQ(upper, ole);
  EXPECT_EQ(GetProcAddress(ole, "NoSuchFunction"), nullptr);
  FreeLibrary(upper);
  FreeLibrary(ole);
  // The lookup fails where the system lacks the function, or the library itself.
  g_platformCalls.DlSym = [](void*, const char*) -> void* { return nullptr; };
  EXPECT_EQ(LookUpCreateEx(&ole), nullptr);
  FreeLibrary(ole);
  g_platformCalls.DlOpen = [](const char*, int) -> void* { return nullptr; };
  EXPECT_EQ(LookUpCreateEx(&ole), nullptr);
  EXPECT_EQ(ole, nullptr);
}

TEST_F(ComCreationTest, CoCreateInstanceExReachesOnlyThisMachine) {
  ASSERT_EQ(ComRegisterServer(kTestClass, TEST_SERVER_PATH), S_OK);
  HMODULE ole = nullptr;
  CoCreateInstanceExFn create = LookUpCreateEx(&ole);
  ASSERT_NE(create, nullptr);
  char host[256] = {};
  ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
  struct Row {
    int line;
    std::string name;  // "(null)": no name at all
    HRESULT hr;
  };
  const Row rows[] = {
      {__LINE__, "(null)", S_OK},
      {__LINE__, "localhost", S_OK},
      {__LINE__, "LocalHost", S_OK},
      {__LINE__, "127.0.0.1", S_OK},
      {__LINE__, host, S_OK},
      {__LINE__, "elsewhere.example", kServerUnavailable},
      {__LINE__, "", kServerUnavailable},
      {__LINE__, "localhost2", kServerUnavailable},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    std::u16string name = Wide(row.name);
    COSERVERINFO server = {0, row.name == "(null)" ? nullptr : name.data(), nullptr, 0};
    MULTI_QI results[2] = {{&kTestInterface, nullptr, E_FAIL}, {&IID_IUnknown, nullptr, E_FAIL}};
    EXPECT_EQ(create(kTestClass, nullptr, CLSCTX_SERVER, &server, 2, results), row.hr);
    for (MULTI_QI& r : results) {
      EXPECT_EQ(r.hr, row.hr);
      EXPECT_EQ(r.pItf != nullptr, row.hr == S_OK);
      if (r.pItf != nullptr) r.pItf->Release();
    }
  }
  // Some interfaces given, some not.
  MULTI_QI partial[2] = {{&kTestInterface, nullptr, E_FAIL}, {&kOtherClass, nullptr, E_FAIL}};
  EXPECT_EQ(create(kTestClass, nullptr, CLSCTX_SERVER, nullptr, 2, partial), CO_S_NOTALLINTERFACES);
  EXPECT_EQ(partial[0].hr, S_OK);
  EXPECT_EQ(partial[1].hr, E_NOINTERFACE);
  EXPECT_EQ(partial[1].pItf, nullptr);
  partial[0].pItf->Release();
  MULTI_QI none[1] = {{&kOtherClass, nullptr, E_FAIL}};
  EXPECT_EQ(create(kTestClass, nullptr, CLSCTX_SERVER, nullptr, 1, none), E_NOINTERFACE);
  EXPECT_EQ(create(kTestClass, nullptr, CLSCTX_SERVER, nullptr, 0, none), E_INVALIDARG);
  MULTI_QI unregistered[1] = {{&IID_IUnknown, nullptr, E_FAIL}};
  EXPECT_EQ(create(kOtherClass, nullptr, CLSCTX_SERVER, nullptr, 1, unregistered),
            REGDB_E_CLASSNOTREG);
  EXPECT_EQ(unregistered[0].hr, REGDB_E_CLASSNOTREG);
  FreeLibrary(ole);
}

TEST(ComLocalMachine, NamesOfThisMachine) {
  EXPECT_TRUE(ComIsLocalMachine(u"localhost"));
  EXPECT_TRUE(ComIsLocalMachine(u"LOCALHOST"));
  EXPECT_TRUE(ComIsLocalMachine(u"."));
  EXPECT_FALSE(ComIsLocalMachine(u"localhos"));
  EXPECT_FALSE(ComIsLocalMachine(u"\u013Bocalhost"));
  EXPECT_FALSE(ComIsLocalMachine(nullptr));
}

}  // namespace

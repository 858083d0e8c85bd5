// ICU's data directory and the encoding part of client start-up.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "bridge/client_state.h"
#include "bridge/host_errno.h"
#include "bridge/host_interfaces.h"
#include "encoding/dialog_encoding.h"
#include "encoding/icu_data.h"
#include "platform/path_translation.h"
#include "platform/win_memory.h"
#include "tests/support/host_stubs.h"

namespace {

// A host that knows one string property: 89 of document 0, object 0, the directory in which its
// "icu_data" lies.
class DirectoryHost final : public StubHostApi {
 public:
  std::optional<std::string> directory;  // the answer; nullopt answers null
  int32_t code = 0;                      // the error code the host writes
  int calls = 0;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetStringProp(ObjectId document, ObjectId object,
                                          const PropertyIdent* ident, int32_t* error,
                                          char** value) override {
    ++calls;
    EXPECT_EQ(document, 0u);
    EXPECT_EQ(object, 0u);
    EXPECT_EQ(ident->num, 89);
    *error = code;
    if (code != 0 || !directory) return S_OK;
    *value = static_cast<char*>(CoTaskMemAlloc(directory->size() + 1));
    std::memcpy(*value, directory->c_str(), directory->size() + 1);
    return S_OK;
  }
};

class IcuDataTest : public ::testing::Test {
 protected:
  void SetUp() override { EncSetIcuDataDirectory(""); }
  void TearDown() override {
    EncSetIcuDataDirectory("");
    PlatformSetDriveRoot(nullptr);
    CurrentDialogEncoding = kDialogHostRoman;
    ClientInitialised = 0;
    HostErrno = 0;
    HostInterfaceTable[kHostApiIndex] = nullptr;
  }

  DirectoryHost* Connect(std::optional<std::string> directory, int32_t code = 0) {
    host_.directory = std::move(directory);
    host_.code = code;
    host_.calls = 0;
    HostInterfaceTable[kHostApiIndex] = &host_;
    return &host_;
  }

  DirectoryHost host_;
};

}  // namespace

TEST_F(IcuDataTest, DirectoryTakesTheSystemForm) {
  struct Row {
    int line;
    const char* root;
    const char* path;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, nullptr, "C:\\Host\\icu_data", "/Host/icu_data"},
      {__LINE__, "/opt/host", "C:\\Host\\icu_data", "/opt/host/Host/icu_data"},
      {__LINE__, nullptr, "relative\\icu_data", "relative/icu_data"},
      {__LINE__, nullptr, "", ""},
      {__LINE__, nullptr, nullptr, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    PlatformSetDriveRoot(row.root);
    EXPECT_EQ(EncSetIcuDataDirectory(row.path), 0);
    EXPECT_STREQ(EncGetIcuDataDirectory(), row.expected);
  }
}

TEST_F(IcuDataTest, StartupWithoutAHostSelectsHostRomanAndReportsFailure) {
  HostErrno = -42;  // the caller's code survives the failed host call
  EXPECT_EQ(EncClientStartup(), 1);
  EXPECT_EQ(HostErrno, -42);
  EXPECT_EQ(EncTablesReady(), 1);
  EXPECT_EQ(CurrentDialogEncoding, kDialogHostRoman);
  EXPECT_EQ(EncClientInitialised(), 1);
  EXPECT_STREQ(EncGetIcuDataDirectory(), "");
  EXPECT_EQ(EncPointIcuAtHost(), 1);
  EXPECT_EQ(HostErrno, -42);
}

TEST_F(IcuDataTest, StartupKeepsAnEncodingSelectedBefore) {
  EncSetDialogEncoding("UTF-8");
  EncClientStartup();
  EXPECT_EQ(CurrentDialogEncoding, kDialogUtf8);
  EXPECT_EQ(EncClientInitialised(), 1);
}

TEST_F(IcuDataTest, ADirectoryAlreadySetIsKept) {
  EncSetIcuDataDirectory("/kept/icu");
  EXPECT_EQ(EncEnsureIcuDataDirectory(), 0);
  EXPECT_EQ(EncClientStartup(), 0);
  EXPECT_STREQ(EncGetIcuDataDirectory(), "/kept/icu");
  EXPECT_EQ(EncPointIcuAtHost(), 1);  // asks the host anyway, which is not there
  EXPECT_STREQ(EncGetIcuDataDirectory(), "/kept/icu");
}

TEST_F(IcuDataTest, HostDirectoryGetsIcuDataAppended) {
  struct Row {
    int line;
    const char* root;
    const char* answer;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, nullptr, "C:\\Host", "/Host/icu_data"},
      {__LINE__, "/opt/host", "C:\\Host", "/opt/host/Host/icu_data"},
      {__LINE__, nullptr, "C:\\Program Files\\Host\\", "/Program Files/Host//icu_data"},
      {__LINE__, nullptr, "/usr/lib/host", "/usr/lib/host/icu_data"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EncSetIcuDataDirectory("");
    PlatformSetDriveRoot(row.root);
    DirectoryHost* host = Connect(row.answer);
    EXPECT_EQ(EncClientStartup(), 0);
    EXPECT_STREQ(EncGetIcuDataDirectory(), row.expected);
    EXPECT_EQ(host->calls, 1);
    EXPECT_EQ(EncClientInitialised(), 1);
  }
}

TEST_F(IcuDataTest, HostErrnoIsKeptAndOnlyThisCallCounts) {
  DirectoryHost* host = Connect("C:\\Host");
  HostErrno = -42;  // an earlier failure must not spoil the start-up
  EXPECT_EQ(EncPointIcuAtHost(), 0);
  EXPECT_EQ(HostErrno, -42);
  EXPECT_STREQ(EncGetIcuDataDirectory(), "/Host/icu_data");

  EncSetIcuDataDirectory("");
  host->code = 7;  // the host refuses: nothing set, the caller's code back
  EXPECT_EQ(EncPointIcuAtHost(), 1);
  EXPECT_EQ(HostErrno, -42);
  EXPECT_STREQ(EncGetIcuDataDirectory(), "");
  HostErrno = 0;
  EXPECT_EQ(EncPointIcuAtHost(), 1);
  EXPECT_EQ(HostErrno, 0);
}

TEST_F(IcuDataTest, EmptyNullAndOverlongAnswersSetNothing) {
  struct Row {
    int line;
    std::optional<std::string> answer;
    int expected;
    size_t directoryLength;  // of ICU's data directory afterwards
  };
  const std::string fits(1014, 'd');  // with "\\icu_data" and the terminator: 1024 bytes
  const Row rows[] = {
      {__LINE__, std::nullopt, 1, 0},
      {__LINE__, std::string(), 1, 0},
      {__LINE__, fits, 0, 1014 + 9},
      {__LINE__, fits + "d", 1, 0},
      {__LINE__, std::string(5000, 'x'), 1, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EncSetIcuDataDirectory("");
    Connect(row.answer);
    EXPECT_EQ(EncClientStartup(), row.expected);
    EXPECT_EQ(std::strlen(EncGetIcuDataDirectory()), row.directoryLength);
  }
}

TEST_F(IcuDataTest, AlreadySetDirectoryIsNotAskedFor) {
  DirectoryHost* host = Connect("C:\\Host");
  EncSetIcuDataDirectory("/mine");
  EXPECT_EQ(EncEnsureIcuDataDirectory(), 0);
  EXPECT_EQ(host->calls, 0);
  EXPECT_EQ(EncPointIcuAtHost(), 0);  // always asks
  EXPECT_EQ(host->calls, 1);
  EXPECT_STREQ(EncGetIcuDataDirectory(), "/Host/icu_data");
}

// The plug-in end to end: the simulated host loads the real module, starts it, and sends it
// notifications for documents shaped to hit each rule of the marker notice.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "bridge/client_entry.h"
#include "hostsim/host_object.h"
#include "platform/win_module.h"

namespace {

typedef int32_t (*ClientInitFn)(HMODULE, IUnknown*, IUnknown*, const ClientDescription*);

struct MarkerSpec {
  std::optional<std::string> type;
  std::optional<std::string> text;
};

// The plug-in module, started against a fresh simulated host for each test.
class MarkerNotice : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryA(PLUGIN_PATH);
    ASSERT_NE(module_, nullptr);
    init_ = reinterpret_cast<ClientInitFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(module_, "F_ApiClientInit")));
    ASSERT_NE(init_, nullptr);
  }
  void TearDown() override {
    if (host_ != nullptr) {
      host_->SendQuit();
      host_->ReleaseSink();
      EXPECT_EQ(host_->OutstandingTotal(), 0) << "the plug-in kept host references";
      EXPECT_EQ(host_->BlocksFreedByClient(), host_->BlocksHandedOut())
          << "the plug-in did not give back every block the host handed it";
      host_.reset();
    }
    FreeLibrary(module_);
  }

  // Starts the plug-in and sends "Initialize" with code.
  void Start(int32_t code = 1) {
    host_ = std::make_unique<SimHost>();
    ASSERT_EQ(init_(module_, host_->Object(), nullptr, nullptr), 0);
    ASSERT_EQ(host_->SendInitialize(code), S_OK);
  }

  ObjectId Document(int32_t search, const std::vector<MarkerSpec>& markers) {
    ObjectId doc = host_->AddDocument(search);
    for (const MarkerSpec& m : markers) host_->AddMarker(doc, m.type, m.text);
    return doc;
  }

  HMODULE module_ = nullptr;
  ClientInitFn init_ = nullptr;
  std::unique_ptr<SimHost> host_;
};

struct DocumentCase {
  int line;
  int32_t search;                   // property 110
  std::vector<MarkerSpec> markers;  // the chain, first to last
  bool shown;                       // a message box is expected
  std::optional<std::string> text;  // and its text (nullopt: null)
};

}  // namespace

TEST_F(MarkerNotice, InitializeOneRequestsNotificationTwo) {
  Start(1);
  ASSERT_EQ(host_->RequestedNotifications().size(), 1u);
  EXPECT_EQ(host_->RequestedNotifications()[0].notification, 2);
  EXPECT_EQ(host_->RequestedNotifications()[0].state, 1);
}

TEST_F(MarkerNotice, OtherStartUpCodesRequestNothing) {
  for (int32_t code : {0, 2, -1}) {
    SCOPED_TRACE(code);
    host_.reset();
    Start(code);
    EXPECT_TRUE(host_->RequestedNotifications().empty());
    host_->SendQuit();
    host_->ReleaseSink();
  }
}

TEST_F(MarkerNotice, ShowsTheFirstTanselMarkerOfASearchedDocument) {
  const DocumentCase rows[] = {
      {__LINE__, 1, {{"Tansel", "hello"}}, true, "hello"},
      {__LINE__, 0, {{"Tansel", "hello"}}, false, {}},
      {__LINE__, 2, {{"Tansel", "hello"}}, false, {}},
      {__LINE__, 1, {}, false, {}},
      {__LINE__, 1, {{"tansel", "a"}, {"TANSEL", "b"}}, false, {}},
      {__LINE__, 1, {{"Tansel ", "a"}, {" Tansel", "b"}, {"Tansel\t", "c"}}, false, {}},
      {__LINE__, 1, {{"", "a"}, {std::nullopt, "b"}}, false, {}},
      {__LINE__, 1, {{"Index", "a"}, {"Tansel", "second"}}, true, "second"},
      {__LINE__, 1, {{"Tansel", "first"}, {"Tansel", "second"}}, true, "first"},
      {__LINE__, 1, {{"Tansel", ""}}, true, ""},
      {__LINE__, 1, {{"Tansel", std::nullopt}, {"Tansel", "later"}}, true, std::nullopt},
      {__LINE__, 1, {{"Tansel", "Caf\xC3\xA9 cr\xC3\xA8me"}}, true, "Caf\xC3\xA9 cr\xC3\xA8me"},
  };
  Start();
  for (const DocumentCase& row : rows) {
    SCOPED_TRACE(row.line);
    size_t before = host_->Messages().size();
    ObjectId doc = Document(row.search, row.markers);
    EXPECT_EQ(host_->SendNotify(2, doc, "ignored", 7), S_OK);
    ASSERT_EQ(host_->Messages().size(), before + (row.shown ? 1 : 0));
    if (row.shown) {
      EXPECT_EQ(host_->Messages().back().type, 2);
      EXPECT_EQ(host_->Messages().back().text, row.text);
    }
  }
}

TEST_F(MarkerNotice, UnsearchedDocumentsAreNotWalked) {
  Start();
  ObjectId doc = Document(0, {{"Tansel", "x"}});
  const int32_t idReads = host_->Calls(kHostApiIndex, 89);
  const int32_t stringReads = host_->Calls(kHostApiIndex, 97);  // start-up reads one
  host_->SendNotify(2, doc, nullptr, 0);
  EXPECT_EQ(host_->Calls(kHostApiIndex, 85), 1);
  EXPECT_EQ(host_->Calls(kHostApiIndex, 89), idReads);  // 116 is never asked for
  EXPECT_EQ(host_->Calls(kHostApiIndex, 97), stringReads);
}

TEST_F(MarkerNotice, OtherNotificationsDoNothing) {
  Start();
  ObjectId doc = Document(1, {{"Tansel", "x"}});
  for (int32_t number : {0, 1, 3, 75, 1000}) {
    SCOPED_TRACE(number);
    EXPECT_EQ(host_->SendNotify(number, doc,
                                number == 75 ? "a\x1E"
                                               "b"
                                             : "text",
                                0),
              S_OK);
  }
  EXPECT_TRUE(host_->Messages().empty());
  EXPECT_EQ(host_->Calls(kHostApiIndex, 85), 0);
}

TEST_F(MarkerNotice, HostErrorsEndTheWalkQuietly) {
  Start();
  ObjectId doc = Document(1, {{"Index", "a"}, {"Tansel", "b"}});
  host_->SetFault(kHostApiIndex, 97, SimFault::kBusy);  // every string read fails
  EXPECT_EQ(host_->SendNotify(2, doc, nullptr, 0), S_OK);
  EXPECT_TRUE(host_->Messages().empty());
  host_->ClearFaults();
  host_->SetFault(kHostApiIndex, 85, SimFault::kFail);  // 110 cannot be read
  EXPECT_EQ(host_->SendNotify(2, doc, nullptr, 0), S_OK);
  EXPECT_TRUE(host_->Messages().empty());
  host_->ClearFaults();
  EXPECT_EQ(host_->SendNotify(2, doc, nullptr, 0), S_OK);
  ASSERT_EQ(host_->Messages().size(), 1u);
  EXPECT_EQ(host_->Messages()[0].text, "b");
}

TEST_F(MarkerNotice, CommandsDoNothing) {
  Start();
  EXPECT_EQ(host_->SendCommand(1), S_OK);
  EXPECT_TRUE(host_->Messages().empty());
  EXPECT_EQ(host_->RequestedNotifications().size(), 1u);
}

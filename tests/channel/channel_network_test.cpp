// A channel on an http:// name through the platform's NetLib and a loopback server: the file is
// fetched into the cache, read and written there, and sent back when the channel closes.
#include <gtest/gtest.h>
#include <httplib.h>
#include <sys/stat.h>

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "path/netlib_entries.h"
#include "platform/netlib/netlib_errors.h"
#include "tests/channel/channel_files.h"

namespace {

// Serves documents from memory: GET answers 404 for a missing one, PUT stores the body.
class DocumentServer {
 public:
  DocumentServer() {
    server_.Get(R"(/.*)", [this](const httplib::Request& request, httplib::Response& response) {
      std::lock_guard<std::mutex> lock(mutex_);
      log_.push_back("GET " + request.path);
      auto it = documents_.find(request.path);
      if (it == documents_.end()) {
        response.status = 404;
      } else {
        response.set_content(it->second, "application/octet-stream");
      }
    });
    server_.Put(R"(/.*)", [this](const httplib::Request& request, httplib::Response& response) {
      std::lock_guard<std::mutex> lock(mutex_);
      log_.push_back("PUT " + request.path);
      documents_[request.path] = request.body;
      response.status = 201;
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::yield();
  }
  ~DocumentServer() {
    server_.stop();
    thread_.join();
  }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  std::string Document(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    return documents_.count(path) != 0 ? documents_[path] : "<none>";
  }
  void Put(const std::string& path, const std::string& body) {
    std::lock_guard<std::mutex> lock(mutex_);
    documents_[path] = body;
  }
  std::vector<std::string> Log() {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
  }

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::map<std::string, std::string> documents_;
  std::vector<std::string> log_;
};

class ChannelNetwork : public ChannelFiles {
 protected:
  void SetUp() override {
    ChannelFiles::SetUp();
    setenv(kNetLibCacheVariable, dir_.c_str(), 1);
    setenv(kNetLibTimeoutVariable, "3000", 1);
    NetLibSetEntries(nullptr);  // the platform's module, loaded by name
  }
  void TearDown() override {
    unsetenv(kNetLibCacheVariable);
    unsetenv(kNetLibTimeoutVariable);
    ChannelFiles::TearDown();
  }
  DocumentServer server_;
};

TEST_F(ChannelNetwork, AFetchedFileIsWrittenInTheCacheAndSentBackAtClose) {
  server_.Put("/docs/report.txt", "quarterly figures");
  FileChannel* channel = Open(server_.Url("/docs/report.txt"), "r+");
  ASSERT_NE(channel, nullptr);
  char head[10] = {};
  ASSERT_EQ(ChanRead(head, 1, 9, channel), 9);
  EXPECT_STREQ(head, "quarterly");
  ASSERT_EQ(ChanWrite(" FIGURES", 1, 8, channel), 8);
  EXPECT_EQ(server_.Document("/docs/report.txt"), "quarterly figures");  // nothing sent yet
  EXPECT_EQ(ChanClose(channel), 0);
  EXPECT_EQ(server_.Document("/docs/report.txt"), "quarterly FIGURES");
  EXPECT_EQ(server_.Log(),
            (std::vector<std::string>{"GET /docs/report.txt", "PUT /docs/report.txt"}));
}

TEST_F(ChannelNetwork, ANewFileGetsACacheNameAndAReadOnlyOneGoesNowhere) {
  FileChannel* missing = Open(server_.Url("/new.txt"), "r");
  EXPECT_EQ(missing, nullptr);
  FileChannel* channel = Open(server_.Url("/new.txt"), "w");
  ASSERT_NE(channel, nullptr);
  ASSERT_EQ(ChanWrite("fresh", 1, 5, channel), 5);
  EXPECT_EQ(ChanClose(channel), 0);
  EXPECT_EQ(server_.Document("/new.txt"), "fresh");
  const size_t requests = server_.Log().size();
  channel = Open(server_.Url("/new.txt"), "r");
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(ChanPeekByte(channel), 'f');
  EXPECT_EQ(ChanClose(channel), 0);
  for (size_t i = requests; i < server_.Log().size(); ++i) {
    EXPECT_EQ(server_.Log()[i].rfind("PUT", 0), std::string::npos) << server_.Log()[i];
  }
}

// Under the usual umask a new file's cache copy is still its owner's only, as a fetched one is.
TEST_F(ChannelNetwork, ANewFilesCacheCopyIsItsOwnersOnly) {
  const mode_t saved = umask(022);
  FileChannel* channel = Open(server_.Url("/private.txt"), "w");
  umask(saved);
  ASSERT_NE(channel, nullptr);
  ASSERT_EQ(ChanWrite("mine", 1, 4, channel), 4);
  EXPECT_EQ(ChanClose(channel), 0);
  EXPECT_EQ(server_.Document("/private.txt"), "mine");
  int copies = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
    if (!entry.is_regular_file()) continue;
    ++copies;
    struct stat info;
    ASSERT_EQ(stat(entry.path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u) << entry.path();
  }
  EXPECT_EQ(copies, 1);
}

}  // namespace

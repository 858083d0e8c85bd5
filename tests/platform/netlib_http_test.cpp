// NetLib against a real HTTP server on 127.0.0.1 (an ephemeral port) that each test starts itself,
// serving a temporary folder: files go out and come back through the client library's wrappers,
// and every failure maps to its error, within the bounded timeout, leaving no partial copy behind.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <netinet/in.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "path/net_files.h"
#include "path/netlib_entries.h"
#include "path/path_text.h"
#include "platform/netlib/netlib_errors.h"
#include "strings/memory.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

fs::path MakeTemporaryFolder() {
  std::string name = (fs::temp_directory_path() / "tansel_netlib_XXXXXX").string();
  EXPECT_NE(mkdtemp(name.data()), nullptr);
  return name;
}

std::string Take(char* text) {
  std::string s = text != nullptr ? text : "(null)";
  MemFree(text);
  return s;
}

class ScopedVariable {
 public:
  ScopedVariable(const char* name, const std::string& value) : name_(name) {
    if (const char* old = getenv(name)) saved_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~ScopedVariable() {
    if (saved_.empty())
      unsetenv(name_.c_str());
    else
      setenv(name_.c_str(), saved_.c_str(), 1);
  }

 private:
  std::string name_, saved_;
};

// The loopback server: GET and HEAD of the files under root, PUT into root (folders made as
// needed), 403 under /secret, a /slow that answers only when released, a /cut that promises
// 1000 bytes and closes after 100, a /trickle that sends 8 bytes every 300 ms (for 12 s at most)
// and a /moved that redirects to /here.txt.
class LoopbackServer {
 public:
  LoopbackServer() : root_(MakeTemporaryFolder()) {
    // Recorded before the answer goes out, so that the log keeps the order of the requests.
    server_.set_pre_routing_handler([this](const httplib::Request& request, httplib::Response&) {
      std::lock_guard<std::mutex> lock(mutex_);
      log_.push_back(request.method + " " + request.path);
      return httplib::Server::HandlerResponse::Unhandled;
    });
    server_.Get(R"(/.*)", [this](const httplib::Request& request, httplib::Response& response) {
      Get(request, response);
    });
    server_.Put(R"(/.*)", [this](const httplib::Request& request, httplib::Response& response) {
      WriteFile(root_ / request.path.substr(1), request.body);
      response.status = 201;
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // stop() before the loop runs would be lost, and the join would wait for ever.
    while (!server_.is_running()) std::this_thread::yield();
  }
  ~LoopbackServer() {
    Release();
    server_.stop();
    thread_.join();
    fs::remove_all(root_);
  }

  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  const fs::path& root() const { return root_; }
  std::vector<std::string> Log() {
    std::lock_guard<std::mutex> lock(mutex_);
    return log_;
  }
  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    released_ = true;
    wake_.notify_all();
  }

 private:
  void Get(const httplib::Request& request, httplib::Response& response) {
    if (request.path.rfind("/secret", 0) == 0) {
      response.status = 403;
    } else if (request.path == "/slow") {
      std::unique_lock<std::mutex> lock(mutex_);
      wake_.wait_for(lock, std::chrono::seconds(20), [this] { return released_; });
      response.set_content("late", "text/plain");
    } else if (request.path == "/trickle") {
      response.set_chunked_content_provider(
          "text/plain", [this, sent = 0](size_t, httplib::DataSink& sink) mutable {
            std::unique_lock<std::mutex> lock(mutex_);
            if (released_ || ++sent > 40) {
              sink.done();
              return true;
            }
            wake_.wait_for(lock, std::chrono::milliseconds(300), [this] { return released_; });
            lock.unlock();
            return sink.write("trickle!", 8);  // false once the client has gone
          });
    } else if (request.path == "/moved") {
      response.set_redirect("/here.txt");
    } else if (request.path == "/cut") {
      response.set_content_provider(1000, "text/plain",
                                    [](size_t offset, size_t, httplib::DataSink& sink) {
                                      if (offset > 0) return false;  // the connection drops
                                      sink.write(std::string(100, 'x').data(), 100);
                                      return true;
                                    });
    } else if (fs::is_regular_file(root_ / request.path.substr(1))) {
      response.set_content(ReadFile(root_ / request.path.substr(1)), "application/octet-stream");
    } else {
      response.status = 404;
    }
  }

  fs::path root_;
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool released_ = false;
  std::vector<std::string> log_;
};

// A bare HTTP/1.1 server for the methods the loopback server above cannot take (its library
// refuses MKCOL): it records each request line, reads the body, and answers with the status that
// answer() gives for it, closing every connection.
class RawHttpServer {
 public:
  explicit RawHttpServer(std::function<int(const std::string& requestLine)> answer)
      : answer_(std::move(answer)) {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    EXPECT_EQ(listen(listener_, 8), 0);
    thread_ = std::thread([this] { Serve(); });
  }
  ~RawHttpServer() {
    shutdown(listener_, SHUT_RDWR);
    close(listener_);
    thread_.join();
  }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

 private:
  void Serve() {
    for (;;) {
      const int connection = accept(listener_, nullptr, nullptr);
      if (connection < 0) return;  // the listener was shut down
      std::string head;
      char c;
      while (head.find("\r\n\r\n") == std::string::npos && read(connection, &c, 1) == 1) head += c;
      size_t length = 0;
      const size_t field = head.find("Content-Length: ");
      if (field != std::string::npos) length = std::stoul(head.substr(field + 16));
      for (size_t got = 0; got < length && read(connection, &c, 1) == 1;) ++got;
      const std::string line = head.substr(0, head.find("\r\n"));
      {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(line.substr(0, line.rfind(' ')));
      }
      const std::string reply = "HTTP/1.1 " + std::to_string(answer_(line)) +
                                " X\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
      (void)!write(connection, reply.data(), reply.size());
      close(connection);
    }
  }

  std::function<int(const std::string&)> answer_;
  int listener_ = -1;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> requests_;
};

class NetLibHttp : public ::testing::Test {
 protected:
  void SetUp() override { NetLibSetEntries(nullptr); }  // the real module, loaded by name
  void TearDown() override { fs::remove_all(cacheFolder_); }

  // Regular files in the cache folder, partial downloads included.
  std::vector<std::string> CacheFiles() const {
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(cacheFolder_)) {
      files.push_back(entry.path().filename().string());
    }
    return files;
  }

  fs::path cacheFolder_ = MakeTemporaryFolder();
  ScopedVariable cache_{kNetLibCacheVariable, cacheFolder_.string()};
  ScopedVariable timeout_{kNetLibTimeoutVariable, "3000"};
  LoopbackServer server_;
};

TEST_F(NetLibHttp, OpenFetchesIntoAnOwnerOnlyCopyAndSaveSendsItBack) {
  WriteFile(server_.root() / "docs/a.txt", "hello");
  const std::string url = server_.Url("/docs/a.txt");
  ASSERT_EQ(NetIsNetworkName(url.c_str()), 1);
  char* local = nullptr;
  int error = -1;
  ASSERT_EQ(NetOpenCachedLocal(url.c_str(), &local, &error), 0);
  const std::string copy = Take(local);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(fs::path(copy).parent_path(), cacheFolder_);
  EXPECT_EQ(ReadFile(copy), "hello");
  struct stat info;
  ASSERT_EQ(stat(copy.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 077, 0u);

  // Flag 16: the cached copy serves without a request; option 0 fetches again.
  ASSERT_EQ(NetOpenCachedLocal(url.c_str(), &local, &error), 0);
  EXPECT_EQ(Take(local), copy);
  WriteFile(copy, "changed here");
  EXPECT_EQ(NetSaveFile(url.c_str()), 0);
  EXPECT_EQ(ReadFile(server_.root() / "docs/a.txt"), "changed here");
  WriteFile(server_.root() / "docs/a.txt", "changed there");
  ASSERT_EQ(NetOpenLocalFile(url.c_str(), &local, &error), 0);
  EXPECT_EQ(ReadFile(Take(local)), "changed there");
  EXPECT_EQ(server_.Log(),
            (std::vector<std::string>{"GET /docs/a.txt", "PUT /docs/a.txt", "GET /docs/a.txt"}));
}

TEST_F(NetLibHttp, StatusesMapToTheirErrors) {
  WriteFile(server_.root() / "here.txt", "x");
  int error = -1;
  EXPECT_EQ(NetStatFile(server_.Url("/here.txt").c_str(), &error), 0);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(NetStatFile(server_.Url("/missing.txt").c_str(), &error), 1);
  EXPECT_EQ(error, kNetLibNotFound);
  EXPECT_EQ(NetStatCached(server_.Url("/secret/x").c_str(), &error), 1);
  EXPECT_EQ(error, kNetLibAccessDenied);
  char* local = reinterpret_cast<char*>(1);
  EXPECT_EQ(NetOpenLocalMapped(server_.Url("/missing.txt").c_str(), &local, &error), 1);
  EXPECT_EQ(local, nullptr);
  EXPECT_EQ(error, kNetLibNotFound);
  EXPECT_EQ(NetOpenCachedLocal(server_.Url("/secret/y").c_str(), &local, &error), 1);
  EXPECT_EQ(error, kNetLibAccessDenied);
  EXPECT_TRUE(CacheFiles().empty());
  const std::vector<std::string> log = server_.Log();
  EXPECT_EQ(log.front(), "HEAD /here.txt");
}

TEST_F(NetLibHttp, NewFilesGoOutThroughTheirCacheNameAndPuts) {
  const std::string url = server_.Url("/new/b.txt");
  char* local = nullptr;
  ASSERT_EQ(NetGetCacheFileName(url.c_str(), &local), 0);
  const std::string copy = Take(local);
  // The copy is made at once, empty and its owner's only, whatever writes it next; a name that
  // was never asked for has none.
  struct stat info;
  ASSERT_EQ(stat(copy.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 077, 0u);
  EXPECT_EQ(info.st_size, 0);
  EXPECT_EQ(NetCacheFileForPath(server_.Url("/new/other.txt").c_str(), &local), 1);
  WriteFile(copy, "fresh");
  ASSERT_EQ(NetCacheFileForUrl(url.c_str(), &local), 0);
  EXPECT_EQ(Take(local), copy);
  EXPECT_EQ(NetSaveFile(url.c_str()), 0);
  EXPECT_EQ(ReadFile(server_.root() / "new/b.txt"), "fresh");

  const fs::path other = cacheFolder_ / "elsewhere.txt";
  WriteFile(other, "put me");
  EXPECT_EQ(NetPutFile(server_.Url("/put/c.txt").c_str(), other.c_str()), 0);
  EXPECT_EQ(ReadFile(server_.root() / "put/c.txt"), "put me");
  EXPECT_EQ(NetSaveFile(server_.Url("/never/cached.txt").c_str()), 1);
  EXPECT_EQ(NetMapError(), kNetLibNoLocalCopy);
}

TEST_F(NetLibHttp, UploadFolderSendsEveryFileUnderIt) {
  const fs::path folder = cacheFolder_ / "tree";
  WriteFile(folder / "a.txt", "A");
  WriteFile(folder / "sub dir/b.txt", "B");
  EXPECT_EQ(NetUploadFolder(server_.Url("/up").c_str(), folder.c_str()), 0);
  EXPECT_EQ(ReadFile(server_.root() / "up/a.txt"), "A");
  EXPECT_EQ(ReadFile(server_.root() / "up/sub dir/b.txt"), "B");
  EXPECT_EQ(NetUploadFolder(server_.Url("/up").c_str(), (cacheFolder_ / "none").c_str()), 1);
}

// Where the server knows MKCOL, every folder becomes a collection before its files go in; one that
// exists already (405) is no failure, any other refusal stops the upload.
TEST_F(NetLibHttp, UploadFolderMakesCollections) {
  const fs::path folder = cacheFolder_ / "tree";
  WriteFile(folder / "a.txt", "A");
  WriteFile(folder / "sub dir/b.txt", "B");
  RawHttpServer dav([](const std::string& line) {
    if (line.rfind("MKCOL /up/ ", 0) == 0) return 405;  // exists already
    return line.rfind("MKCOL /locked/", 0) == 0 ? 403 : 201;
  });
  EXPECT_EQ(NetUploadFolder(dav.Url("/up").c_str(), folder.c_str()), 0);
  std::vector<std::string> requests = dav.Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0], "MKCOL /up/");
  std::sort(requests.begin() + 1, requests.end());  // folders are read in no set order
  EXPECT_EQ(requests[1], "MKCOL /up/sub%20dir/");
  EXPECT_EQ(requests[2], "PUT /up/a.txt");
  EXPECT_EQ(requests[3], "PUT /up/sub%20dir/b.txt");
  EXPECT_EQ(NetUploadFolder(dav.Url("/locked").c_str(), folder.c_str()), 1);
  EXPECT_EQ(NetMapError(), kNetLibAccessDenied);
  EXPECT_EQ(dav.Requests().size(), 5u);  // nothing sent after the refusal
}

// A server that never answers: the open gives up after the timeout set here, with its error.
TEST_F(NetLibHttp, AServerThatNeverAnswersTimesOut) {
  ScopedVariable shortTimeout(kNetLibTimeoutVariable, "300");
  char* local = reinterpret_cast<char*>(1);
  int error = -1;
  EXPECT_EQ(NetOpenLocalFile(server_.Url("/slow").c_str(), &local, &error), 1);
  EXPECT_EQ(error, kNetLibTimedOut);
  server_.Release();
  EXPECT_TRUE(CacheFiles().empty());
}

// A server that keeps the transfer alive with a trickle far below the low-speed limit: the open
// gives up once the timeout set here passed at that speed, with its error and no copy.
TEST_F(NetLibHttp, AServerThatTricklesTimesOut) {
  ScopedVariable shortTimeout(kNetLibTimeoutVariable, "1000");
  char* local = reinterpret_cast<char*>(1);
  int error = -1;
  EXPECT_EQ(NetOpenLocalFile(server_.Url("/trickle").c_str(), &local, &error), 1);
  EXPECT_EQ(error, kNetLibTimedOut);
  EXPECT_EQ(local, nullptr);
  server_.Release();
  EXPECT_TRUE(CacheFiles().empty());
}

TEST_F(NetLibHttp, RedirectsAreFollowed) {
  WriteFile(server_.root() / "here.txt", "arrived");
  char* local = nullptr;
  int error = -1;
  ASSERT_EQ(NetOpenLocalFile(server_.Url("/moved").c_str(), &local, &error), 0);
  EXPECT_EQ(ReadFile(Take(local)), "arrived");
  EXPECT_EQ(server_.Log(), (std::vector<std::string>{"GET /moved", "GET /here.txt"}));
}

// A body cut short leaves nothing that could pass for a complete copy.
TEST_F(NetLibHttp, ABodyCutShortLeavesNoCopy) {
  char* local = reinterpret_cast<char*>(1);
  int error = -1;
  EXPECT_EQ(NetOpenLocalFile(server_.Url("/cut").c_str(), &local, &error), 1);
  EXPECT_EQ(error, kNetLibTransferCut);
  EXPECT_EQ(local, nullptr);
  EXPECT_TRUE(CacheFiles().empty());
  EXPECT_EQ(NetCacheFileForPath(server_.Url("/cut").c_str(), &local), 1);
}

TEST_F(NetLibHttp, NoServerMeansCannotConnect) {
  // A port that was free a moment ago and that nothing listens on.
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  socklen_t length = sizeof address;
  ASSERT_EQ(getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length), 0);
  close(fd);
  const int port = ntohs(address.sin_port);
  int error = -1;
  EXPECT_EQ(NetStatFile(("http://127.0.0.1:" + std::to_string(port) + "/x").c_str(), &error), 1);
  EXPECT_EQ(error, kNetLibCannotConnect);
}

TEST_F(NetLibHttp, CredentialsNeverReachTheCacheName) {
  WriteFile(server_.root() / "private.txt", "mine");
  std::string url = server_.Url("/private.txt");
  url.insert(7, "user:secret@");
  char* local = nullptr;
  int error = -1;
  ASSERT_EQ(NetOpenCachedLocal(url.c_str(), &local, &error), 0);
  const std::string copy = Take(local);
  EXPECT_EQ(copy.find("secret"), std::string::npos);
  EXPECT_EQ(copy.find("user"), std::string::npos);
  EXPECT_EQ(ReadFile(copy), "mine");
}

TEST_F(NetLibHttp, PathsJoinAndRelateNetworkNamesThroughNetLib) {
  char buffer[kPathBufferSize] = "sub\\..\\f g.txt";
  const std::string base = server_.Url("/docs/dir");
  ASSERT_EQ(PathResolve(buffer, base.c_str()), 0);
  EXPECT_STREQ(buffer, server_.Url("/docs/dir/f%20g.txt").c_str());
  PathMakeRelative(buffer, server_.Url("/docs/other/file.txt").c_str());
  EXPECT_STREQ(buffer, "..\\dir\\f g.txt");
  char* clean = nullptr;
  ASSERT_EQ(NetCleanUrl("HTTP://127.0.0.1:1/a/./b/%7e", &clean), 0);
  EXPECT_EQ(Take(clean), "http://127.0.0.1:1/a/b/~");
  EXPECT_EQ(NetIsNetworkName("ftp://h/x"), 0);
  EXPECT_EQ(NetIsNetworkName("https://h/x"), 1);
  EXPECT_EQ(NetIsNetworkName("C:\\x"), 0);
}

}  // namespace

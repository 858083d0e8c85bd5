// The transfer module: requests over libcurl. Certificates and host names of https servers are
// verified by libcurl's defaults, which nothing here changes. No request, URL or credential is
// ever logged.
#include "platform/netlib/transfers.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/netlib/netlib_errors.h"
#include "platform/netlib/url_rules.h"

namespace {

using Clock = std::chrono::steady_clock;

// The timeout in milliseconds: $TANSEL_NETLIB_TIMEOUT_MS (1 to 600000), else the default.
long TransferTimeoutMs() {
  const char* text = std::getenv(kNetLibTimeoutVariable);
  if (text == nullptr || text[0] == '\0') return kNetLibDefaultTimeoutMs;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  return *end == '\0' && value >= 1 && value <= 600000 ? value : kNetLibDefaultTimeoutMs;
}

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// Aborts a transfer that moved no byte for the timeout.
struct Progress {
  long timeoutMs;
  curl_off_t moved = -1;
  Clock::time_point since = Clock::now();
};

int OnProgress(void* data, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t ulTotal,
               curl_off_t ulNow) {
  (void)dlTotal;
  (void)ulTotal;
  auto* progress = static_cast<Progress*>(data);
  const auto now = Clock::now();
  if (dlNow + ulNow != progress->moved) {
    progress->moved = dlNow + ulNow;
    progress->since = now;
    return 0;
  }
  const auto idle = std::chrono::duration_cast<std::chrono::milliseconds>(now - progress->since);
  return idle.count() > progress->timeoutMs ? 1 : 0;
}

size_t Discard(char*, size_t size, size_t count, void*) {
  return size * count;
}

// Watches the header lines of every response of a request, redirects included: a redirect that
// would leave https for plain http ends the transfer.
struct RedirectGuard {
  CURL* handle = nullptr;
  long status = 0;  // of the response whose headers are arriving
  bool refused = false;
};

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  const size_t n = std::strlen(prefix);
  return text.size() >= n && strncasecmp(text.c_str(), prefix, n) == 0;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* guard = static_cast<RedirectGuard*>(user);
  const size_t n = size * count;
  std::string line(data, n);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  if (StartsWithNoCase(line, "HTTP/")) {
    const size_t space = line.find(' ');
    guard->status = space != std::string::npos ? std::atol(line.c_str() + space + 1) : 0;
  } else if (guard->status >= 300 && guard->status < 400 && StartsWithNoCase(line, "location:")) {
    size_t start = 9;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
    char* current = nullptr;
    curl_easy_getinfo(guard->handle, CURLINFO_EFFECTIVE_URL, &current);
    if (current == nullptr || !RedirectAllowed(current, line.substr(start))) {
      guard->refused = true;
      return 0;  // ends the transfer
    }
  }
  return n;
}

int FromCurl(CURLcode code) {
  switch (code) {
    case CURLE_OK:
      return kNetLibOk;
    case CURLE_URL_MALFORMAT:
      return kNetLibBadUrl;
    case CURLE_UNSUPPORTED_PROTOCOL:
      return kNetLibUnsupported;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return kNetLibHostNotFound;
    case CURLE_COULDNT_CONNECT:
      return kNetLibCannotConnect;
    case CURLE_OPERATION_TIMEDOUT:
    case CURLE_ABORTED_BY_CALLBACK:  // our own stall check
      return kNetLibTimedOut;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
      return kNetLibSecurity;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_HTTP2_STREAM:
      return kNetLibTransferCut;
    case CURLE_TOO_MANY_REDIRECTS:
      return kNetLibTooManyRedirects;
    case CURLE_OUT_OF_MEMORY:
      return kNetLibOutOfMemory;
    case CURLE_WRITE_ERROR:
    case CURLE_READ_ERROR:
    case CURLE_FILE_COULDNT_READ_FILE:
      return kNetLibCacheError;
    default:
      return kNetLibOther;
  }
}

int FromStatus(long status) {
  if (status >= 200 && status < 300) return kNetLibOk;
  if (status == 404 || status == 410) return kNetLibNotFound;
  if (status == 401 || status == 403 || status == 407) return kNetLibAccessDenied;
  if (status >= 500 && status < 600) return kNetLibServerError;
  return kNetLibHttpError;
}

// One request: the handle with its bounds set; perform() maps the outcome.
class Request {
 public:
  explicit Request(const std::string& url) {
    GlobalInit();
    handle_ = curl_easy_init();
    if (handle_ == nullptr) return;
    progress_.timeoutMs = TransferTimeoutMs();
    url_ = UrlEncodeInvalid(url);  // a name with a space is still the file it names
    curl_easy_setopt(handle_, CURLOPT_URL, url_.c_str());
    curl_easy_setopt(handle_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle_, CURLOPT_PROTOCOLS_STR, "http,https");
    // Never from https to plain http: the guard checks every hop of a chain as well.
    curl_easy_setopt(handle_, CURLOPT_REDIR_PROTOCOLS_STR,
                     StartsWithNoCase(url_, "https:") ? "https" : "http,https");
    guard_.handle = handle_;
    curl_easy_setopt(handle_, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(handle_, CURLOPT_HEADERDATA, &guard_);
    curl_easy_setopt(handle_, CURLOPT_CONNECTTIMEOUT_MS, progress_.timeoutMs);
    // A server that keeps a transfer alive with a trickle of bytes is abandoned like one that
    // sends nothing: below the low-speed limit for the timeout, the transfer times out.
    curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_LIMIT, kNetLibLowSpeedBytesPerSecond);
    curl_easy_setopt(handle_, CURLOPT_LOW_SPEED_TIME, (progress_.timeoutMs + 999) / 1000);
    curl_easy_setopt(handle_, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle_, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(handle_, CURLOPT_XFERINFODATA, &progress_);
    curl_easy_setopt(handle_, CURLOPT_WRITEFUNCTION, Discard);
  }
  ~Request() {
    if (handle_ != nullptr) curl_easy_cleanup(handle_);
  }
  Request(const Request&) = delete;
  Request& operator=(const Request&) = delete;

  CURL* handle() const { return handle_; }

  // Performs the request: kNetLibOk when it went through and the status is success.
  int Perform() {
    if (handle_ == nullptr) return kNetLibOutOfMemory;
    const int transport = FromCurl(curl_easy_perform(handle_));
    if (guard_.refused) return kNetLibSecurity;
    if (transport != kNetLibOk) return transport;
    long status = 0;
    curl_easy_getinfo(handle_, CURLINFO_RESPONSE_CODE, &status);
    status_ = status;
    return FromStatus(status);
  }
  long status() const { return status_; }

 private:
  CURL* handle_ = nullptr;
  std::string url_;  // curl keeps a pointer to it
  Progress progress_{kNetLibDefaultTimeoutMs};
  RedirectGuard guard_;
  long status_ = 0;
};

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
  return std::fwrite(data, size, count, static_cast<FILE*>(file)) * size;
}

int HttpDownload(const std::string& url, const std::string& destination) {
  // The body goes to a private file beside the copy; only a whole body takes the copy's name.
  std::string temporary = destination + ".part-XXXXXX";
  const int fd = mkstemp(temporary.data());  // created readable by its owner only
  if (fd < 0) return kNetLibCacheError;
  FILE* file = fdopen(fd, "wb");
  if (file == nullptr) {
    close(fd);
    unlink(temporary.c_str());
    return kNetLibCacheError;
  }
  Request request(url);
  int error = kNetLibOutOfMemory;
  if (request.handle() != nullptr) {
    curl_easy_setopt(request.handle(), CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(request.handle(), CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(request.handle(), CURLOPT_WRITEFUNCTION, WriteToFile);
    curl_easy_setopt(request.handle(), CURLOPT_WRITEDATA, file);
    error = request.Perform();
  }
  if (std::fclose(file) != 0 && error == kNetLibOk) error = kNetLibCacheError;
  if (error == kNetLibOk && std::rename(temporary.c_str(), destination.c_str()) != 0) {
    error = kNetLibCacheError;
  }
  if (error != kNetLibOk) unlink(temporary.c_str());
  return error;
}

int HttpHead(const std::string& url) {
  Request request(url);
  if (request.handle() == nullptr) return kNetLibOutOfMemory;
  curl_easy_setopt(request.handle(), CURLOPT_NOBODY, 1L);
  curl_easy_setopt(request.handle(), CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(request.handle(), CURLOPT_MAXREDIRS, 10L);
  return request.Perform();
}

int HttpPutFile(const std::string& url, const std::string& localFile) {
  FILE* file = std::fopen(localFile.c_str(), "rb");
  if (file == nullptr) return kNetLibNoLocalCopy;
  struct stat info;
  if (fstat(fileno(file), &info) != 0 || !S_ISREG(info.st_mode)) {
    std::fclose(file);
    return kNetLibNoLocalCopy;
  }
  Request request(url);
  int error = kNetLibOutOfMemory;
  if (request.handle() != nullptr) {
    curl_easy_setopt(request.handle(), CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(request.handle(), CURLOPT_READDATA, file);
    curl_easy_setopt(request.handle(), CURLOPT_INFILESIZE_LARGE,
                     static_cast<curl_off_t>(info.st_size));
    error = request.Perform();
  }
  std::fclose(file);
  return error;
}

int HttpMakeCollection(const std::string& url, int* known) {
  *known = 1;
  Request request(url);
  if (request.handle() == nullptr) return kNetLibOutOfMemory;
  curl_easy_setopt(request.handle(), CURLOPT_CUSTOMREQUEST, "MKCOL");
  const int error = request.Perform();
  *known = request.status() != 400 && request.status() != 501 ? 1 : 0;
  return error != kNetLibOk && request.status() == 405 ? kNetLibOk : error;
}

}  // namespace

#define NETLIB_HTTP_EXPORT extern "C" __attribute__((visibility("default")))

NETLIB_HTTP_EXPORT int NetLibHttpDownload(const char* url, const char* destination) {
  return HttpDownload(url, destination);
}

NETLIB_HTTP_EXPORT int NetLibHttpHead(const char* url) {
  return HttpHead(url);
}

NETLIB_HTTP_EXPORT int NetLibHttpPutFile(const char* url, const char* localFile) {
  return HttpPutFile(url, localFile);
}

NETLIB_HTTP_EXPORT int NetLibHttpMakeCollection(const char* url, int* known) {
  return HttpMakeCollection(url, known);
}

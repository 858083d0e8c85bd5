// Differential tests against Python's ntpath and urllib.parse, run at test time: seeded random
// paths and texts, restricted to the cases where the library's rules and Python's agree, are
// written to a file that tests/path/reference_paths.py checks.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "path/file_url.h"
#include "path/net_files.h"
#include "path/netlib_entries.h"
#include "path/path_text.h"
#include "tests/path/path_test_support.h"

namespace {

std::string Hex(const std::string& s) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : s) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

class Cases {
 public:
  void Add(const std::string& op, const std::vector<std::string>& fields) {
    lines_ += op;
    for (const std::string& f : fields) lines_ += "\t" + Hex(f);
    lines_ += "\n";
    ++count_;
  }

  // Runs the reference script; returns its disagreements and checks the count it saw.
  std::string Check() {
    char name[] = "/tmp/tansel_paths_XXXXXX";
    const int fd = mkstemp(name);
    EXPECT_GE(fd, 0);
    std::ofstream(name) << lines_;
    const std::string command =
        std::string(TANSEL_PYTHON) + " " + TANSEL_REFERENCE_SCRIPT + " " + name + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    while (pipe != nullptr && fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    EXPECT_EQ(pipe != nullptr ? pclose(pipe) : -1, 0) << output;
    close(fd);
    std::remove(name);
    const std::string tail = "checked " + std::to_string(count_) + "\n";
    EXPECT_TRUE(output.size() >= tail.size() &&
                output.compare(output.size() - tail.size(), tail.size(), tail) == 0)
        << output;
    return output.substr(0, output.size() >= tail.size() ? output.size() - tail.size() : 0);
  }

 private:
  std::string lines_;
  int count_ = 0;
};

// A random path: a start, then components joined by backslashes or slashes.
struct RandomPath {
  std::string text;
  std::vector<std::string> parts;
  std::string start;
};

RandomPath MakePath(std::mt19937& rng, const std::vector<std::string>& starts,
                    const std::vector<std::string>& parts, bool slashes) {
  RandomPath path;
  path.start = starts[rng() % starts.size()];
  path.text = path.start;
  const int count = 1 + static_cast<int>(rng() % 6);
  for (int i = 0; i < count; ++i) {
    if (i > 0) path.text += slashes && rng() % 3 == 0 ? "/" : "\\";
    path.parts.push_back(parts[rng() % parts.size()]);
    path.text += path.parts.back();
  }
  return path;
}

TEST(PathDifferential, AgainstPythonNtpathAndUrllib) {
  std::mt19937 rng(1616);
  Cases cases;
  const std::vector<std::string> parts = {"a", "B", "cd", ".", "..", "e f", "g.h"};
  for (int i = 0; i < 4000; ++i) {
    RandomPath path = MakePath(rng, {"", "\\", "C:\\", "c:\\"}, parts, true);
    // Where the rules part: a trailing dot keeps its separator here, and ".." that climbs to
    // the start of a relative path leaves a rooted one.
    if (path.parts.back() == "." || path.parts.back() == "..") continue;
    int depth = 0;
    bool climbs = false;
    for (const std::string& part : path.parts) {
      if (part == "..") {
        climbs = climbs || (path.start.empty() && depth <= 1);
        depth = depth > 0 ? depth - 1 : 0;
      } else if (part != ".") {
        ++depth;
      }
    }
    if (climbs) continue;
    PathBuffer buffer(path.text);
    ASSERT_EQ(PathResolve(buffer.text, nullptr), 0);
    cases.Add("norm", {path.text, buffer.text});
    if (path.start != "\\") {  // Python versions differ on a root without a drive
      cases.Add("isabs", {path.text, std::to_string(PathIsAbsolute(path.text.c_str()))});
    }
  }
  for (const char* text : {"C:", "c:\\", "C:\\x", "\\", "/", "a", "C:\\\\", "1:", "\\\\"}) {
    cases.Add("root", {text, std::to_string(PathIsRoot(text))});
  }
  const std::vector<std::string> plain = {"a", "B", "ab", "abc", "x y"};
  for (int i = 0; i < 3000; ++i) {
    RandomPath path = MakePath(rng, {"C:\\", "c:\\", "D:\\"}, plain, false);
    RandomPath dir = MakePath(rng, {"C:\\", "c:\\", "D:\\"}, plain, false);
    if (rng() % 2 == 0) {  // a close base: the path's own directory
      const size_t last = path.text.rfind('\\');
      dir.text = path.text.substr(0, last == 2 ? 3 : last);
    }
    const bool rootDir = dir.text.back() == '\\';
    PathBuffer buffer(path.text);
    PathMakeRelative(buffer.text, (dir.text + (rootDir ? "" : "\\") + "file").c_str());
    cases.Add("rel", {path.text, dir.text, buffer.text});
  }
  std::uniform_int_distribution<int> byte(1, 0x7E);
  for (int i = 0; i < 3000; ++i) {
    std::string text(1 + rng() % 20, ' ');
    for (char& c : text) {
      do c = static_cast<char>(byte(rng));
      while (c == '~');  // Python never escapes '~'
    }
    cases.Add("quote", {text, Take(UrlEncode(text.c_str()))});
    std::string escaped;
    for (char c : text) {
      if (c == '%' || rng() % 4 == 0) {
        char hex[4];
        std::snprintf(hex, sizeof hex, rng() % 2 ? "%%%02X" : "%%%02x",
                      static_cast<unsigned>(1 + rng() % 255));
        escaped += hex;
      } else {
        escaped += c;
      }
    }
    cases.Add("unquote", {escaped, Take(UrlDecode(escaped.c_str()))});
  }
  EXPECT_EQ(cases.Check(), "");
}

// URL references joined by this platform's NetLib, through the client's wrapper, against urljoin.
TEST(PathDifferential, NetworkJoinsAgainstPythonUrljoin) {
  NetLibSetEntries(nullptr);  // the real module
  std::mt19937 rng(3986);
  Cases cases;
  const std::vector<std::string> segments = {"g", ".", "..", "g;x", "h.i", "j"};
  for (int i = 0; i < 3000; ++i) {
    std::string base = "http://a";
    for (int n = static_cast<int>(rng() % 4); n >= 0; --n) base += "/" + segments[rng() % 6];
    if (rng() % 3 == 0) base += "?q";
    std::string reference = rng() % 4 == 0 ? "/" : "";
    for (int n = static_cast<int>(rng() % 4); n >= 0; --n) {
      reference += segments[rng() % 6] + (n > 0 ? "/" : "");
    }
    if (rng() % 4 == 0) reference += "?y";
    if (rng() % 4 == 0) reference += "#s";
    // urljoin keeps dot segments of the base that the RFC's merge would remove.
    if (base.find("/.") != std::string::npos) continue;
    char* joined = nullptr;
    ASSERT_EQ(NetResolveUrl(base.c_str(), reference.c_str(), &joined), 0);
    cases.Add("urljoin", {base, reference, Take(joined)});
  }
  EXPECT_EQ(cases.Check(), "");
}

}  // namespace

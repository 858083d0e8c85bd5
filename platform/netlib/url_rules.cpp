// URL rules by RFC 3986. Resolution follows the RFC's own algorithm (5.2.2) rather than libcurl's
// URL parser: Debian 12's libcurl answers an empty reference and a fragment alone with the base's
// directory, refuses schemes it does not know ("g:h"), adds a path to "//g", keeps a base's
// fragment before a query-only reference and drops the slash of "../?q".
#include "platform/netlib/url_rules.h"

#include <cctype>
#include <cstring>
#include <memory>
#include <vector>

namespace {

bool IsSchemeChar(char c, bool first) {
  if (std::isalpha(static_cast<unsigned char>(c))) return true;
  return !first &&
         (std::isdigit(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.');
}

bool IsUnreserved(unsigned char c) {
  return std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Decodes unreserved characters and upper-cases the hex digits of every other encoding.
std::string NormalisePercent(const std::string& s) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
      const auto byte = static_cast<unsigned char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]));
      if (IsUnreserved(byte)) {
        out += static_cast<char>(byte);
      } else {
        out += '%';
        out += digits[byte >> 4];
        out += digits[byte & 15];
      }
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The host of an authority in lower case; user information and port keep their case.
std::string LowerHost(const std::string& authority) {
  const size_t at = authority.rfind('@');
  const size_t hostStart = at == std::string::npos ? 0 : at + 1;
  size_t hostEnd = authority.size();
  const size_t colon = authority.rfind(':');
  if (colon != std::string::npos && colon >= hostStart &&
      authority.find(']', colon) == std::string::npos) {
    hostEnd = colon;
  }
  return authority.substr(0, hostStart) + Lower(authority.substr(hostStart, hostEnd - hostStart)) +
         authority.substr(hostEnd);
}

// The merge of a relative path with the base's path (RFC 3986, 5.2.3).
std::string Merge(const UrlParts& base, const std::string& path) {
  if (base.hasAuthority && base.path.empty()) return "/" + path;
  const size_t slash = base.path.rfind('/');
  return slash == std::string::npos ? path : base.path.substr(0, slash + 1) + path;
}

std::vector<std::string> Segments(const std::string& path) {
  std::vector<std::string> segments;
  size_t start = 0;
  for (;;) {
    const size_t slash = path.find('/', start);
    segments.push_back(path.substr(start, slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return segments;
}

}  // namespace

UrlParts UrlSplit(const std::string& url) {
  UrlParts parts;
  size_t i = 0;
  const size_t colon = url.find(':');
  if (colon != std::string::npos && colon > 0 && url.find_first_of("/?#") > colon) {
    bool valid = true;
    for (size_t k = 0; k < colon; ++k) valid = valid && IsSchemeChar(url[k], k == 0);
    if (valid) {
      parts.hasScheme = true;
      parts.scheme = url.substr(0, colon);
      i = colon + 1;
    }
  }
  if (url.compare(i, 2, "//") == 0) {
    parts.hasAuthority = true;
    const size_t end = url.find_first_of("/?#", i + 2);
    parts.authority = url.substr(i + 2, end == std::string::npos ? std::string::npos : end - i - 2);
    i = end == std::string::npos ? url.size() : end;
  }
  const size_t pathEnd = std::min(url.find_first_of("?#", i), url.size());
  parts.path = url.substr(i, pathEnd - i);
  i = pathEnd;
  if (i < url.size() && url[i] == '?') {
    parts.hasQuery = true;
    const size_t end = std::min(url.find('#', i), url.size());
    parts.query = url.substr(i + 1, end - i - 1);
    i = end;
  }
  if (i < url.size() && url[i] == '#') {
    parts.hasFragment = true;
    parts.fragment = url.substr(i + 1);
  }
  return parts;
}

std::string UrlJoin(const UrlParts& parts) {
  std::string url;
  if (parts.hasScheme) url += parts.scheme + ":";
  if (parts.hasAuthority) url += "//" + parts.authority;
  url += parts.path;
  if (parts.hasQuery) url += "?" + parts.query;
  if (parts.hasFragment) url += "#" + parts.fragment;
  return url;
}

std::string UrlRemoveDotSegments(const std::string& path) {
  std::string in = path, out;
  while (!in.empty()) {
    if (in.compare(0, 3, "../") == 0) {
      in.erase(0, 3);
    } else if (in.compare(0, 2, "./") == 0) {
      in.erase(0, 2);
    } else if (in.compare(0, 3, "/./") == 0) {
      in.erase(0, 2);
    } else if (in == "/.") {
      in = "/";
    } else if (in.compare(0, 4, "/../") == 0 || in == "/..") {
      in = in == "/.." ? "/" : in.substr(3);
      const size_t last = out.rfind('/');
      out.erase(last == std::string::npos ? 0 : last);
    } else if (in == "." || in == "..") {
      in.clear();
    } else {
      const size_t next = in.find('/', 1);
      out += in.substr(0, next);
      in.erase(0, next == std::string::npos ? in.size() : next);
    }
  }
  return out;
}

std::string UrlEncodeInvalid(const std::string& text) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (c <= 0x20 || c >= 0x7F || std::strchr("\"<>\\^`{|}", c) != nullptr) {
      out += '%';
      out += digits[c >> 4];
      out += digits[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::optional<std::string> UrlResolve(const std::string& base, const std::string& reference) {
  const UrlParts b = UrlSplit(UrlEncodeInvalid(base));
  if (!b.hasScheme) return std::nullopt;
  const UrlParts r = UrlSplit(UrlEncodeInvalid(reference));
  UrlParts t;
  if (r.hasScheme) {
    t = r;
    t.path = UrlRemoveDotSegments(r.path);
  } else {
    if (r.hasAuthority) {
      t = r;
      t.path = UrlRemoveDotSegments(r.path);
    } else {
      if (r.path.empty()) {
        t.path = b.path;
        t.hasQuery = r.hasQuery || b.hasQuery;
        t.query = r.hasQuery ? r.query : b.query;
      } else {
        t.path = UrlRemoveDotSegments(r.path[0] == '/' ? r.path : Merge(b, r.path));
        t.hasQuery = r.hasQuery;
        t.query = r.query;
      }
      t.hasAuthority = b.hasAuthority;
      t.authority = b.authority;
    }
    t.hasScheme = true;
    t.scheme = b.scheme;
  }
  t.hasFragment = r.hasFragment;
  t.fragment = r.fragment;
  return UrlJoin(t);
}

std::optional<std::string> UrlRelative(const std::string& base, const std::string& target) {
  UrlParts b = UrlSplit(base);
  UrlParts t = UrlSplit(target);
  if (!b.hasScheme || !t.hasScheme) return std::nullopt;
  if (Lower(b.scheme) != Lower(t.scheme) || !t.hasAuthority || !b.hasAuthority ||
      Lower(b.authority) != Lower(t.authority)) {
    return target;
  }
  b.path = UrlRemoveDotSegments(b.path.empty() ? "/" : b.path);
  t.path = UrlRemoveDotSegments(t.path.empty() ? "/" : t.path);
  const std::string fragment = t.hasFragment ? "#" + t.fragment : "";
  if (t.path == b.path && t.hasQuery == b.hasQuery && t.query == b.query) return fragment;
  if (t.path == b.path && t.hasQuery) return "?" + t.query + fragment;
  // The base's directory segments (its last segment is a file name) against the target's.
  std::vector<std::string> dir = Segments(b.path);
  dir.pop_back();
  const std::vector<std::string> segments = Segments(t.path);
  size_t common = 0;
  while (common < dir.size() && common + 1 < segments.size() && dir[common] == segments[common]) {
    ++common;
  }
  std::string relative;
  for (size_t i = common; i < dir.size(); ++i) relative += "../";
  for (size_t i = common; i < segments.size(); ++i) {
    relative += segments[i] + (i + 1 < segments.size() ? "/" : "");
  }
  // A first segment with a colon would read as a scheme, an empty one as an authority or root.
  const std::string first = relative.substr(0, relative.find('/'));
  if (relative.empty() || first.find(':') != std::string::npos ||
      (!relative.empty() && relative[0] == '/')) {
    relative = "./" + relative;
  }
  if (t.path.compare(0, 2, "//") != 0 && t.path.size() < relative.size()) relative = t.path;
  const std::string reference = relative + (t.hasQuery ? "?" + t.query : "") + fragment;
  return reference.size() < target.size() ? reference : target;
}

std::string UrlClean(const std::string& url) {
  UrlParts parts = UrlSplit(UrlEncodeInvalid(url));
  parts.scheme = Lower(parts.scheme);
  parts.authority = LowerHost(NormalisePercent(parts.authority));
  parts.path = UrlRemoveDotSegments(NormalisePercent(parts.path));
  if (parts.hasAuthority && parts.path.empty() &&
      (parts.scheme == "http" || parts.scheme == "https")) {
    parts.path = "/";
  }
  parts.query = NormalisePercent(parts.query);
  parts.fragment = NormalisePercent(parts.fragment);
  return UrlJoin(parts);
}

std::string UrlWithoutCredentials(const std::string& url) {
  UrlParts parts = UrlSplit(url);
  const size_t at = parts.authority.rfind('@');
  if (at != std::string::npos) parts.authority.erase(0, at + 1);
  return UrlJoin(parts);
}

bool RedirectAllowed(const std::string& from, const std::string& location) {
  const std::optional<std::string> target = UrlResolve(from, location);
  if (!target) return false;
  const std::string fromScheme = Lower(UrlSplit(from).scheme);
  const std::string toScheme = Lower(UrlSplit(*target).scheme);
  if (toScheme != "http" && toScheme != "https") return false;
  return fromScheme != "https" || toScheme == "https";
}

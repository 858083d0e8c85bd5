// NetLib's URL rules: every example of RFC 3986 section 5.4 (normal and abnormal), a seeded
// property that the shortest relative reference resolves back to its target, and normalisation.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/netlib/url_rules.h"

namespace {

TEST(NetLibUrl, ResolvesEveryExampleOfRfc3986) {
  const std::string base = "http://a/b/c/d;p?q";
  struct Row {
    int line;
    const char* reference;
    const char* expected;
  };
  const Row rows[] = {
      // 5.4.1 Normal examples.
      {__LINE__, "g:h", "g:h"},
      {__LINE__, "g", "http://a/b/c/g"},
      {__LINE__, "./g", "http://a/b/c/g"},
      {__LINE__, "g/", "http://a/b/c/g/"},
      {__LINE__, "/g", "http://a/g"},
      {__LINE__, "//g", "http://g"},
      {__LINE__, "?y", "http://a/b/c/d;p?y"},
      {__LINE__, "g?y", "http://a/b/c/g?y"},
      {__LINE__, "#s", "http://a/b/c/d;p?q#s"},
      {__LINE__, "g#s", "http://a/b/c/g#s"},
      {__LINE__, "g?y#s", "http://a/b/c/g?y#s"},
      {__LINE__, ";x", "http://a/b/c/;x"},
      {__LINE__, "g;x", "http://a/b/c/g;x"},
      {__LINE__, "g;x?y#s", "http://a/b/c/g;x?y#s"},
      {__LINE__, "", "http://a/b/c/d;p?q"},
      {__LINE__, ".", "http://a/b/c/"},
      {__LINE__, "./", "http://a/b/c/"},
      {__LINE__, "..", "http://a/b/"},
      {__LINE__, "../", "http://a/b/"},
      {__LINE__, "../g", "http://a/b/g"},
      {__LINE__, "../..", "http://a/"},
      {__LINE__, "../../", "http://a/"},
      {__LINE__, "../../g", "http://a/g"},
      // 5.4.2 Abnormal examples (strict parsers).
      {__LINE__, "../../../g", "http://a/g"},
      {__LINE__, "../../../../g", "http://a/g"},
      {__LINE__, "/./g", "http://a/g"},
      {__LINE__, "/../g", "http://a/g"},
      {__LINE__, "g.", "http://a/b/c/g."},
      {__LINE__, ".g", "http://a/b/c/.g"},
      {__LINE__, "g..", "http://a/b/c/g.."},
      {__LINE__, "..g", "http://a/b/c/..g"},
      {__LINE__, "./../g", "http://a/b/g"},
      {__LINE__, "./g/.", "http://a/b/c/g/"},
      {__LINE__, "g/./h", "http://a/b/c/g/h"},
      {__LINE__, "g/../h", "http://a/b/c/h"},
      {__LINE__, "g;x=1/./y", "http://a/b/c/g;x=1/y"},
      {__LINE__, "g;x=1/../y", "http://a/b/c/y"},
      {__LINE__, "g?y/./x", "http://a/b/c/g?y/./x"},
      {__LINE__, "g?y/../x", "http://a/b/c/g?y/../x"},
      {__LINE__, "g#s/./x", "http://a/b/c/g#s/./x"},
      {__LINE__, "g#s/../x", "http://a/b/c/g#s/../x"},
      {__LINE__, "http:g", "http:g"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    const std::optional<std::string> resolved = UrlResolve(base, row.reference);
    ASSERT_TRUE(resolved.has_value());
    EXPECT_EQ(*resolved, row.expected);
  }
  EXPECT_EQ(UrlResolve("http://a/b#frag", "#s").value(), "http://a/b#s");
  EXPECT_EQ(UrlResolve("http://a/b#frag", "").value(), "http://a/b");
  EXPECT_FALSE(UrlResolve("relative/base", "g").has_value());
}

TEST(NetLibUrl, RemovesDotSegmentsAsTheRfcsExamplesDo) {
  EXPECT_EQ(UrlRemoveDotSegments("/a/b/c/./../../g"), "/a/g");
  EXPECT_EQ(UrlRemoveDotSegments("mid/content=5/../6"), "mid/6");
  EXPECT_EQ(UrlRemoveDotSegments("/.."), "/");
  EXPECT_EQ(UrlRemoveDotSegments(""), "");
}

TEST(NetLibUrl, CleansSchemeHostDotsAndEncodings) {
  struct Row {
    int line;
    const char* url;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "HTTP://User@Example.COM:8080/a/./b/../c", "http://User@example.com:8080/a/c"},
      {__LINE__, "http://h/%7Euser/%41%2f%2a", "http://h/~user/A%2F%2A"},
      {__LINE__, "https://H", "https://h/"},
      {__LINE__, "http://h/p?q=%7e&x#%7E", "http://h/p?q=~&x#~"},
      {__LINE__, "http://[::1]:80/x", "http://[::1]:80/x"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(UrlClean(row.url), row.expected);
    EXPECT_EQ(UrlClean(UrlClean(row.url)), UrlClean(row.url));  // idempotent
  }
  EXPECT_EQ(UrlWithoutCredentials("http://u:secret@h/x"), "http://h/x");
}

TEST(NetLibUrl, RelativeReferencesTable) {
  struct Row {
    int line;
    const char* base;
    const char* target;
    const char* expected;
  };
  const Row rows[] = {
      {__LINE__, "http://h/a/b/f", "http://h/a/c/g", "../c/g"},
      {__LINE__, "http://h/a/f", "http://h/a/b/g", "b/g"},
      {__LINE__, "http://h/a/f", "http://h/a/f", ""},
      {__LINE__, "http://h/a/f", "http://h/a/f#s", "#s"},
      {__LINE__, "http://h/a/f?q", "http://h/a/f?r", "?r"},
      {__LINE__, "http://h/a/f?q", "http://h/a/f", "f"},
      {__LINE__, "http://h/a/f", "http://h/a/", "./"},
      {__LINE__, "http://h/a/f", "http://h/a/x:y", "./x:y"},
      {__LINE__, "http://h/a/b/c/d/f", "http://h/x", "/x"},
      {__LINE__, "http://h/a/f", "http://g/a/f", "http://g/a/f"},
      {__LINE__, "http://h/a/f", "https://h/a/f", "https://h/a/f"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(UrlRelative(row.base, row.target).value_or("(none)"), row.expected);
  }
}

// The property that matters: the reference leads back to the target, and none is longer than the
// target itself.
TEST(NetLibUrl, RelativeReferencesResolveBackToTheirTargets) {
  std::mt19937 rng(3986);
  const std::vector<std::string> segments = {"a", "b", "c:d", "", "e.f", "%20"};
  auto randomUrl = [&] {
    std::string url = rng() % 5 == 0 ? "http://other" : "http://h";
    const int depth = static_cast<int>(rng() % 5);
    for (int i = 0; i < depth; ++i) url += "/" + segments[rng() % segments.size()];
    if (depth == 0 || rng() % 3 == 0) url += "/";
    if (rng() % 3 == 0) url += "?q" + std::to_string(rng() % 2);
    if (rng() % 4 == 0) url += "#s";
    return url;
  };
  for (int i = 0; i < 5000; ++i) {
    const std::string base = randomUrl(), target = randomUrl();
    SCOPED_TRACE(base + " -> " + target);
    const std::optional<std::string> relative = UrlRelative(base, target);
    ASSERT_TRUE(relative.has_value());
    EXPECT_LE(relative->size(), target.size());
    EXPECT_EQ(UrlResolve(base, *relative).value_or("(none)"), target) << *relative;
  }
}

// Redirects go to http and https only, and from https only to https, relative ones included.
TEST(NetLibUrl, RedirectsNeverLeaveHttpsForPlainHttp) {
  struct Row {
    int line;
    const char* from;
    const char* location;
    bool allowed;
  };
  const Row rows[] = {
      {__LINE__, "https://a/x", "http://a/y", false},
      {__LINE__, "HTTPS://a/x", "HTTP://b/y", false},
      {__LINE__, "https://a/x", "https://b/y", true},
      {__LINE__, "https://a/x", "/y", true},
      {__LINE__, "https://a/x", "//b/y", true},
      {__LINE__, "https://a/x", "y?q", true},
      {__LINE__, "http://a/x", "http://b/y", true},
      {__LINE__, "http://a/x", "https://b/y", true},
      {__LINE__, "http://a/x", "//b/y", true},
      {__LINE__, "http://a/x", "ftp://b/y", false},
      {__LINE__, "http://a/x", "file:///etc/passwd", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line);
    EXPECT_EQ(RedirectAllowed(row.from, row.location), row.allowed);
  }
}

}  // namespace

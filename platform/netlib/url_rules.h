// URL rules of NetLib, on std::string: splitting by RFC 3986, resolving a reference, the shortest
// relative reference, and normalisation. Pure text work: no network.
#pragma once

#include <optional>
#include <string>

struct UrlParts {
  std::string scheme, authority, path, query, fragment;
  bool hasScheme = false, hasAuthority = false, hasQuery = false, hasFragment = false;
};

// The five components of a URL or reference (RFC 3986, appendix B).
UrlParts UrlSplit(const std::string& url);
// The text of parts, recomposed (RFC 3986, 5.3).
std::string UrlJoin(const UrlParts& parts);
// A path with "." and ".." segments removed (RFC 3986, 5.2.4).
std::string UrlRemoveDotSegments(const std::string& path);
// The absolute URL that reference names relative to base (RFC 3986, 5.2), bytes a URL cannot
// carry encoded first; nullopt when base is not absolute.
std::optional<std::string> UrlResolve(const std::string& base, const std::string& reference);
// The shortest reference that resolves against base to target; target itself when they differ in
// scheme or authority.
std::optional<std::string> UrlRelative(const std::string& base, const std::string& target);
// Invalid bytes encoded, scheme and host in lower case, dot segments removed, unreserved characters
// decoded and the remaining percent-encodings in upper case; an empty http(s) path becomes "/".
std::string UrlClean(const std::string& url);
// text with every byte that a URL cannot carry (controls, space, non-ASCII, " < > \ ^ ` { | })
// percent-encoded; everything else, '%' included, as it stands.
std::string UrlEncodeInvalid(const std::string& text);
// Whether a transfer of from may follow a redirect to location (resolved against from): only to
// http or https, and from https only to https, so that nothing sent or fetched over TLS moves
// to plain text.
bool RedirectAllowed(const std::string& from, const std::string& location);
// The URL without its user and password.
std::string UrlWithoutCredentials(const std::string& url);

// NetLib's local cache: the folder, the file that holds each URL's copy, and downloads that only
// ever leave complete copies under that name.
#pragma once

#include <optional>
#include <string>

// The cache folder, created (owner only) when missing: $TANSEL_NETLIB_CACHE, else tansel/netlib
// under $XDG_CACHE_HOME or ~/.cache. nullopt when it cannot be made.
std::optional<std::string> CacheFolder();
// The cache file for url (which need not exist): a hash of the cleaned URL, then its last path
// segment made safe for a file name, so that the extension survives.
std::optional<std::string> CacheFileFor(const std::string& url);
// Makes sure path is a regular file readable and writable by its owner only, creating it empty
// when missing; false when it cannot be made so.
bool CacheFileMakePrivate(const std::string& path);
// 1 when path names an existing regular file.
bool CacheFileExists(const std::string& path);

// The error numbers NetLibGetLastError reports (0–19, all meaningful to the client library),
// and the environment variables this NetLib reads.
#pragma once

#include <cstdint>

enum NetLibError : int32_t {
  kNetLibOk = 0,                 // no failure yet
  kNetLibNotNetworkName = 1,     // not an http:// or https:// URL
  kNetLibBadUrl = 2,             // malformed URL or reference
  kNetLibNotFound = 3,           // the server has no such file (404, 410)
  kNetLibAccessDenied = 4,       // 401, 403, 407
  kNetLibCannotConnect = 5,      // the connection was refused or could not be made
  kNetLibTimedOut = 6,           // no progress within the timeout
  kNetLibHostNotFound = 7,       // the host name does not resolve
  kNetLibSecurity = 8,           // TLS failed: certificate, host name or handshake
  kNetLibServerError = 9,        // 5xx
  kNetLibHttpError = 10,         // any other status that is not success
  kNetLibCacheError = 11,        // the local cache could not be read or written
  kNetLibNotCached = 12,         // unused: a cache query that finds no copy has answered, not
                                 // failed, and leaves the last error alone
  kNetLibOutOfMemory = 13,       //
  kNetLibTransferCut = 14,       // the connection ended before the whole body arrived
  kNetLibNoLocalCopy = 15,       // nothing local to send
  kNetLibUnsupported = 16,       // scheme or operation not supported
  kNetLibTooManyRedirects = 17,  //
  kNetLibBadArgument = 18,       // a null or empty argument where a text is needed
  kNetLibOther = 19,             // anything else
};

inline constexpr const char* kNetLibCacheVariable = "TANSEL_NETLIB_CACHE";  // the cache folder
inline constexpr const char* kNetLibTimeoutVariable = "TANSEL_NETLIB_TIMEOUT_MS";
inline constexpr long kNetLibDefaultTimeoutMs = 5000;  // connect, and longest stall of a transfer
// A transfer slower than this for the whole timeout (in whole seconds, at least 1) times out.
inline constexpr long kNetLibLowSpeedBytesPerSecond = 1024;

// NetLibOpen and NetLibStat: a complete copy already in the cache will do (no request).
inline constexpr uint32_t kNetLibFlagCached = 16;

// NetLib's requests over libcurl, in a module of their own (libtansel_netlib_http.so) that the
// entries load at the first transfer: libcurl and the TLS libraries behind it come into a process
// only when it really talks to a server, not when it merely asks whether a name is a URL.
//
// Each request is bounded by the timeout: no call waits longer than the timeout for a connection
// or for the next byte, nor goes on below kNetLibLowSpeedBytesPerSecond for longer than the
// timeout. Redirects go only to http and https, and from https only to https. Each returns a
// NetLibError (kNetLibOk on success).
#pragma once

extern "C" {
// GET url into destination, through a private temporary file renamed into place only when the
// whole body arrived; a failed or cut transfer leaves destination as it was.
typedef int (*NetLibHttpDownloadFn)(const char* url, const char* destination);
// HEAD url.
typedef int (*NetLibHttpHeadFn)(const char* url);
// PUT the contents of localFile to url.
typedef int (*NetLibHttpPutFileFn)(const char* url, const char* localFile);
// MKCOL url; a collection that exists already (405) counts as made. *known is set to 0 when the
// server does not know the method (400, 501).
typedef int (*NetLibHttpMakeCollectionFn)(const char* url, int* known);
}

struct HttpTransfers {
  NetLibHttpDownloadFn download;              // "NetLibHttpDownload"
  NetLibHttpHeadFn head;                      // "NetLibHttpHead"
  NetLibHttpPutFileFn putFile;                // "NetLibHttpPutFile"
  NetLibHttpMakeCollectionFn makeCollection;  // "NetLibHttpMakeCollection"
};

// The transfer module's entries, loaded from beside this module at the first call; null when it
// cannot be loaded (then every transfer fails with kNetLibUnsupported).
const HttpTransfers* HttpTransfersLoad();

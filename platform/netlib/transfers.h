// NetLib's requests over libcurl, each bounded by the timeout: no call waits longer than the
// timeout for a connection or for the next byte. Each returns a NetLibError (kNetLibOk on success).
#pragma once

#include <string>

// The timeout in milliseconds: $TANSEL_NETLIB_TIMEOUT_MS (1 to 600000), else the default.
long TransferTimeoutMs();
// GET url into destination, through a private temporary file renamed into place only when the
// whole body arrived; a failed or cut transfer leaves destination as it was.
int HttpDownload(const std::string& url, const std::string& destination);
// HEAD url.
int HttpHead(const std::string& url);
// PUT the contents of localFile to url.
int HttpPutFile(const std::string& url, const std::string& localFile);
// MKCOL url; a collection that exists already (405) counts as made. *known is set false when
// the server does not know the method (400, 501).
int HttpMakeCollection(const std::string& url, bool* known);

// Fetching "http:" resources: whole bodies over libcurl, with time-outs so a dead server never
// hangs a load.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qelt::platform
{

struct cHttpOptions
{
    std::string userAgent = "Vandrel Viewer";
    // Connecting (name lookup included) may take this long.
    long connectTimeoutMs = 10000;
    // A transfer that receives nothing for this long (waiting for the answer included) is given
    // up; 0 for no limit. Checked at least once a second.
    long stallTimeoutMs = 30000;
    // The whole transfer may take this long; 0 for no limit.
    long totalTimeoutMs = 600000;
    // A body larger than this is refused rather than held in memory.
    uint64_t maxBytes = uint64_t(512) << 20;
};

// The URL with "\\" turned into "/", dot segments removed and unsafe characters escaped; empty
// when the text is not an http URL.
std::string canonicalHttpUrl(const std::string& url);

// Fetches the whole body of an http URL, following redirects. Anything but a complete answer
// with a 2xx status (no connection, a time-out, an error status, fewer bytes than announced, a
// body over maxBytes) gives false, an empty body and the reason in error.
bool httpGet(const std::string& url, const cHttpOptions& options, std::vector<uint8_t>& body,
             std::string* error = nullptr);

} // namespace qelt::platform

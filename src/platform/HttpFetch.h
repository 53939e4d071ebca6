#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace corvane {

// An HTTP proxy as the settings give it; an empty host means none.
struct FetchProxy {
    std::string host;
    int port = 80;
    std::string user;
    std::string password;
};

struct FetchRequest {
    std::string url;
    std::vector<std::string> headers;  // "Name: value" lines
    std::string userAgent;
    FetchProxy proxy;
    long timeoutSeconds = 30;                // the whole transfer, connection included
    std::size_t maxBytes = 4 * 1024 * 1024;  // a longer answer is refused
    // When not empty, the request is a POST of this form
    // (application/x-www-form-urlencoded) instead of a GET.
    std::string postForm;
};

struct FetchResult {
    bool ok = false;      // a whole answer arrived (any HTTP status)
    long httpStatus = 0;  // 0 when no answer arrived
    std::string body;     // FetchToMemory only
    std::string error;    // why it failed, in words
};

// GET (or POST) into memory, through libcurl. Fails on a transport error, the time limit
// or an answer longer than maxBytes; an HTTP error status is still ok.
FetchResult FetchToMemory(const FetchRequest& request);

// GET into a new file made by mkstemp in the temporary folder; its path is
// returned in path. On failure the file is already removed and path is empty.
FetchResult DownloadToTempFile(const FetchRequest& request, std::string& path);

}  // namespace corvane

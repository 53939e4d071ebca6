#include "platform/HttpFetch.h"

#include <curl/curl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>

namespace corvane {
namespace {

struct Sink {
    std::string* memory = nullptr;
    std::FILE* file = nullptr;
    std::size_t written = 0;
    std::size_t limit = 0;
    bool tooLong = false;
};

std::size_t WriteChunk(char* data, std::size_t size, std::size_t count, void* user) {
    auto& sink = *static_cast<Sink*>(user);
    const std::size_t bytes = size * count;
    if (sink.written + bytes > sink.limit) {
        sink.tooLong = true;
        return 0;  // makes libcurl stop with CURLE_WRITE_ERROR
    }
    sink.written += bytes;
    if (sink.memory) {
        sink.memory->append(data, bytes);
        return bytes;
    }
    return std::fwrite(data, 1, bytes, sink.file);
}

// curl_global_init is not thread-safe; run it once before the first handle.
void InitCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct CurlDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct HeaderListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

FetchResult Perform(const FetchRequest& request, Sink& sink) {
    InitCurlOnce();
    FetchResult result;
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) {
        result.error = "the download could not be started";
        return result;
    }
    std::unique_ptr<curl_slist, HeaderListDeleter> headers;
    for (const std::string& line : request.headers) {
        headers.reset(curl_slist_append(headers.release(), line.c_str()));
    }
    char errorText[CURL_ERROR_SIZE] = {};
    CURL* h = curl.get();
    curl_easy_setopt(h, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(h, CURLOPT_TIMEOUT, request.timeoutSeconds);
    curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &WriteChunk);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &sink);
    if (!request.postForm.empty()) {
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, request.postForm.c_str());
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.postForm.size()));
    }
    if (!request.userAgent.empty()) {
        curl_easy_setopt(h, CURLOPT_USERAGENT, request.userAgent.c_str());
    }
    // Only the proxy of the settings is used, never one from the environment.
    const std::string proxy = request.proxy.host.empty()
                                  ? std::string()
                                  : request.proxy.host + ":" + std::to_string(request.proxy.port);
    curl_easy_setopt(h, CURLOPT_PROXY, proxy.c_str());
    if (!proxy.empty() && !request.proxy.user.empty()) {
        curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, request.proxy.user.c_str());
        curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, request.proxy.password.c_str());
    }
    const CURLcode code = curl_easy_perform(h);
    curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &result.httpStatus);
    if (sink.tooLong) {
        result.error = "the answer is longer than " + std::to_string(request.maxBytes) + " bytes";
    } else if (code != CURLE_OK) {
        result.error = errorText[0] ? errorText : curl_easy_strerror(code);
    } else {
        result.ok = true;
    }
    return result;
}

}  // namespace

FetchResult FetchToMemory(const FetchRequest& request) {
    std::string body;
    Sink sink{&body, nullptr, 0, request.maxBytes, false};
    FetchResult result = Perform(request, sink);
    result.body = std::move(body);
    return result;
}

FetchResult DownloadToTempFile(const FetchRequest& request, std::string& path) {
    std::error_code error;
    std::string pattern = (std::filesystem::temp_directory_path(error) / "corvane-XXXXXX").string();
    if (error) {
        pattern = "/tmp/corvane-XXXXXX";
    }
    const int fd = mkstemp(pattern.data());
    if (fd < 0) {
        path.clear();
        FetchResult result;
        result.error = "no temporary file could be made";
        return result;
    }
    std::FILE* file = fdopen(fd, "wb");
    if (!file) {
        close(fd);
        std::remove(pattern.c_str());
        path.clear();
        FetchResult result;
        result.error = "no temporary file could be made";
        return result;
    }
    Sink sink{nullptr, file, 0, request.maxBytes, false};
    FetchResult result = Perform(request, sink);
    if (std::fclose(file) != 0 && result.ok) {
        result.ok = false;
        result.error = "the temporary file could not be written";
    }
    if (!result.ok) {
        std::remove(pattern.c_str());
        path.clear();
        return result;
    }
    path = pattern;
    return result;
}

}  // namespace corvane

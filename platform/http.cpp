// Fetching "http:" resources over libcurl: one easy handle per transfer, the body kept in memory.
#include "platform/http.h"

#include <curl/curl.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>

namespace qelt::platform
{

namespace
{

// libcurl's global state is made once per module, before the first transfer.
void initialiseCurl()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct cUrlDeleter
{
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

struct cEasyDeleter
{
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};

// Bytes a URL may not hold as they are: controls, blanks, non-ASCII and the characters that
// RFC 3986 leaves out. "%" stays, so escapes already present are kept.
bool needsEscape(unsigned char c)
{
    if (c <= 0x20 || c >= 0x7f)
        return true;
    switch (c)
    {
    case '"':
    case '<':
    case '>':
    case '^':
    case '`':
    case '{':
    case '|':
    case '}':
        return true;
    default:
        return false;
    }
}

struct cReceiver
{
    std::vector<uint8_t>* body;
    uint64_t maxBytes;
    long stallTimeoutMs;
    bool tooLarge = false;
    bool stalled = false;
    curl_off_t lastCount = 0;
    std::chrono::steady_clock::time_point lastData = std::chrono::steady_clock::now();
};

// Appends what arrives; answering fewer bytes than given makes libcurl end the transfer.
size_t receive(char* data, size_t size, size_t count, void* context)
{
    auto* receiver = static_cast<cReceiver*>(context);
    const size_t bytes = size * count;
    if (receiver->body->size() + bytes > receiver->maxBytes)
    {
        receiver->tooLarge = true;
        return 0;
    }
    receiver->body->insert(receiver->body->end(), data, data + bytes);
    return bytes;
}

// libcurl calls this often while data flows and at least once a second while it does not; a
// transfer that has received nothing new for the stall time-out is ended.
int watchProgress(void* context, curl_off_t, curl_off_t received, curl_off_t, curl_off_t)
{
    auto* receiver = static_cast<cReceiver*>(context);
    const auto now = std::chrono::steady_clock::now();
    if (received != receiver->lastCount)
    {
        receiver->lastCount = received;
        receiver->lastData = now;
        return 0;
    }
    const auto quiet =
        std::chrono::duration_cast<std::chrono::milliseconds>(now - receiver->lastData).count();
    if (receiver->stallTimeoutMs > 0 && quiet >= receiver->stallTimeoutMs)
    {
        receiver->stalled = true;
        return 1;
    }
    return 0;
}

} // namespace

std::string canonicalHttpUrl(const std::string& url)
{
    initialiseCurl();
    std::string escaped;
    escaped.reserve(url.size());
    for (char c : url)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\')
        {
            escaped += '/';
        }
        else if (needsEscape(byte))
        {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", byte);
            escaped += hex;
        }
        else
        {
            escaped += c;
        }
    }

    std::unique_ptr<CURLU, cUrlDeleter> handle(curl_url());
    if (!handle || curl_url_set(handle.get(), CURLUPART_URL, escaped.c_str(), 0) != CURLUE_OK)
        return {};
    char* scheme = nullptr;
    if (curl_url_get(handle.get(), CURLUPART_SCHEME, &scheme, 0) != CURLUE_OK)
        return {};
    const bool isHttp = std::string(scheme) == "http";
    curl_free(scheme);
    char* text = nullptr;
    if (!isHttp || curl_url_get(handle.get(), CURLUPART_URL, &text, 0) != CURLUE_OK)
        return {};
    std::string canonical(text);
    curl_free(text);
    return canonical;
}

bool httpGet(const std::string& url, const cHttpOptions& options, std::vector<uint8_t>& body,
             std::string* error)
{
    body.clear();
    auto fail = [&](const std::string& reason)
    {
        body.clear();
        body.shrink_to_fit();
        if (error)
            *error = reason;
        return false;
    };

    initialiseCurl();
    std::unique_ptr<CURL, cEasyDeleter> easy(curl_easy_init());
    if (!easy)
        return fail("cannot start a transfer");

    cReceiver receiver{&body, options.maxBytes, options.stallTimeoutMs};
    char message[CURL_ERROR_SIZE] = "";
    CURL* e = easy.get();
    curl_easy_setopt(e, CURLOPT_URL, url.c_str());
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, message);
    // Only plain web transfers, also after a redirect: a scene must not reach local files.
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http");
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(e, CURLOPT_USERAGENT, options.userAgent.c_str());
    // Time-outs must not raise signals in a program with several threads.
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, options.connectTimeoutMs);
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, options.totalTimeoutMs);
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, watchProgress);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, &receiver);
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
    if (options.maxBytes <= uint64_t(INT64_MAX))
        curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(options.maxBytes));
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, receive);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &receiver);

    const CURLcode result = curl_easy_perform(e);
    if (receiver.tooLarge || result == CURLE_FILESIZE_EXCEEDED)
        return fail("the body is larger than " + std::to_string(options.maxBytes) + " bytes");
    if (receiver.stalled)
        return fail("no data for " + std::to_string(options.stallTimeoutMs) + " ms");
    if (result != CURLE_OK)
        return fail(message[0] != '\0' ? message : curl_easy_strerror(result));
    long status = 0;
    curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &status);
    if (status < 200 || status > 299)
        return fail("HTTP status " + std::to_string(status));
    return true;
}

} // namespace qelt::platform

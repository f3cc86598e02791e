#include "platform/http.hpp"

#include <atomic>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include <curl/curl.h>
#include <fmt/format.h>

namespace qb {

// Set once the program stops: every transfer of the client ends at its next progress check, and a
// transfer waiting on its sockets is woken so that it checks at once rather than after its poll times out.
struct CurlHttpClient::Cancellation {
    std::atomic<bool> requested{false};
    std::mutex mutex;
    std::vector<CURLM*> waiting;  // the multi handles of the running transfers

    void cancel() {
        requested = true;
        std::lock_guard lock(mutex);
        for (CURLM* multi : waiting) curl_multi_wakeup(multi);
    }
};

namespace {

constexpr std::string_view cancelledMessage = "The download was cancelled because the program is stopping";

void initializeCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

using EasyHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;
using UrlHandle = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;
using CurlString = std::unique_ptr<char, decltype(&curl_free)>;

// One part of a URL as libcurl reads it; empty when the URL has no such part.
std::string urlPart(CURLU* url, CURLUPart part, unsigned flags = 0) {
    char* raw = nullptr;
    if (curl_url_get(url, part, &raw, flags) != CURLUE_OK || !raw) return {};
    CurlString owned(raw, curl_free);
    return owned.get();
}

// Collects the body, refusing to grow past the cap.
struct BodySink {
    std::string body;
    std::size_t cap = 0;
    bool overflowed = false;
};

std::size_t writeBody(char* data, std::size_t size, std::size_t count, void* context) {
    auto* sink = static_cast<BodySink*>(context);
    std::size_t length = size * count;
    if (sink->body.size() + length > sink->cap) {
        sink->overflowed = true;
        return 0;  // makes libcurl abandon the transfer
    }
    sink->body.append(data, length);
    return length;
}

// libcurl asks this during every transfer; a non-zero answer abandons it.
int checkCancellation(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<CurlHttpClient::Cancellation*>(context)->requested ? 1 : 0;
}

using MultiHandle = std::unique_ptr<CURLM, decltype(&curl_multi_cleanup)>;

// A transfer in a multi handle of its own, registered with the cancellation while it runs, so that
// cancelling can wake the wait for its sockets.
class CancellableTransfer {
  public:
    CancellableTransfer(CURL* easy, CurlHttpClient::Cancellation& cancellation)
        : easy_(easy), cancellation_(cancellation), multi_(curl_multi_init(), curl_multi_cleanup) {
        if (!multi_ || curl_multi_add_handle(multi_.get(), easy_) != CURLM_OK) {
            multi_.reset();
            return;
        }
        std::lock_guard lock(cancellation_.mutex);
        cancellation_.waiting.push_back(multi_.get());
    }
    ~CancellableTransfer() {
        if (!multi_) return;
        {
            std::lock_guard lock(cancellation_.mutex);
            std::erase(cancellation_.waiting, multi_.get());
        }
        curl_multi_remove_handle(multi_.get(), easy_);
    }
    CancellableTransfer(const CancellableTransfer&) = delete;
    CancellableTransfer& operator=(const CancellableTransfer&) = delete;

    // Runs the transfer to its end, as curl_easy_perform would.
    CURLcode perform() {
        if (!multi_) return CURLE_OUT_OF_MEMORY;
        int running = 1;
        while (true) {
            if (CURLMcode failed = curl_multi_perform(multi_.get(), &running)) return asEasyCode(failed);
            if (running == 0) break;
            // A transfer still connecting may not ask for progress; the flag ends it all the same.
            if (cancellation_.requested) return CURLE_ABORTED_BY_CALLBACK;
            // libcurl shortens the wait to its next timeout; a second is the longest it sleeps.
            if (CURLMcode failed = curl_multi_poll(multi_.get(), nullptr, 0, 1000, nullptr))
                return asEasyCode(failed);
        }
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_.get(), &left))
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) return message->data.result;
        return CURLE_OK;
    }

  private:
    static CURLcode asEasyCode(CURLMcode code) {
        return code == CURLM_OUT_OF_MEMORY ? CURLE_OUT_OF_MEMORY : CURLE_FAILED_INIT;
    }

    CURL* easy_;
    CurlHttpClient::Cancellation& cancellation_;
    MultiHandle multi_;
};

std::string formatSize(std::size_t bytes) {
    if (bytes % (1024 * 1024) == 0) return fmt::format("{} MiB", bytes / (1024 * 1024));
    return fmt::format("{} bytes", bytes);
}

// Why a transfer failed, said for a person.
std::string describeFailure(CURL* handle, CURLcode code, const char* errorBuffer, const BodySink& sink,
                            const HttpOptions& options) {
    if (code == CURLE_ABORTED_BY_CALLBACK) return std::string(cancelledMessage);
    if (sink.overflowed || code == CURLE_FILESIZE_EXCEEDED)
        return fmt::format("The server sent more than {}; the download was abandoned",
                           formatSize(options.maxBodyBytes));
    if (code == CURLE_COULDNT_CONNECT) {
        char* effective = nullptr;
        long osError = 0;
        curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &effective);
        curl_easy_getinfo(handle, CURLINFO_OS_ERRNO, &osError);
        UrlHandle url(curl_url(), curl_url_cleanup);
        if (effective && url && curl_url_set(url.get(), CURLUPART_URL, effective, 0) == CURLUE_OK) {
            std::string reason =
                osError ? std::strerror(static_cast<int>(osError)) : "the server did not answer";
            return fmt::format("Could not connect to {}:{}: {}", urlPart(url.get(), CURLUPART_HOST),
                               urlPart(url.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT), reason);
        }
    }
    if (code == CURLE_OPERATION_TIMEDOUT && std::strstr(errorBuffer, "too slow"))
        return fmt::format("The server sent nothing for {} seconds; the download was abandoned",
                           options.idleTimeout.count());
    if (code == CURLE_UNSUPPORTED_PROTOCOL)
        return fmt::format("Refused to follow a redirect to an address that is not secure ({})", errorBuffer);
    if (errorBuffer[0] != '\0') return errorBuffer;
    return curl_easy_strerror(code);
}

}  // namespace

CurlHttpClient::CurlHttpClient(HttpOptions options)
    : options_(std::move(options)), cancellation_(std::make_shared<Cancellation>()) {}

void CurlHttpClient::cancelAll() const {
    cancellation_->cancel();
}

HttpResult CurlHttpClient::get(const std::string& address) const {
    initializeCurlOnce();
    HttpResult result;
    if (cancellation_->requested) {
        result.error = std::string(cancelledMessage);
        return result;
    }

    UrlHandle parsed(curl_url(), curl_url_cleanup);
    if (!parsed || curl_url_set(parsed.get(), CURLUPART_URL, address.c_str(), 0) != CURLUE_OK) {
        result.error = fmt::format("\"{}\" is not a valid web address", address);
        return result;
    }
    std::string scheme = urlPart(parsed.get(), CURLUPART_SCHEME);
    if (scheme != "http" && scheme != "https") {
        result.error = fmt::format("\"{}\" is not an http or https address", address);
        return result;
    }

    EasyHandle handle(curl_easy_init(), curl_easy_cleanup);
    if (!handle) {
        result.error = "Could not start a download (out of memory?)";
        return result;
    }
    CURL* curl = handle.get();
    char errorBuffer[CURL_ERROR_SIZE] = {};
    BodySink sink;
    sink.cap = options_.maxBodyBytes;

    curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &writeBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, options_.maxRedirects);
    // A secure request never continues over plain http.
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, scheme == "https" ? "https" : "http,https");
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    if (options_.caFile) curl_easy_setopt(curl, CURLOPT_CAINFO, options_.caFile->c_str());
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options_.connectTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(options_.idleTimeout.count()));
    curl_easy_setopt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(options_.maxBodyBytes));
    curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &checkCancellation);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, cancellation_.get());

    CURLcode code = CancellableTransfer(curl, *cancellation_).perform();
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
    if (code != CURLE_OK) {
        result.error = describeFailure(curl, code, errorBuffer, sink, options_);
        return result;
    }
    result.body = std::move(sink.body);
    return result;
}

}  // namespace qb

#include "platform/http_failure.hpp"

#include <cstring>
#include <memory>

#include <fmt/format.h>

namespace qb::detail {
namespace {

using UrlHandle = std::unique_ptr<CURLU, decltype(&curl_url_cleanup)>;
using CurlString = std::unique_ptr<char, decltype(&curl_free)>;

// One part of a URL as libcurl reads it; empty when the URL has no such part.
std::string urlPart(CURLU* url, CURLUPart part, unsigned flags = 0) {
    char* raw = nullptr;
    if (curl_url_get(url, part, &raw, flags) != CURLUE_OK || !raw) return {};
    CurlString owned(raw, curl_free);
    return owned.get();
}

// The address the transfer ended at (after any redirects), its scheme and "host:port".
struct LastAddress {
    std::string url, scheme, server;
};

LastAddress lastAddress(CURL* handle) {
    char* effective = nullptr;
    curl_easy_getinfo(handle, CURLINFO_EFFECTIVE_URL, &effective);
    LastAddress address;
    UrlHandle url(curl_url(), curl_url_cleanup);
    if (!effective || !url || curl_url_set(url.get(), CURLUPART_URL, effective, 0) != CURLUE_OK)
        return {effective ? effective : "", "", "the server"};
    return {
        effective, urlPart(url.get(), CURLUPART_SCHEME),
        urlPart(url.get(), CURLUPART_HOST) + ":" + urlPart(url.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT)};
}

// The system's word for the last socket error, else `otherwise`.
std::string systemReason(CURL* handle, const char* otherwise) {
    long osError = 0;
    curl_easy_getinfo(handle, CURLINFO_OS_ERRNO, &osError);
    return osError ? std::strerror(static_cast<int>(osError)) : otherwise;
}

std::string formatSize(std::size_t bytes) {
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0)
        return fmt::format("{} MiB", bytes / (1024 * 1024));
    if (bytes >= 1024 && bytes % 1024 == 0) return fmt::format("{} KiB", bytes / 1024);
    return fmt::format("{} {}", bytes, bytes == 1 ? "byte" : "bytes");
}

std::string formatDuration(std::chrono::milliseconds duration) {
    const auto count = duration.count();
    if (count % 1000 != 0) return fmt::format("{} milliseconds", count);
    return fmt::format("{} {}", count / 1000, count == 1000 ? "second" : "seconds");
}

std::string describeTimeout(const TransferEnd& end, const HttpOptions& options, const LastAddress& address) {
    if (end.slowWindowBytes) {
        const std::string window = formatDuration(options.lowSpeedWindow);
        if (*end.slowWindowBytes == 0)
            return fmt::format("The server sent nothing for {}; the download was abandoned", window);
        return fmt::format("The server sent less than {} in {}; the download was abandoned",
                           formatSize(options.lowSpeedBytes), window);
    }
    if (end.elapsed >= options.deadline)
        return fmt::format("The server took longer than {} to send everything; the download was abandoned",
                           formatDuration(options.deadline));
    // libcurl's only other timeout is the one for connecting (name lookup and TLS included).
    return fmt::format("Could not connect to {} within {}", address.server,
                       formatDuration(options.connectTimeout));
}

// libcurl answers CURLE_UNSUPPORTED_PROTOCOL both for a redirect it may not follow and for a server that
// does not speak HTTP at all (an answer without a status line reads as HTTP/0.9, which is refused).
std::string describeUnsupported(const LastAddress& address, std::string_view requestedScheme) {
    if (address.scheme != "http" && address.scheme != "https")
        return fmt::format("Refused to follow a redirect to {}: only http and https addresses are followed",
                           address.url);
    if (requestedScheme == "https" && address.scheme == "http")
        return fmt::format("Refused to follow a redirect to an address that is not secure ({})", address.url);
    return fmt::format(
        "The server at {} did not answer in HTTP; another kind of service may be listening there",
        address.server);
}

}  // namespace

std::string describeFailure(CURL* handle, const TransferEnd& end, const char* errorBuffer,
                            const HttpOptions& options, std::string_view requestedScheme) {
    const LastAddress address = lastAddress(handle);
    if (end.bodyOverflowed || end.code == CURLE_FILESIZE_EXCEEDED)
        return fmt::format("The server sent more than {}; the download was abandoned",
                           formatSize(options.maxBodyBytes));
    switch (end.code) {
        case CURLE_ABORTED_BY_CALLBACK:
            return std::string(cancelledDownload);
        case CURLE_OPERATION_TIMEDOUT:
            return describeTimeout(end, options, address);
        case CURLE_COULDNT_RESOLVE_HOST:
            return fmt::format("Could not find the server {}; check the address and the network connection",
                               address.server);
        case CURLE_COULDNT_CONNECT:
            return fmt::format("Could not connect to {}: {}", address.server,
                               systemReason(handle, "the server did not answer"));
        case CURLE_RECV_ERROR:
        case CURLE_SEND_ERROR:
            return fmt::format("The connection to {} broke off: {}", address.server,
                               systemReason(handle, "the network failed"));
        case CURLE_UNSUPPORTED_PROTOCOL:
            return describeUnsupported(address, requestedScheme);
        case CURLE_WEIRD_SERVER_REPLY:
            return fmt::format("The server at {} sent an answer that is not valid HTTP", address.server);
        case CURLE_GOT_NOTHING:
            return fmt::format("The server at {} closed the connection without answering", address.server);
        case CURLE_PARTIAL_FILE:
            return fmt::format("The server at {} closed the connection before sending everything",
                               address.server);
        case CURLE_TOO_MANY_REDIRECTS:
            return fmt::format("The server redirected more than {} times; the download was abandoned",
                               options.maxRedirects);
        case CURLE_SSL_CONNECT_ERROR:
            return fmt::format("Could not make a secure connection to {} ({})", address.server, errorBuffer);
        case CURLE_PEER_FAILED_VERIFICATION:
            return fmt::format("The certificate of {} could not be verified ({})", address.server,
                               errorBuffer);
        case CURLE_BAD_CONTENT_ENCODING:
            return fmt::format("The server at {} sent a compressed answer that could not be unpacked",
                               address.server);
        default:
            return errorBuffer[0] != '\0' ? std::string(errorBuffer) : curl_easy_strerror(end.code);
    }
}

}  // namespace qb::detail

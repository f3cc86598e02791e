#pragma once

// Why a download failed, said for a person: each libcurl code a download meets becomes a sentence that
// names what really happened. Used by the HTTP client alone.

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include <curl/curl.h>

#include "platform/http.hpp"

namespace qb::detail {

inline constexpr std::string_view cancelledDownload =
    "The download was cancelled because the program is stopping";

// How a transfer ended, as the client saw it.
struct TransferEnd {
    CURLcode code = CURLE_OK;
    std::chrono::steady_clock::duration elapsed{};
    bool bodyOverflowed = false;
    // Set when the low-speed rule ended the transfer: the bytes received in the window that broke it.
    std::optional<std::size_t> slowWindowBytes;
};

// The description of a failed transfer. `requestedScheme` is the scheme of the address asked for.
std::string describeFailure(CURL* handle, const TransferEnd& end, const char* errorBuffer,
                            const HttpOptions& options, std::string_view requestedScheme);

}  // namespace qb::detail

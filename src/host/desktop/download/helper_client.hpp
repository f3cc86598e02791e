#pragma once

// Downloads in a short-lived process of our own. The desktop host runs for the whole session, and the
// download stack (libcurl with OpenSSL, and the GnuTLS, Kerberos and LDAP libraries that Debian's
// libcurl brings along) would stay in its memory, about 8 MB resident, for one small feed every six
// hours. The helper program, quillbrook-widgets-download beside the host, makes the download and
// writes its answer to a pipe; the host itself never loads those libraries.

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/http.hpp"

namespace qb::desktop {

// The helper's answer on its standard output: the status in decimal and a newline, the error for a
// person (empty when the download succeeded) and a newline, then the body.
std::string encodeDownloadAnswer(const HttpResult& result);
// The answer read back; none when it is not one.
std::optional<HttpResult> decodeDownloadAnswer(std::string_view answer);

// The helper among the program's helpers (beside the desktop host).
std::filesystem::path downloadHelperPath();

// An HTTP client that runs the helper for each download: the limits are the helper's (those of a
// default CurlHttpClient), and the client ends a helper that outlives the download's deadline or sends
// more than a body's limit. Safe to call from several threads at once.
class HelperHttpClient final : public HttpClient {
  public:
    explicit HelperHttpClient(std::filesystem::path helper = downloadHelperPath(),
                              std::chrono::milliseconds deadline = HttpOptions{}.deadline +
                                                                   std::chrono::seconds(5));
    HttpResult get(const std::string& url) const override;
    // Ends every running helper at once, and refuses later downloads.
    void cancelAll() const override;

    struct Helpers;  // the running helpers and the cancellation flag

  private:
    std::filesystem::path helper_;
    std::chrono::milliseconds deadline_;
    std::shared_ptr<Helpers> helpers_;
};

}  // namespace qb::desktop

#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace qb {

// What one GET brought back: the status and body of the final response, or why there is none.
struct HttpResult {
    long status = 0;                   // the final response's status; 0 when no response arrived
    std::string body;                  // the final response's body
    std::optional<std::string> error;  // a description for a person when the download failed

    bool succeeded() const { return !error.has_value(); }
    friend bool operator==(const HttpResult&, const HttpResult&) = default;
};

// Downloads a URL. Implementations are safe to call from several threads at once and never throw.
class HttpClient {
  public:
    virtual ~HttpClient() = default;
    virtual HttpResult get(const std::string& url) const = 0;
    // Ends every download this client is running, and every later one, at once with an error (for a
    // program that is stopping). Clients that cannot be interrupted do nothing.
    virtual void cancelAll() const {}
};

// The limits of a download. The defaults suit the tips feed: a small document from one server.
struct HttpOptions {
    std::chrono::milliseconds connectTimeout{15'000};
    // A transfer that moves no byte for this long is abandoned (whole seconds, at least one).
    std::chrono::seconds idleTimeout{60};
    // A body larger than this is a failed download, not a cut one.
    std::size_t maxBodyBytes = 10 * 1024 * 1024;
    long maxRedirects = 10;
    // Certificates to trust instead of the system's (tests use a certificate they made).
    std::optional<std::filesystem::path> caFile;
};

// The HTTP client on libcurl: TLS verified, redirects followed (never from https to http), the limits
// above enforced.
class CurlHttpClient final : public HttpClient {
  public:
    explicit CurlHttpClient(HttpOptions options = {});
    HttpResult get(const std::string& url) const override;
    // A running download returns within a moment of this, whatever it waits for.
    void cancelAll() const override;

    struct Cancellation;  // the flag and the transfers it wakes

  private:
    HttpOptions options_;
    std::shared_ptr<Cancellation> cancellation_;
};

}  // namespace qb

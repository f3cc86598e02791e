#pragma once

// The dashboard's secret. Loopback is shared by every account on the machine, so the dashboard answers
// only requests that carry the secret of the address `serve` printed: as ?token= in the address (which
// the first visit exchanges for a cookie) or as that cookie.

#include <optional>
#include <string>
#include <string_view>

namespace qb::host {

class OwnerSecret {
  public:
    // 256 random bits from the kernel, as 64 hexadecimal digits; nothing, with the reason in `error`,
    // when the kernel gives none.
    static std::optional<OwnerSecret> generate(std::string& error);
    // A given secret (tests).
    explicit OwnerSecret(std::string text) : text_(std::move(text)) {}

    const std::string& text() const { return text_; }

    // Whether `candidate` is the secret, compared in a time that does not depend on where they differ.
    bool matches(std::string_view candidate) const;

    // The name of the session cookie of the dashboard on `port`. Cookies belong to a host, not to a
    // port, so two dashboards on one machine need cookies of different names.
    static std::string cookieName(int port);
    // The Set-Cookie value that hands the secret to the browser: HttpOnly (no script reads it) and
    // SameSite=Strict (no other site's page sends it).
    std::string setCookie(int port) const;
    // Whether a Cookie header carries the secret under the cookie name of `port`.
    bool inCookieHeader(std::string_view cookieHeader, int port) const;

  private:
    std::string text_;
};

}  // namespace qb::host

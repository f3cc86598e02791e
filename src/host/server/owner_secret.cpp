#include "host/server/owner_secret.hpp"

#include <openssl/crypto.h>
#include <sys/random.h>

#include <array>
#include <cerrno>
#include <cstring>

#include <fmt/format.h>

namespace qb::host {

std::optional<OwnerSecret> OwnerSecret::generate(std::string& error) {
    std::array<unsigned char, 32> bytes{};
    std::size_t filled = 0;
    while (filled < bytes.size()) {
        const auto got = ::getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            error = fmt::format("the kernel gave no random bytes for the dashboard's secret ({})",
                                std::strerror(errno));
            return std::nullopt;
        }
        filled += static_cast<std::size_t>(got);
    }
    std::string text;
    for (auto byte : bytes) text += fmt::format("{:02x}", byte);
    return OwnerSecret(std::move(text));
}

bool OwnerSecret::matches(std::string_view candidate) const {
    // The length is no secret; the contents are compared without an early exit.
    return candidate.size() == text_.size() && !text_.empty() &&
           CRYPTO_memcmp(candidate.data(), text_.data(), text_.size()) == 0;
}

std::string OwnerSecret::cookieName(int port) {
    return fmt::format("qb-dashboard-{}", port);
}

std::string OwnerSecret::setCookie(int port) const {
    return cookieName(port) + "=" + text_ + "; Path=/; HttpOnly; SameSite=Strict";
}

bool OwnerSecret::inCookieHeader(std::string_view header, int port) const {
    const auto name = cookieName(port);
    bool found = false;
    while (!header.empty()) {
        const auto end = std::min(header.find(';'), header.size());
        auto pair = header.substr(0, end);
        header.remove_prefix(std::min(end + 1, header.size()));
        while (pair.starts_with(' ') || pair.starts_with('\t')) pair.remove_prefix(1);
        while (pair.ends_with(' ') || pair.ends_with('\t')) pair.remove_suffix(1);
        // Every cookie of that name is checked: an old one from an earlier run may come first.
        if (pair.starts_with(name) && pair.size() > name.size() && pair[name.size()] == '=')
            found = matches(pair.substr(name.size() + 1)) || found;
    }
    return found;
}

}  // namespace qb::host

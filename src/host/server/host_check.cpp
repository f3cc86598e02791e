#include "host/server/host_check.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <string>

namespace qb::host {

bool isLoopbackHost(std::string_view host) {
    std::string_view name = host;
    std::string_view port;
    if (host.starts_with('[')) {
        const auto close = host.find(']');
        if (close == std::string_view::npos) return false;
        name = host.substr(0, close + 1);
        port = host.substr(close + 1);
    } else if (const auto colon = host.find(':'); colon != std::string_view::npos) {
        name = host.substr(0, colon);
        port = host.substr(colon);
    }
    if (!port.empty()) {
        port.remove_prefix(1);
        if (port.empty() || port.size() > 5 ||
            !std::ranges::all_of(port, [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
            return false;
        if (host[name.size()] != ':') return false;
    }
    std::string lower(name);
    std::ranges::transform(lower, lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static constexpr std::array<std::string_view, 3> names = {"localhost", "127.0.0.1", "[::1]"};
    return std::ranges::find(names, lower) != names.end();
}

bool isLoopbackOrigin(std::string_view origin) {
    constexpr std::string_view scheme = "http://";
    if (!origin.starts_with(scheme)) return false;
    origin.remove_prefix(scheme.size());
    return isLoopbackHost(origin);
}

}  // namespace qb::host

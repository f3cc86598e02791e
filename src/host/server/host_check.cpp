#include "host/server/host_check.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <string>

namespace qb::host {
namespace {

// The name and the port text (without its colon; empty when absent) of "name[:port]"; nothing when
// the text does not have that shape.
bool splitHost(std::string_view host, std::string_view& name, std::string_view& port) {
    name = host;
    port = {};
    std::size_t end = 0;
    if (host.starts_with('[')) {
        end = host.find(']');
        if (end == std::string_view::npos) return false;
        ++end;
    } else {
        end = std::min(host.find(':'), host.size());
    }
    name = host.substr(0, end);
    if (end == host.size()) return true;
    if (host[end] != ':') return false;
    port = host.substr(end + 1);
    return !port.empty();
}

bool isLoopbackName(std::string_view name) {
    std::string lower(name);
    std::ranges::transform(lower, lower.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static constexpr std::array<std::string_view, 3> names = {"localhost", "127.0.0.1", "[::1]"};
    return std::ranges::find(names, lower) != names.end();
}

bool isPort(std::string_view text, int port) {
    if (text.size() > 5 ||
        !std::ranges::all_of(text, [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
        return false;
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() && value == port;
}

// No percent sign and no NUL: header values are compared as they came, and nothing may decode them
// into another name later.
bool plain(std::string_view text) {
    return text.find('%') == std::string_view::npos && text.find('\0') == std::string_view::npos;
}

}  // namespace

bool isDashboardHost(std::string_view host, int port) {
    std::string_view name;
    std::string_view portText;
    if (!plain(host) || !splitHost(host, name, portText) || !isLoopbackName(name)) return false;
    return portText.empty() ? port == 80 : isPort(portText, port);
}

bool isDashboardOrigin(std::string_view origin, int port) {
    constexpr std::string_view scheme = "http://";
    if (!plain(origin) || !origin.starts_with(scheme)) return false;
    origin.remove_prefix(scheme.size());
    std::string_view name;
    std::string_view portText;
    return splitHost(origin, name, portText) && isLoopbackName(name) && isPort(portText, port);
}

}  // namespace qb::host

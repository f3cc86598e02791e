#include "host/render/html_escape.hpp"

namespace qb::host {

std::string escapeHtml(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default: {
                const auto byte = static_cast<unsigned char>(c);
                if ((byte < 0x20 && c != '\t' && c != '\n') || byte == 0x7f) break;
                escaped += c;
            }
        }
    }
    return escaped;
}

}  // namespace qb::host

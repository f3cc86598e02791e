#include "core/link_policy.hpp"

#include <algorithm>
#include <array>
#include <string>

namespace qb {

bool isOpenableScheme(const Url& url) {
    static constexpr std::array<std::string_view, 7> allowed = {
        "x-quillbrook", "x-quillbrook-item", "x-quillbrook-smartgroup", "http", "https", "mailto", "file"};
    auto scheme = url.scheme();
    if (!scheme) return false;
    std::string lower = *scheme;
    std::ranges::transform(lower, lower.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    // Nothing that a browser could read as markup or a second scheme may hide in the text.
    const auto& text = url.string();
    const bool clean = std::none_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= 0x20 || byte == 0x7f || c == '"' || c == '\'' || c == '<' || c == '>' || c == '\\';
    });
    return clean && std::ranges::find(allowed, lower) != allowed.end();
}

bool isOpenableUrl(std::string_view text) {
    auto url = Url::parse(text);
    return url && url->string() == text && isOpenableScheme(*url);
}

}  // namespace qb

#include "core/item_links.hpp"

#include <algorithm>
#include <array>
#include <string>

namespace qb {
namespace {

std::string lowercased(std::string text) {
    std::ranges::transform(text, text.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return text;
}

bool isTaggable(std::string_view lowerScheme) {
    static constexpr std::array<std::string_view, 3> taggableSchemes = {"x-quillbrook", "x-quillbrook-item",
                                                                        "x-quillbrook-smartgroup"};
    return std::ranges::find(taggableSchemes, lowerScheme) != taggableSchemes.end();
}

}  // namespace

Url taggedForWidget(const Url& url, std::string_view widgetIdentifier) {
    auto scheme = url.scheme();
    if (!scheme || !isTaggable(lowercased(*scheme))) return url;
    auto items = url.queryItems().value_or(std::vector<QueryItem>{});
    items.push_back({"widget", std::string(widgetIdentifier)});
    return url.settingQueryItems(items).value_or(url);
}

std::optional<Url> quillbrookOpenURL(std::string_view linkText, std::string_view widgetIdentifier) {
    auto url = Url::parse(linkText);
    if (!url) return std::nullopt;
    auto scheme = lowercased(url->scheme().value_or(""));
    if (scheme == "http" || scheme == "https") {
        return Url::composeEncoded(
            "x-quillbrook", "open-url",
            {{"location", percentEncodeQueryItem(linkText)}, {"widget", std::string(widgetIdentifier)}});
    }
    return taggedForWidget(*url, widgetIdentifier);
}

}  // namespace qb

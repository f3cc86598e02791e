// Item links from arbitrary link text (the first byte of the input picks the widget, the rest is the
// link text): never a crash, every link parses again, web pages carry the whole text, Quillbrook's
// links keep their query items and gain the widget's.

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/item_links.hpp"
#include "fuzz_support.hpp"

namespace {

std::string lowercased(std::string text) {
    std::ranges::transform(text, text.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool isQuillbrookScheme(const std::string& scheme) {
    return scheme == "x-quillbrook" || scheme == "x-quillbrook-item" || scheme == "x-quillbrook-smartgroup";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qb;
    if (size == 0) return 0;
    static constexpr std::string_view widgets[] = {"readinglist", "favorites", "workspaces", "tips"};
    const std::string_view widget = widgets[data[0] % std::size(widgets)];
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);

    const auto parsed = Url::parse(input);
    const auto link = quillbrookOpenURL(input, widget);
    fuzz::check(link.has_value() == parsed.has_value(),
                "a link for text that does not parse, or none for text that does");
    if (!link) return 0;
    fuzz::check(Url::parse(link->string()) == link, "a link that does not parse as itself");

    const auto scheme = lowercased(parsed->scheme().value_or(""));
    if (scheme == "http" || scheme == "https") {
        const std::vector<QueryItem> expected{{"location", std::string(input)},
                                              {"widget", std::string(widget)}};
        fuzz::check(link->queryItems() == expected, "a web page's link does not carry the whole text");
        return 0;
    }
    const auto tagged = taggedForWidget(*parsed, widget);
    fuzz::check(tagged == *link, "the link differs from the tagged URL");
    if (!isQuillbrookScheme(scheme) || tagged == *parsed) return 0;
    auto items = parsed->queryItems().value_or(std::vector<QueryItem>{});
    items.push_back({"widget", std::string(widget)});
    fuzz::check(tagged.queryItems() == items, "tagging lost or changed a query item");
    return 0;
}

#include "core/widget_links.hpp"

#include "core/item_links.hpp"

namespace qb {

std::optional<Url> readingListLink(std::string_view address) {
    return quillbrookOpenURL(address, "readinglist");
}

std::optional<Url> favoritesLink(const std::optional<std::string>& linkText) {
    if (!linkText) return std::nullopt;
    auto parsed = Url::parse(*linkText);
    if (!parsed) return std::nullopt;
    return taggedForWidget(*parsed, "favorites");
}

std::optional<Url> workspaceLink(std::string_view name) {
    auto composed = Url::compose("x-quillbrook", "open-workspace", {{"name", std::string(name)}});
    if (!composed) return std::nullopt;
    return taggedForWidget(*composed, "workspaces");
}

}  // namespace qb

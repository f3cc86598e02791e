#include "favorites/favorites_store.hpp"

#include "platform/localization.hpp"
#include "platform/url.hpp"
#include "presentation/document_type.hpp"

namespace qb::favorites {

namespace {

std::optional<std::string> stringValue(const plist::Dictionary& dictionary, std::string_view key) {
    auto value = dictionary.find(key);
    if (!value) return std::nullopt;
    if (auto text = value->asString()) return std::string(*text);
    return std::nullopt;
}

std::optional<std::int64_t> integerValue(const plist::Dictionary& dictionary, std::string_view key) {
    auto value = dictionary.find(key);
    return value ? value->asInteger() : std::nullopt;
}

// A root element is a group when its "Children" is an array of string-keyed dictionaries (an empty
// array included).
std::optional<plist::Array> groupChildren(const plist::Dictionary& element) {
    auto children = element.find("Children");
    auto array = children ? children->asArray() : std::nullopt;
    if (!array) return std::nullopt;
    for (const auto& child : *array)
        if (!child.asDictionary()) return std::nullopt;
    return array;
}

// What a favorite dictionary stands for: the first of "Path" (a database), "UUID" (a record) and "SIUUID"
// (a smart group) that is a string. A dictionary with none of them is no favorite and is skipped.
enum class FavoriteKind { database, record, smartGroup };

std::optional<FavoriteKind> favoriteKind(const plist::Dictionary& child) {
    static constexpr std::pair<std::string_view, FavoriteKind> keys[] = {
        {"Path", FavoriteKind::database},
        {"UUID", FavoriteKind::record},
        {"SIUUID", FavoriteKind::smartGroup}};
    for (const auto& [key, kind] : keys) {
        auto value = child.find(key);
        if (value && value->asString()) return kind;
    }
    return std::nullopt;
}

// What every favorite of one read shares: the text for "Untitled" and the home the file lies under.
struct ReadContext {
    std::string untitled;
    const std::string& home;
};

// The favorite of a dictionary of the given kind. Ids, paths and UUIDs go into ids and links as they are.
FavoritesItem makeFavorite(const plist::Dictionary& child, FavoriteKind kind,
                           const std::optional<std::string>& groupName, const ReadContext& context) {
    auto name = stringValue(child, "Name").value_or(context.untitled);
    const Date date = FavoritesStore::parseDate(child.find("Date"));
    const auto label = integerValue(child, "Label").value_or(0);
    std::optional<Bytes> iconData;
    if (auto icon = child.find("Icon")) iconData = icon->asData();
    const std::string groupPrefix = groupName ? *groupName + "/" : std::string();

    if (kind == FavoriteKind::database) {
        const auto path = *stringValue(child, "Path");
        std::optional<std::string> urlString;
        if (auto url = Url::compose("x-quillbrook", "open-path", {{"path", path}})) urlString = url->string();
        return FavoritesItem("db:" + groupPrefix + path, std::move(name), date, "cylinder.split.1x2", label,
                             std::nullopt, groupName, std::move(urlString), std::move(iconData), true, path,
                             context.home);
    }
    if (kind == FavoriteKind::record) {
        const auto uuid = *stringValue(child, "UUID");
        const auto type = integerValue(child, "Type").value_or(0);
        return FavoritesItem("item:" + groupPrefix + uuid, std::move(name), date,
                             DocumentType::sfSymbol(type), label, stringValue(child, "Location"), groupName,
                             "x-quillbrook-item://" + uuid, std::move(iconData), false, std::nullopt,
                             context.home);
    }
    const auto smartGroup = *stringValue(child, "SIUUID");
    return FavoritesItem("si:" + groupPrefix + smartGroup, std::move(name), date, "gearshape.2", label,
                         std::nullopt, groupName, "x-quillbrook-smartgroup://" + smartGroup,
                         std::move(iconData), false, std::nullopt, context.home);
}

// Counts a dictionary that is a favorite, and makes its item while the selection has room.
void addFavorite(ListSelection<FavoritesItem>& selection, const plist::Dictionary& child,
                 const std::optional<std::string>& groupName, const ReadContext& context) {
    if (auto kind = favoriteKind(child))
        selection.add([&] { return makeFavorite(child, *kind, groupName, context); });
}

}  // namespace

Date FavoritesStore::parseDate(const std::optional<plist::Value>& value) {
    if (!value) return Date::distantPast();
    if (auto date = value->asDate()) return *date;
    if (auto seconds = value->asNumber()) return Date{*seconds};
    return Date::distantPast();
}

std::vector<FavoritesItem> FavoritesStore::readFromPlist() const {
    return select(std::nullopt).items;
}

ListSelection<FavoritesItem> FavoritesStore::select(std::optional<std::string_view> group,
                                                    std::size_t limit) const {
    ListSelection<FavoritesItem> selection(limit);
    const ReadContext context{localized("Untitled"), home()};
    // A group's name: "Name" as a string, else the text for "Untitled".
    const auto nameOf = [&context](const plist::Dictionary& element) {
        auto name = element.find("Name");
        return (name ? name->asString() : std::nullopt).value_or(std::string_view(context.untitled));
    };
    const bool read = visitDictionaries([&](const plist::Dictionary& element) {
        // Under a group, a root-level favorite never matches and neither does a group of another name, so
        // the name is compared before the children are looked at.
        if (group && nameOf(element) != *group) return;
        if (auto children = groupChildren(element)) {
            const std::optional<std::string> groupName{std::string(group ? *group : nameOf(element))};
            for (const auto& child : *children)
                addFavorite(selection, *child.asDictionary(), groupName, context);
        } else if (!group) {
            addFavorite(selection, element, std::nullopt, context);
        }
    });
    return read ? std::move(selection) : ListSelection<FavoritesItem>(limit);
}

std::vector<std::string> FavoritesStore::groupNames() const {
    // Any "Children" counts here, but only a string "Name" is listed.
    std::vector<std::string> names;
    const bool read = visitDictionaries([&names](const plist::Dictionary& element) {
        if (!element.find("Children")) return;
        if (auto name = stringValue(element, "Name")) names.push_back(std::move(*name));
    });
    if (!read) names.clear();
    return names;
}

}  // namespace qb::favorites

#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/quillbrook_paths.hpp"
#include "platform/bytes.hpp"
#include "platform/date.hpp"
#include "platform/url.hpp"
#include "ui/view.hpp"

namespace qb::favorites {

// One favorite of Quillbrook: a database, a record or a smart group, at the root or in a favorites group.
// Two favorites are the same item when their ids are equal, whatever their other fields.
struct FavoritesItem {
    std::string id;  // "db:", "item:" or "si:", then "<group>/" inside a group, then the path or UUID
    std::string name;
    Date date = Date::distantPast();
    std::string icon;        // symbol name
    std::int64_t label = 0;  // colour label, 0 = none, 1 to 7 = colours
    std::optional<std::string> location;
    std::optional<std::string> groupName;
    std::optional<std::string> urlString;  // the link as stored, untagged
    std::optional<Bytes> iconData;
    bool isDatabase = false;
    std::optional<std::string> databasePath;
    std::string home;  // the home folder the favorite was read under, which its database path shows as "~"

    FavoritesItem() = default;
    FavoritesItem(std::string id, std::string name, Date date, std::string icon, std::int64_t label,
                  std::optional<std::string> location, std::optional<std::string> groupName,
                  std::optional<std::string> urlString, std::optional<Bytes> iconData, bool isDatabase,
                  std::optional<std::string> databasePath,
                  std::string home = QuillbrookPaths::system().realHome());

    // What a click opens: `urlString` when it parses, Quillbrook's own links tagged with the "favorites"
    // widget; otherwise nothing. Made when asked, so that the favorites a list drops cost no link.
    std::optional<Url> url() const;

    // The five favorites the placeholder shows; made once, dated at that moment.
    static const std::vector<FavoritesItem>& sampleItems();

    // The database path with the home written as "~"; nothing without a database path.
    std::optional<std::string> displayDatabasePath() const;

    std::string displayTitle() const { return name; }
    std::string displayIcon() const { return icon; }
    std::optional<Bytes> displayIconData() const { return iconData; }
    std::optional<Url> displayURL() const { return url(); }
    // The location; else the group of a record or smart group; else a database's path, or "Database".
    std::optional<std::string> displaySubtitle() const;
    std::optional<ui::Color> dotColor() const;

    friend bool operator==(const FavoritesItem& a, const FavoritesItem& b) { return a.id == b.id; }
};

// `path` with a leading `home` written as "~". Only a whole path component counts: the path must be the
// home itself or continue with "/" after it; an empty home or "/" abbreviates nothing.
std::string abbreviatingHome(std::string_view path, std::string_view home);

// Every stored field, the database path as shown, and the six displayable properties.
void to_json(nlohmann::json& json, const FavoritesItem& item);

}  // namespace qb::favorites

template <>
struct std::hash<qb::favorites::FavoritesItem> {
    std::size_t operator()(const qb::favorites::FavoritesItem& item) const noexcept {
        return std::hash<std::string>{}(item.id);
    }
};

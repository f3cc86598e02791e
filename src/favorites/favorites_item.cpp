#include "favorites/favorites_item.hpp"

#include "core/widget_links.hpp"
#include "platform/json.hpp"
#include "platform/localization.hpp"
#include "presentation/displayable_item_json.hpp"

namespace qb::favorites {

FavoritesItem::FavoritesItem(std::string itemId, std::string itemName, Date itemDate, std::string symbolName,
                             std::int64_t colorLabel, std::optional<std::string> itemLocation,
                             std::optional<std::string> group, std::optional<std::string> link,
                             std::optional<Bytes> iconBytes, bool database, std::optional<std::string> path,
                             std::string readUnder)
    : id(std::move(itemId)),
      name(std::move(itemName)),
      date(itemDate),
      icon(std::move(symbolName)),
      label(colorLabel),
      location(std::move(itemLocation)),
      groupName(std::move(group)),
      urlString(std::move(link)),
      iconData(std::move(iconBytes)),
      isDatabase(database),
      databasePath(std::move(path)),
      home(std::move(readUnder)) {}

std::optional<Url> FavoritesItem::url() const {
    return favoritesLink(urlString);
}

const std::vector<FavoritesItem>& FavoritesItem::sampleItems() {
    static const std::vector<FavoritesItem> items = [] {
        const Date now = Date::now();
        return std::vector<FavoritesItem>{
            {"db1", "Research", now, "cylinder.split.1x2", 0, std::nullopt, "Databases", std::nullopt,
             std::nullopt, true, "~/Databases/Research.qbBase2"},
            {"uuid1", "Inbox", now.addingTimeInterval(-3600), "folder", 1, "Research > Inbox", "Work",
             "x-quillbrook-item://sample1", std::nullopt, false, std::nullopt},
            {"uuid2", "Project Notes", now.addingTimeInterval(-7200), "folder", 0, "Research > Projects",
             "Work", "x-quillbrook-item://sample2", std::nullopt, false, std::nullopt},
            {"uuid3", "Pending Review", now.addingTimeInterval(-86400), "folder.badge.gearshape", 2,
             std::nullopt, "Work", "x-quillbrook-item://sample3", std::nullopt, false, std::nullopt},
            {"si1", "Today", now.addingTimeInterval(-172800), "gearshape.2", 0, std::nullopt, std::nullopt,
             "x-quillbrook-item://sample4", std::nullopt, false, std::nullopt},
        };
    }();
    return items;
}

std::string abbreviatingHome(std::string_view path, std::string_view home) {
    while (!home.empty() && home.back() == '/') home.remove_suffix(1);
    if (home.empty() || !path.starts_with(home)) return std::string(path);
    auto rest = path.substr(home.size());
    if (!rest.empty() && rest.front() != '/') return std::string(path);
    return "~" + std::string(rest);
}

std::optional<std::string> FavoritesItem::displayDatabasePath() const {
    if (!databasePath) return std::nullopt;
    return abbreviatingHome(*databasePath, home);
}

std::optional<std::string> FavoritesItem::displaySubtitle() const {
    if (location) return location;
    if (!isDatabase) return groupName;
    if (auto path = displayDatabasePath()) return path;
    return localized("Database");
}

std::optional<ui::Color> FavoritesItem::dotColor() const {
    switch (label) {
        case 1:
            return ui::Color::red;
        case 2:
            return ui::Color::orange;
        case 3:
            return ui::Color::yellow;
        case 4:
            return ui::Color::green;
        case 5:
            return ui::Color::blue;
        case 6:
            return ui::Color::purple;
        case 7:
            return ui::Color::gray;
        default:
            return std::nullopt;
    }
}

namespace {

nlohmann::json optionalString(const std::optional<std::string>& text) {
    return text ? nlohmann::json(*text) : nlohmann::json(nullptr);
}

}  // namespace

void to_json(nlohmann::json& json, const FavoritesItem& item) {
    json = {
        {"id", item.id},
        {"name", item.name},
        {"date", toJson(item.date)},
        {"icon", item.icon},
        {"label", item.label},
        {"location", optionalString(item.location)},
        {"groupName", optionalString(item.groupName)},
        {"url", toJson(item.url())},
        {"iconData", toJson(item.iconData)},
        {"isDatabase", item.isDatabase},
        {"databasePath", optionalString(item.databasePath)},
        {"displayDatabasePath", optionalString(item.displayDatabasePath())},
    };
    addDisplayableFields(json, item);
}

}  // namespace qb::favorites

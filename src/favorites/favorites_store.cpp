#include "favorites/favorites_store.hpp"

#include "core/dictionary_list_file.hpp"
#include "core/quillbrook_paths.hpp"
#include "platform/localization.hpp"
#include "platform/log.hpp"
#include "platform/url.hpp"
#include "presentation/document_type.hpp"

namespace qb {

namespace {

const Logger& logger() {
    static const Logger instance(logSubsystem, "FavoritesStore");
    return instance;
}

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

// One favorite, or nothing when it is none of a database ("Path"), a record ("UUID") or a smart group
// ("SIUUID"). Ids, paths and UUIDs go into ids and links as they are.
std::optional<FavoritesItem> parseChild(const plist::Dictionary& child,
                                        const std::optional<std::string>& groupName,
                                        const std::string& untitled) {
    auto name = stringValue(child, "Name").value_or(untitled);
    const Date date = FavoritesStore::parseDate(child.find("Date"));
    const auto label = integerValue(child, "Label").value_or(0);
    std::optional<Bytes> iconData;
    if (auto icon = child.find("Icon")) iconData = icon->asData();
    const std::string groupPrefix = groupName ? *groupName + "/" : std::string();

    if (auto path = stringValue(child, "Path")) {
        std::optional<std::string> urlString;
        if (auto url = Url::compose("x-quillbrook", "open-path", {{"path", *path}}))
            urlString = url->string();
        return FavoritesItem("db:" + groupPrefix + *path, std::move(name), date, "cylinder.split.1x2", label,
                             std::nullopt, groupName, std::move(urlString), std::move(iconData), true, *path);
    }
    if (auto uuid = stringValue(child, "UUID")) {
        const auto type = integerValue(child, "Type").value_or(0);
        return FavoritesItem("item:" + groupPrefix + *uuid, std::move(name), date,
                             DocumentType::sfSymbol(type), label, stringValue(child, "Location"), groupName,
                             "x-quillbrook-item://" + *uuid, std::move(iconData), false, std::nullopt);
    }
    if (auto smartGroup = stringValue(child, "SIUUID")) {
        return FavoritesItem("si:" + groupPrefix + *smartGroup, std::move(name), date, "gearshape.2", label,
                             std::nullopt, groupName, "x-quillbrook-smartgroup://" + *smartGroup,
                             std::move(iconData), false, std::nullopt);
    }
    return std::nullopt;
}

}  // namespace

const FavoritesStore& FavoritesStore::shared() {
    static const FavoritesStore instance(std::nullopt);
    return instance;
}

FavoritesStore FavoritesStore::forFile(std::filesystem::path file) {
    return FavoritesStore(std::move(file));
}

std::filesystem::path FavoritesStore::file() const {
    return file_ ? *file_ : QuillbrookPaths::favoritesURL();
}

Date FavoritesStore::parseDate(const std::optional<plist::Value>& value) {
    if (!value) return Date::distantPast();
    if (auto date = value->asDate()) return *date;
    if (auto seconds = value->asNumber()) return Date{*seconds};
    return Date::distantPast();
}

std::vector<FavoritesItem> FavoritesStore::readFromPlist() const {
    auto file = loadDictionaryListFile(this->file(), logger());
    if (!file) return {};
    const std::string untitled = localized("Untitled");
    std::vector<FavoritesItem> items;
    for (const auto& element : file->dictionaries) {
        if (auto children = groupChildren(element)) {
            const std::optional<std::string> groupName = stringValue(element, "Name").value_or(untitled);
            for (const auto& child : *children)
                if (auto item = parseChild(*child.asDictionary(), groupName, untitled))
                    items.push_back(std::move(*item));
        } else if (auto item = parseChild(element, std::nullopt, untitled)) {
            items.push_back(std::move(*item));
        }
    }
    return items;
}

std::vector<std::string> FavoritesStore::groupNames() const {
    auto file = loadDictionaryListFile(this->file(), logger());
    if (!file) return {};
    // Any "Children" counts here, but only a string "Name" is listed.
    std::vector<std::string> names;
    for (const auto& element : file->dictionaries) {
        if (!element.find("Children")) continue;
        if (auto name = stringValue(element, "Name")) names.push_back(std::move(*name));
    }
    return names;
}

}  // namespace qb

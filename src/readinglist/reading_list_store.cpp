#include "readinglist/reading_list_store.hpp"

#include <string>

#include "core/dictionary_list_file.hpp"
#include "core/quillbrook_paths.hpp"
#include "platform/log.hpp"
#include "platform/plist/plist.hpp"

namespace qb {
namespace {

const Logger& logger() {
    static const Logger instance(logSubsystem, "ReadingListStore");
    return instance;
}

template <class T>
using Getter = std::optional<T> (plist::Value::*)() const;

// The value under `key` when it has the type `get` reads; nothing when it is missing or of another type.
template <class T>
std::optional<T> field(const plist::Dictionary& entry, std::string_view key, Getter<T> get) {
    auto value = entry.find(key);
    if (!value) return std::nullopt;
    return ((*value).*get)();
}

// One entry of the file as an item: "title" and "URL" must be strings; the rest have defaults. An entry
// without an unread flag counts as unread, and only a real date (not a number of seconds) is a date.
std::optional<ReadingListItem> makeItem(const plist::Dictionary& entry) {
    auto title = field<std::string_view>(entry, "title", &plist::Value::asString);
    if (!title) return std::nullopt;
    auto urlString = field<std::string_view>(entry, "URL", &plist::Value::asString);
    if (!urlString) return std::nullopt;
    return ReadingListItem(std::string(*urlString), std::string(*title),
                           field<bool>(entry, "unread", &plist::Value::asBoolean).value_or(true),
                           field<Date>(entry, "date", &plist::Value::asDate).value_or(Date::distantPast()),
                           field<std::int64_t>(entry, "type", &plist::Value::asInteger).value_or(0),
                           field<Bytes>(entry, "icon", &plist::Value::asData));
}

}  // namespace

const ReadingListStore& ReadingListStore::shared() {
    static const ReadingListStore instance(std::nullopt);
    return instance;
}

ReadingListStore ReadingListStore::forFile(std::filesystem::path file) {
    return ReadingListStore(std::move(file));
}

std::filesystem::path ReadingListStore::file() const {
    return file_ ? *file_ : QuillbrookPaths::readingListURL();
}

std::vector<ReadingListItem> ReadingListStore::readFromPlist() const {
    std::vector<ReadingListItem> items;
    auto list = loadDictionaryListFile(file(), logger());
    if (!list) return items;
    items.reserve(list->dictionaries.size());
    for (const plist::Dictionary& entry : list->dictionaries)
        if (auto item = makeItem(entry)) items.push_back(std::move(*item));
    return items;
}

}  // namespace qb

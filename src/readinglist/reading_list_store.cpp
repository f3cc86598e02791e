#include "readinglist/reading_list_store.hpp"

#include <string>

#include "platform/plist/plist.hpp"

namespace qb::readinglist {
namespace {

template <class T>
using Getter = std::optional<T> (plist::Value::*)() const;

// The value under `key` when it has the type `get` reads; nothing when it is missing or of another type.
template <class T>
std::optional<T> field(const plist::Dictionary& entry, std::string_view key, Getter<T> get) {
    auto value = entry.find(key);
    if (!value) return std::nullopt;
    return ((*value).*get)();
}

// What decides whether an entry is listed and how it counts, read without copying anything: "title" and
// "URL" must be strings, and an entry without an unread flag (or with a flag of another type) is unread.
struct EntryHead {
    std::string_view title;
    std::string_view urlString;
    bool isUnread = true;
};

std::optional<EntryHead> entryHead(const plist::Dictionary& entry) {
    auto title = field<std::string_view>(entry, "title", &plist::Value::asString);
    if (!title) return std::nullopt;
    auto urlString = field<std::string_view>(entry, "URL", &plist::Value::asString);
    if (!urlString) return std::nullopt;
    return EntryHead{*title, *urlString,
                     field<bool>(entry, "unread", &plist::Value::asBoolean).value_or(true)};
}

// The item of a usable entry; the rest of its keys have defaults, and only a real date (not a number of
// seconds) is a date. The icon is taken (and an XML file's base64 decoded) only here.
ReadingListItem makeItem(const plist::Dictionary& entry, const EntryHead& head) {
    return ReadingListItem(std::string(head.urlString), std::string(head.title), head.isUnread,
                           field<Date>(entry, "date", &plist::Value::asDate).value_or(Date::distantPast()),
                           field<std::int64_t>(entry, "type", &plist::Value::asInteger).value_or(0),
                           field<Bytes>(entry, "icon", &plist::Value::asData));
}

}  // namespace

std::vector<ReadingListItem> ReadingListStore::readFromPlist() const {
    return select(ReadingListFilter::all).shown.items;
}

ReadingListSelection ReadingListStore::select(ReadingListFilter filter, std::size_t limit) const {
    ReadingListSelection selection{ListSelection<ReadingListItem>(limit)};
    const bool read = visitDictionaries([&](const plist::Dictionary& entry) {
        const auto head = entryHead(entry);
        if (!head) return;
        ++selection.sourceCount;
        if (head->isUnread) ++selection.unreadCount;
        if (filter == ReadingListFilter::unreadOnly && !head->isUnread) return;
        selection.shown.add([&] { return makeItem(entry, *head); });
    });
    return read ? std::move(selection) : ReadingListSelection{ListSelection<ReadingListItem>(limit)};
}

}  // namespace qb::readinglist

#include "readinglist/reading_list_provider.hpp"

#include <map>

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "platform/log.hpp"
#include "support/test_support.hpp"
#include "widgetkit/timeline.hpp"

namespace qb {
namespace {

using test::PlistFormat;

// A clock that moves one second on at every reading, so that tests see which reading went where.
Clock tickingClock(double start) {
    auto now = std::make_shared<double>(start);
    return [now] {
        const Date date{*now};
        *now += 1;
        return date;
    };
}

// Articles 0 to count-1 at https://example.com/<i>, unread where `unreadTest` (a Python condition on i)
// holds.
std::string articles(int count, std::string_view unreadTest) {
    return fmt::format(
        "[{{'title': f'Article {{i}}', 'URL': f'https://example.com/{{i}}', 'unread': {}}} "
        "for i in range({})]",
        unreadTest, count);
}

std::vector<std::string> idsOf(const std::vector<ReadingListItem>& items) {
    std::vector<std::string> ids;
    for (const auto& item : items) ids.push_back(item.id);
    return ids;
}

std::vector<std::string> addresses(std::initializer_list<int> numbers) {
    std::vector<std::string> ids;
    for (int i : numbers) ids.push_back("https://example.com/" + std::to_string(i));
    return ids;
}

TEST(ReadingListProviderTest, CountsFiltersAndCapsTheList) {
    struct Case {
        std::string name;
        std::string list;
        ReadingListFilter filter;
        std::vector<std::string> ids;
        std::int64_t displayCount, sourceCount, unreadCount;
    };
    const Case cases[] = {
        {"20 unread, all", articles(20, "True"), ReadingListFilter::all,
         addresses({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}), 20, 20, 20},
        {"20 unread, unread only", articles(20, "True"), ReadingListFilter::unreadOnly,
         addresses({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}), 20, 20, 20},
        {"4 of 10 unread, unread only", articles(10, "i in (1, 4, 7, 9)"), ReadingListFilter::unreadOnly,
         addresses({1, 4, 7, 9}), 4, 10, 4},
        {"4 of 10 unread, all", articles(10, "i in (1, 4, 7, 9)"), ReadingListFilter::all,
         addresses({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}), 10, 10, 4},
        {"20 of 30 unread, unread only", articles(30, "i % 3 != 0"), ReadingListFilter::unreadOnly,
         addresses({1, 2, 4, 5, 7, 8, 10, 11, 13, 14, 16, 17, 19, 20, 22, 23}), 20, 30, 20},
        {"all read, unread only", articles(3, "False"), ReadingListFilter::unreadOnly, {}, 0, 3, 0},
        {"empty", "[]", ReadingListFilter::all, {}, 0, 0, 0},
    };
    std::map<std::string, std::string> files;  // each list written by Python once
    for (const auto& c : cases) {
        auto [file, added] = files.try_emplace(c.list);
        if (added) file->second = test::plistlibDump(c.list, PlistFormat::binary);
        test::TempDir dir;
        const auto store = ReadingListStore::forFile(dir.write("ReadingList.plist", file->second));
        const ReadingListProvider provider(store, tickingClock(1000));
        const auto entry = provider.snapshot(ReadingListIntent{c.filter}, TimelineContext{});
        EXPECT_EQ(idsOf(entry.items), c.ids) << c.name;
        EXPECT_EQ(entry.displayCount, c.displayCount) << c.name;
        EXPECT_EQ(entry.sourceCount, c.sourceCount) << c.name;
        EXPECT_EQ(entry.unreadCount, c.unreadCount) << c.name;
        EXPECT_EQ(entry.date, Date{1000}) << c.name;
    }
}

TEST(ReadingListProviderTest, TimelineHoldsOneEntryAndReloadsFiveMinutesAfterItWasBuilt) {
    test::TempDir dir;
    const auto store = ReadingListStore::forFile(
        dir.write("ReadingList.plist", test::plistlibDump(articles(3, "True"), PlistFormat::xml)));
    const ReadingListProvider provider(store, tickingClock(5000));
    const auto timeline = provider.timeline(ReadingListIntent{}, TimelineContext{});
    ASSERT_EQ(timeline.entries.size(), 1u);
    EXPECT_EQ(timeline.entries[0].date, Date{5000});
    EXPECT_EQ(timeline.entries[0].items.size(), 3u);
    // The clock is read again once the entry is ready.
    EXPECT_EQ(timeline.policy, TimelineReloadPolicy::after(Date{5001 + 300}));
}

TEST(ReadingListProviderTest, PlaceholderShowsTheSamplesWithoutReadingTheFile) {
    test::TempDir dir;
    const auto store = ReadingListStore::forFile(
        dir.write("ReadingList.plist", test::plistlibDump(articles(20, "False"), PlistFormat::binary)));
    LogCapture log;
    const ReadingListProvider provider(store, tickingClock(42));
    const auto entry = provider.placeholder(TimelineContext{WidgetFamily::systemSmall});
    EXPECT_EQ(entry.items, ReadingListItem::sampleItems());
    EXPECT_EQ(entry.displayCount, 5);
    EXPECT_EQ(entry.sourceCount, 5);
    EXPECT_EQ(entry.unreadCount, 3);
    EXPECT_EQ(entry.date, Date{42});

    const auto missing = ReadingListStore::forFile(dir.path() / "Missing" / "ReadingList.plist");
    EXPECT_EQ(ReadingListProvider(missing).placeholder(TimelineContext{}).items.size(), 5u);
    EXPECT_TRUE(log.records().empty());
}

TEST(ReadingListProviderTest, EntryJsonCarriesEveryItemField) {
    test::TempDir dir;
    const auto store = ReadingListStore::forFile(dir.write(
        "ReadingList.plist",
        test::plistlibDump("[{'title': 'Web', 'URL': 'https://www.example.com/a', 'unread': True, 'type': 7, "
                           "'icon': b'abc', 'date': datetime.datetime(2024, 3, 1, 12, 0, 0)},"
                           " {'title': 'Doc', 'URL': 'x-quillbrook-item://1A', 'unread': False}]",
                           PlistFormat::binary)));
    const auto entry = ReadingListProvider(store, tickingClock(0)).snapshot(ReadingListIntent{}, {});
    const nlohmann::json json = entry;
    EXPECT_EQ(json["date"], "2001-01-01T00:00:00.000Z");
    EXPECT_EQ(json["displayCount"], 2);
    EXPECT_EQ(json["sourceCount"], 2);
    EXPECT_EQ(json["unreadCount"], 1);
    ASSERT_EQ(json["items"].size(), 2u);

    const auto& web = json["items"][0];
    EXPECT_EQ(web["id"], "https://www.example.com/a");
    EXPECT_EQ(web["title"], "Web");
    EXPECT_EQ(web["isUnread"], true);
    EXPECT_EQ(web["date"], "2024-03-01T12:00:00.000Z");
    EXPECT_EQ(web["type"], 7);
    EXPECT_EQ(web["iconData"], "YWJj");
    EXPECT_EQ(web["url"], "x-quillbrook://open-url?location=https://www.example.com/a&widget=readinglist");
    EXPECT_EQ(web["typeIcon"], "globe");
    EXPECT_EQ(web["typeLabel"], "HTML");
    EXPECT_EQ(web["sourceHost"], "example.com");
    EXPECT_EQ(web["subtitle"], "HTML \u00B7 example.com");
    EXPECT_EQ(web["displayTitle"], "Web");
    EXPECT_EQ(web["displayIcon"], "globe");
    EXPECT_EQ(web["displayIconData"], "YWJj");
    EXPECT_EQ(web["displayURL"], web["url"]);
    EXPECT_EQ(web["displaySubtitle"], "HTML \u00B7 example.com");
    EXPECT_EQ(web["dotColor"], "blue");

    const auto& doc = json["items"][1];
    EXPECT_EQ(doc["date"], "0001-01-01T00:00:00.000Z");
    EXPECT_TRUE(doc["iconData"].is_null());
    EXPECT_TRUE(doc["sourceHost"].is_null());
    EXPECT_TRUE(doc["dotColor"].is_null());
    EXPECT_EQ(doc["subtitle"], "Document");
}

}  // namespace
}  // namespace qb

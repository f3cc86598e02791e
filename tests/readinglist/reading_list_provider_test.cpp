#include "readinglist/reading_list_provider.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "platform/log.hpp"
#include "support/item_fields.hpp"
#include "support/test_support.hpp"
#include "widgetkit/timeline.hpp"

namespace qb::readinglist {
namespace {

using test::PlistFormat;

// Moves one second on at every reading, so that tests see which reading went where.
Clock tickingClock(double start) {
    auto now = std::make_shared<double>(start);
    return [now] { return Date{(*now)++}; };
}

// Articles 0 to count-1 at https://example.com/<i>, unread where the Python condition on i holds.
std::string articles(int count, std::string_view unreadTest) {
    return fmt::format(
        "[{{'title': f'Article {{i}}', 'URL': f'https://example.com/{{i}}', 'unread': {}}} "
        "for i in range({})]",
        unreadTest, count);
}

ReadingListStore storeWith(const test::TempDir& dir, std::string_view python) {
    return ReadingListStore::forFile(
        dir.write("ReadingList.plist", test::plistlibDump(python, PlistFormat::binary)));
}

TEST(ReadingListProviderTest, CountsFiltersAndCapsTheList) {
    struct Case {
        std::string list;
        ReadingListFilter filter;
        std::vector<int> ids;  // of the listed articles; empty: 0 to displayCount-1, at most 16
        std::int64_t displayCount, sourceCount, unreadCount;
    };
    const std::vector<int> unreadOfThirty = {1, 2, 4, 5, 7, 8, 10, 11, 13, 14, 16, 17, 19, 20, 22, 23};
    // Every fifth entry has a number for its address, among the first rows and past the cap: it is
    // neither shown nor counted. The odd entries carry no unread flag and count as unread, also past the
    // cap where no item is made for them.
    const std::string mixed =
        "[{'title': f'Article {i}', 'URL': i if i % 5 == 0 else f'https://example.com/{i}', "
        "**({} if i % 2 else {'unread': False})} for i in range(50)]";
    const std::vector<int> shownOfMixed = {1, 2, 3, 4, 6, 7, 8, 9, 11, 12, 13, 14, 16, 17, 18, 19};
    const std::vector<int> unreadOfMixed = {1, 3, 7, 9, 11, 13, 17, 19, 21, 23, 27, 29, 31, 33, 37, 39};
    const Case cases[] = {
        {articles(20, "True"), ReadingListFilter::all, {}, 20, 20, 20},
        {articles(10, "i in (1, 4, 7, 9)"), ReadingListFilter::unreadOnly, {1, 4, 7, 9}, 4, 10, 4},
        {articles(10, "i in (1, 4, 7, 9)"), ReadingListFilter::all, {}, 10, 10, 4},
        {articles(30, "i % 3 != 0"), ReadingListFilter::unreadOnly, unreadOfThirty, 20, 30, 20},
        {articles(3, "False"), ReadingListFilter::unreadOnly, {}, 0, 3, 0},
        {"[]", ReadingListFilter::all, {}, 0, 0, 0},
        {mixed, ReadingListFilter::all, shownOfMixed, 40, 40, 20},
        {mixed, ReadingListFilter::unreadOnly, unreadOfMixed, 20, 40, 20},
        // An element that is no dictionary, after usable entries, leaves the whole file unread.
        {articles(20, "True") + " + ['stray']", ReadingListFilter::all, {}, 0, 0, 0},
    };
    const LogCapture quiet;
    for (const auto& c : cases) {
        test::TempDir dir;
        const ReadingListProvider provider(storeWith(dir, c.list), tickingClock(1000));
        const auto entry = provider.snapshot(ReadingListIntent{c.filter}, TimelineContext{});
        std::vector<std::string> ids, expected;
        for (const auto& item : entry.items) ids.push_back(item.id);
        auto numbers = c.ids;
        for (int i = 0; c.ids.empty() && i < std::min<std::int64_t>(c.displayCount, 16); ++i)
            numbers.push_back(i);
        for (int i : numbers) expected.push_back(fmt::format("https://example.com/{}", i));
        const auto name = c.list + (c.filter == ReadingListFilter::all ? " all" : " unread");
        EXPECT_EQ(ids, expected) << name;
        EXPECT_EQ(entry.displayCount, c.displayCount) << name;
        EXPECT_EQ(entry.sourceCount, c.sourceCount) << name;
        EXPECT_EQ(entry.unreadCount, c.unreadCount) << name;
        EXPECT_EQ(entry.date, Date{1000}) << name;
    }
}

TEST(ReadingListProviderTest, TimelineHoldsOneEntryAndReloadsFiveMinutesAfterItWasBuilt) {
    test::TempDir dir;
    const ReadingListProvider provider(storeWith(dir, articles(3, "True")), tickingClock(5000));
    const auto timeline = provider.timeline(ReadingListIntent{}, TimelineContext{});
    ASSERT_EQ(timeline.entries.size(), 1u);
    EXPECT_EQ(timeline.entries[0].date, Date{5000});
    EXPECT_EQ(timeline.entries[0].items.size(), 3u);
    EXPECT_EQ(timeline.policy, TimelineReloadPolicy::after(Date{5001 + 300}));
}

TEST(ReadingListProviderTest, PlaceholderShowsTheSamplesWithoutReadingTheFile) {
    LogCapture log;
    test::TempDir dir;
    const auto missing = ReadingListStore::forFile(dir.path() / "Missing" / "ReadingList.plist");
    const auto entry = ReadingListProvider(missing, tickingClock(42)).placeholder(TimelineContext{});
    EXPECT_TRUE(test::sameItems(entry.items, ReadingListItem::sampleItems()));
    EXPECT_EQ(entry.displayCount, 5);
    EXPECT_EQ(entry.unreadCount, 3);
    EXPECT_EQ(entry.date, Date{42});
    EXPECT_TRUE(log.records().empty());
}

TEST(ReadingListProviderTest, EntryJsonCarriesEveryItemField) {
    test::TempDir dir;
    const auto store =
        storeWith(dir,
                  "[{'title': 'Web', 'URL': 'https://www.example.com/a', 'unread': True, 'type': 7, "
                  "'icon': b'abc', 'date': datetime.datetime(2024, 3, 1, 12, 0, 0)},"
                  " {'title': 'Doc', 'URL': 'x-quillbrook-item://1A', 'unread': False}]");
    const nlohmann::json json = ReadingListProvider(store, tickingClock(0)).snapshot(ReadingListIntent{}, {});
    EXPECT_EQ(json["date"], "2001-01-01T00:00:00.000Z");
    EXPECT_EQ(json["unreadCount"], 1);
    ASSERT_EQ(json["items"].size(), 2u);
    const auto& web = json["items"][0];
    EXPECT_EQ(web["isUnread"], true);
    EXPECT_EQ(web["date"], "2024-03-01T12:00:00.000Z");
    EXPECT_EQ(web["iconData"], "YWJj");
    EXPECT_EQ(web["url"], "x-quillbrook://open-url?location=https://www.example.com/a&widget=readinglist");
    EXPECT_EQ(web["typeIcon"], "globe");
    EXPECT_EQ(web["sourceHost"], "example.com");
    EXPECT_EQ(web["displaySubtitle"], "HTML \u00B7 example.com");
    EXPECT_EQ(web["dotColor"], "blue");
    const auto& doc = json["items"][1];
    EXPECT_EQ(doc["date"], "0001-01-01T00:00:00.000Z");
    EXPECT_TRUE(doc["iconData"].is_null());
    EXPECT_TRUE(doc["sourceHost"].is_null());
    EXPECT_TRUE(doc["dotColor"].is_null());
}

}  // namespace
}  // namespace qb::readinglist

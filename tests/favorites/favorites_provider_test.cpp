#include "favorites/favorites_provider.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "favorites/favorites_views.hpp"
#include "platform/log.hpp"
#include "support/item_fields.hpp"
#include "support/test_support.hpp"

namespace qb::favorites {
namespace {

// 20 favorites in "Work", 2 in "Home", 3 at the root.
std::string twentyInWork() {
    return "[{'Name': 'Work', 'Children': [{'Name': 'W%d' % i, 'UUID': 'U%d' % i} for i in range(20)]},"
           " {'Name': 'Home', 'Children': [{'UUID': 'H1'}, {'UUID': 'H2'}]},"
           " {'UUID': 'R1'}, {'UUID': 'R2'}, {'SIUUID': 'R3'}]";
}

Clock tickingClock(double start) {
    auto now = std::make_shared<double>(start);
    return [now] { return Date{(*now)++}; };
}

FavoritesIntent intentFor(std::string group) {
    return FavoritesIntent{FavoritesGroupOption{std::move(group)}};
}

class FavoritesProviderTest : public testing::Test {
  protected:
    FavoritesProvider providerWith(std::string_view python, Clock clock = systemClock()) {
        auto file = dir.write("Favorites.plist", test::plistlibDump(python, test::PlistFormat::binary));
        return FavoritesProvider(FavoritesStore::forFile(file), std::move(clock));
    }
    test::TempDir dir;
};

TEST_F(FavoritesProviderTest, EntryHoldsTheFirstSixteenOfTheGroup) {
    const auto provider = providerWith(twentyInWork());
    const auto entry = provider.snapshot(intentFor("Work"), {});
    ASSERT_EQ(entry.items.size(), 16u);
    EXPECT_EQ(entry.displayCount, 20);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(entry.items[i].id, fmt::format("item:Work/U{}", i));

    const auto all = provider.snapshot(intentFor("_all"), {});
    EXPECT_EQ(all.items.size(), 16u);
    EXPECT_EQ(all.displayCount, 25);

    EXPECT_EQ(provider.snapshot(intentFor("Home"), {}).displayCount, 2);
    const auto view = ui::dump(FavoritesEntryView{entry}.body({WidgetFamily::systemMedium}));
    EXPECT_NE(view.find("20 items"), std::string::npos) << view;
    EXPECT_NE(view.find("W0"), std::string::npos) << view;
}

TEST_F(FavoritesProviderTest, CountsOnlyTheFavoritesOfGroupsOfThatName) {
    // Two groups named "Work" whose children include dictionaries that are no favorites; beside them a
    // root favorite named "Work", an element whose children are not all dictionaries (a favorite too), and
    // a group without a name, read as "Untitled".
    const auto provider = providerWith(
        "[{'Name': 'Work', 'Children': [{'UUID': f'A{i}'} if i % 3 else {} for i in range(12)]},"
        " {'Name': 'Work', 'UUID': 'Root'},"
        " {'Name': 'Work', 'Children': [{'UUID': 'x'}, 3], 'SIUUID': 'Mixed'},"
        " {'Name': 'Other', 'Children': [{'UUID': 'O'}]}, {'Children': [{'UUID': 'U'}]},"
        " {'Name': 'Work', 'Children': [{'SIUUID': 'B%d' % i} for i in range(10)]}]");
    const auto work = provider.snapshot(intentFor("Work"), {});
    std::vector<std::string> ids, expected;
    for (const auto& item : work.items) ids.push_back(item.id);
    for (int i : {1, 2, 4, 5, 7, 8, 10, 11}) expected.push_back(fmt::format("item:Work/A{}", i));
    for (int i = 0; i < 8; ++i) expected.push_back(fmt::format("si:Work/B{}", i));
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(work.displayCount, 18);
    EXPECT_EQ(provider.snapshot(intentFor("_all"), {}).displayCount, 22);
    const auto untitled = provider.snapshot(intentFor("Untitled"), {});
    ASSERT_EQ(untitled.items.size(), 1u);
    EXPECT_EQ(untitled.items[0].id, "item:Untitled/U");
}

TEST_F(FavoritesProviderTest, VanishedGroupShowsTheEmptyView) {
    const auto entry = providerWith(twentyInWork()).timeline(intentFor("Gone"), {}).entries.at(0);
    EXPECT_TRUE(entry.items.empty());
    EXPECT_EQ(entry.displayCount, 0);
    for (auto family : {WidgetFamily::systemSmall, WidgetFamily::systemExtraLarge}) {
        const auto view = FavoritesEntryView{entry}.body({family});
        EXPECT_EQ(view, FavoritesEmptyView{}.body({family}));
        EXPECT_NE(ui::dump(view).find("No Favorites"), std::string::npos);
    }
}

TEST_F(FavoritesProviderTest, ReloadFiveMinutesAfterTheEntryAndPlaceholderWithoutReading) {
    const auto timeline = providerWith(twentyInWork(), tickingClock(1000)).timeline(intentFor("_all"), {});
    ASSERT_EQ(timeline.entries.size(), 1u);
    EXPECT_EQ(timeline.entries[0].date, Date{1000});
    EXPECT_EQ(timeline.policy, TimelineReloadPolicy::after(Date{1301}));

    LogCapture capture;
    const FavoritesProvider missing(FavoritesStore::forFile(dir.path() / "missing.plist"));
    EXPECT_TRUE(test::sameItems(missing.placeholder({}).items, FavoritesItem::sampleItems()));
    EXPECT_TRUE(capture.records().empty());
}

TEST_F(FavoritesProviderTest, EntryJsonCarriesStoredComputedAndDisplayFields) {
    const auto provider = providerWith(
        "[{'Name': 'DB', 'Path': '/v/x.qbBase2', 'Label': 7, 'Icon': b'ab', 'Date': 0}]", tickingClock(0));
    const nlohmann::json json = provider.snapshot(intentFor("_all"), {});
    EXPECT_EQ(json["date"], "2001-01-01T00:00:00.000Z");
    const auto& item = json["items"].at(0);
    EXPECT_EQ(item["location"], nullptr);
    EXPECT_EQ(item["url"], "x-quillbrook://open-path?path=/v/x.qbBase2&widget=favorites");
    EXPECT_EQ(item["iconData"], "YWI=");
    EXPECT_EQ(item["displayDatabasePath"], "/v/x.qbBase2");
    EXPECT_EQ(item["displayIcon"], "cylinder.split.1x2");
    EXPECT_EQ(item["dotColor"], "gray");
}

}  // namespace
}  // namespace qb::favorites

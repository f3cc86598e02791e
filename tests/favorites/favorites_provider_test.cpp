#include "favorites/favorites_provider.hpp"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include "favorites/favorites_views.hpp"
#include "platform/log.hpp"
#include "support/test_support.hpp"

namespace qb::favorites {
namespace {

using test::PlistJson;
using test::operator""_plist;

using test::tickingClock;

FavoritesIntent intentFor(std::string group) {
    return FavoritesIntent{FavoritesGroupOption{std::move(group)}};
}

class FavoritesProviderTest : public testing::Test {
  protected:
    FavoritesProvider providerWith(const PlistJson& description, Clock clock = systemClock()) {
        auto file = dir.write("Favorites.plist", test::makePlist(description, test::PlistFormat::binary));
        return FavoritesProvider(FavoritesStore::forFile(file), std::move(clock));
    }
    test::TempDir dir;
};

TEST_F(FavoritesProviderTest, CountsOnlyTheFavoritesOfGroupsOfThatName) {
    // Two groups named "Work" whose children include dictionaries that are no favorites; beside them a
    // root favorite named "Work", an element whose children are not all dictionaries (a favorite too), and
    // a group without a name, read as "Untitled".
    PlistJson first = PlistJson::array(), last = PlistJson::array();
    for (int i = 0; i < 12; ++i)
        first.push_back(i % 3 ? PlistJson{{"UUID", fmt::format("A{}", i)}} : PlistJson::object());
    for (int i = 0; i < 10; ++i) last.push_back({{"SIUUID", fmt::format("B{}", i)}});
    auto list = R"([{"Name": "Work", "UUID": "Root"},
                    {"Name": "Work", "Children": [{"UUID": "x"}, 3], "SIUUID": "Mixed"},
                    {"Name": "Other", "Children": [{"UUID": "O"}]}, {"Children": [{"UUID": "U"}]}])"_plist;
    list.insert(list.begin(), PlistJson{{"Name", "Work"}, {"Children", first}});
    list.push_back({{"Name", "Work"}, {"Children", last}});
    const auto provider = providerWith(list);
    const auto work = provider.snapshot(intentFor("Work"), {});
    std::vector<std::string> ids, expected;
    for (const auto& item : work.items) ids.push_back(item.id);
    for (int i : {1, 2, 4, 5, 7, 8, 10, 11}) expected.push_back(fmt::format("item:Work/A{}", i));
    for (int i = 0; i < 8; ++i) expected.push_back(fmt::format("si:Work/B{}", i));
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(work.displayCount, 18);  // the entry holds the first sixteen and counts them all
    const auto view = ui::dump(FavoritesEntryView{work}.body({WidgetFamily::systemMedium}));
    EXPECT_NE(view.find("18 items"), std::string::npos) << view;
    EXPECT_EQ(provider.snapshot(intentFor("_all"), {}).displayCount, 22);
    const auto untitled = provider.snapshot(intentFor("Untitled"), {});
    ASSERT_EQ(untitled.items.size(), 1u);
    EXPECT_EQ(untitled.items[0].id, "item:Untitled/U");
}

TEST_F(FavoritesProviderTest, VanishedGroupShowsTheEmptyView) {
    const auto entry = providerWith(R"([{"Name": "Work", "Children": [{"UUID": "A"}]}])"_plist)
                           .timeline(intentFor("Gone"), {})
                           .entries.at(0);
    EXPECT_TRUE(entry.items.empty());
    EXPECT_EQ(entry.displayCount, 0);
    for (auto family : {WidgetFamily::systemSmall, WidgetFamily::systemExtraLarge}) {
        const auto view = FavoritesEntryView{entry}.body({family});
        EXPECT_EQ(view, FavoritesEmptyView{}.body({family}));
        EXPECT_NE(ui::dump(view).find("No Favorites"), std::string::npos);
    }
}

// The timeline and its reload come from the list provider all three lists share: the reading list's
// tests check them.
TEST_F(FavoritesProviderTest, PlaceholderShowsTheSamplesWithoutReading) {
    LogCapture capture;
    const FavoritesProvider missing(FavoritesStore::forFile(dir.path() / "missing.plist"));
    EXPECT_EQ(test::jsonLines(missing.placeholder({}).items), test::jsonLines(FavoritesItem::sampleItems()));
    EXPECT_TRUE(capture.records().empty());
}

TEST_F(FavoritesProviderTest, EntryJsonCarriesStoredComputedAndDisplayFields) {
    const auto provider = providerWith(
        R"([{"Name": "DB", "Path": "/v/x.qbBase2", "Label": 7, "Icon": {"$data": "YWI="}, "Date": 0}])"_plist,
        tickingClock(1000));
    const nlohmann::json json = provider.snapshot(intentFor("_all"), {});
    EXPECT_EQ(json["date"], "2001-01-01T00:16:40.000Z");
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

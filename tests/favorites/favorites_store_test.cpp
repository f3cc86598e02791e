#include "favorites/favorites_store.hpp"

#include <gtest/gtest.h>

#include "platform/log.hpp"
#include "support/item_fields.hpp"
#include "support/test_support.hpp"

namespace qb::favorites {
namespace {

using test::PlistFormat;

class FavoritesStoreTest : public testing::TestWithParam<PlistFormat> {
  protected:
    FavoritesStore storeWith(std::string_view pythonExpression) {
        return FavoritesStore::forFile(
            dir.write("Favorites.plist", test::plistlibDump(pythonExpression, GetParam())));
    }
    test::TempDir dir;
};

TEST_P(FavoritesStoreTest, ReadsFavoritesAndGroupsInFileOrder) {
    auto store = storeWith(R"([
        {'Name': 'Home DB', 'Path': '/Users/al/My DB.qbBase2', 'Date': datetime.datetime(2020, 1, 2, 3, 4, 5),
         'Label': 7, 'Icon': b'\x89PNG', 'Location': 'ignored for databases'},
        {'Name': 'Paper', 'UUID': 'ABC', 'Type': 12, 'Location': 'Inbox', 'Date': 0, 'Label': 8},
        {'Name': 'Today', 'SIUUID': 'S1', 'Date': 1.5, 'Label': 9},
        {'Name': 'Nothing to open', 'Label': 1},
        {'UUID': 'NONAME', 'Date': 'yesterday', 'Label': 'red', 'Type': 'pdf'},
        {'Name': 'Work', 'Children': [
            {'Name': 'Both', 'Path': '/db', 'UUID': 'U1', 'Label': 0},
            {'Name': 'Rec', 'UUID': 'ABC', 'SIUUID': 'S2', 'Type': 124},
            {'Name': 'Nested', 'Children': [{'UUID': 'DEEP'}]},
            {'Name': 'Smart', 'SIUUID': 'S3', 'Children': [{'UUID': 'X'}]}]},
        {'Name': 'Empty', 'Children': []},
        {'Children': [{'SIUUID': 'S4'}]},
        {'Name': 'Odd', 'Children': 'not a list', 'UUID': 'ODD'},
        {'Name': 'Work', 'Children': [{'Name': 'Again', 'UUID': 'ABC'}]},
    ])");
    using O = std::optional<std::string>;
    const Date past = Date::distantPast();
    const std::vector<FavoritesItem> expected = {
        {"db:/Users/al/My DB.qbBase2", "Home DB", Date::fromUnixSeconds(1577934245), "cylinder.split.1x2", 7,
         std::nullopt, std::nullopt, "x-quillbrook://open-path?path=/Users/al/My%20DB.qbBase2",
         Bytes("\x89PNG"), true, "/Users/al/My DB.qbBase2"},
        {"item:ABC", "Paper", Date{0}, "doc.text", 8, "Inbox", std::nullopt, "x-quillbrook-item://ABC",
         std::nullopt, false, std::nullopt},
        {"si:S1", "Today", Date{1.5}, "gearshape.2", 9, std::nullopt, std::nullopt,
         "x-quillbrook-smartgroup://S1", std::nullopt, false, std::nullopt},
        {"item:NONAME", "Untitled", past, "doc", 0, std::nullopt, std::nullopt, "x-quillbrook-item://NONAME",
         std::nullopt, false, std::nullopt},
        {"db:Work//db", "Both", past, "cylinder.split.1x2", 0, std::nullopt, O("Work"),
         "x-quillbrook://open-path?path=/db", std::nullopt, true, "/db"},
        {"item:Work/ABC", "Rec", past, "doc.plaintext", 0, std::nullopt, O("Work"), "x-quillbrook-item://ABC",
         std::nullopt, false, std::nullopt},
        {"si:Work/S3", "Smart", past, "gearshape.2", 0, std::nullopt, O("Work"),
         "x-quillbrook-smartgroup://S3", std::nullopt, false, std::nullopt},
        {"si:Untitled/S4", "Untitled", past, "gearshape.2", 0, std::nullopt, O("Untitled"),
         "x-quillbrook-smartgroup://S4", std::nullopt, false, std::nullopt},
        {"item:ODD", "Odd", past, "doc", 0, std::nullopt, std::nullopt, "x-quillbrook-item://ODD",
         std::nullopt, false, std::nullopt},
        {"item:Work/ABC", "Again", past, "doc", 0, std::nullopt, O("Work"), "x-quillbrook-item://ABC",
         std::nullopt, false, std::nullopt},
    };
    const auto items = store.readFromPlist();
    ASSERT_TRUE(test::sameItems(items, expected));
    // The links are tagged with the widget they come from.
    EXPECT_EQ(items[0].url()->string(),
              "x-quillbrook://open-path?path=/Users/al/My%20DB.qbBase2&widget=favorites");

    // Any "Children" makes a group here, but only a string name is listed; repeated names repeat.
    EXPECT_EQ(store.groupNames(), (std::vector<std::string>{"Work", "Empty", "Odd", "Work"}));
}

TEST_P(FavoritesStoreTest, BrokenOrMissingFilesGiveEmptyListsAndTheirMessage) {
    struct Case {
        std::optional<std::string_view> python;  // nothing: no file at all
        std::vector<LogRecord> expected;
    };
    const std::string sub(logSubsystem);
    const std::vector<Case> cases = {
        {std::nullopt, {{LogLevel::debug, sub, "FavoritesStore", "Could not read Favorites.plist"}}},
        {"{'UUID': 'A'}", {{LogLevel::error, sub, "FavoritesStore", "Could not parse Favorites.plist"}}},
        {"[{'UUID': 'A'}, 3]", {{LogLevel::error, sub, "FavoritesStore", "Could not parse Favorites.plist"}}},
        {"[]", {}},
    };
    for (const auto& c : cases) {
        test::TempDir folder;
        auto path = folder.path() / "Favorites.plist";
        if (c.python) folder.write("Favorites.plist", test::plistlibDump(*c.python, GetParam()));
        auto expected = c.expected;  // a file that cannot be read is followed by the reason
        if (!c.python)
            expected.push_back(
                {LogLevel::debug, sub, "FavoritesStore", path.string() + ": No such file or directory"});
        auto store = FavoritesStore::forFile(path);
        LogCapture capture;
        EXPECT_TRUE(store.readFromPlist().empty()) << c.python.value_or("no file");
        EXPECT_EQ(capture.records(), expected) << c.python.value_or("no file");
        capture.clear();
        EXPECT_TRUE(store.groupNames().empty());
        EXPECT_EQ(capture.records(), expected) << c.python.value_or("no file");
    }
}

TEST(FavoritesStoreServicesTest, ReadsTheFileUnderTheServicesHomeAndLogsToTheirSink) {
    test::TempDir home;
    std::vector<LogRecord> records;
    const auto store = FavoritesStore::forServices(WidgetServices{
        .home = home.path(), .log = [&records](LogRecord record) { records.push_back(std::move(record)); }});
    LogCapture system;
    EXPECT_TRUE(store.readFromPlist().empty());
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.front().message, "Could not read Favorites.plist");
    EXPECT_TRUE(system.records().empty()) << "a message went to the system's log";

    // A database inside the home is shown from "~".
    const auto database = (home.path() / "Databases" / "Mine.qbBase2").string();
    home.write("Library/Application Support/Quillbrook/Favorites.plist",
               test::plistlibDump("[{'Name': 'Mine', 'Path': '" + database + "'}]", PlistFormat::binary));
    const auto items = store.readFromPlist();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].displaySubtitle(), "~/Databases/Mine.qbBase2");
}

INSTANTIATE_TEST_SUITE_P(BothEncodings, FavoritesStoreTest,
                         testing::Values(PlistFormat::binary, PlistFormat::xml), [](const auto& format) {
                             return format.param == PlistFormat::binary ? "binary" : "xml";
                         });

}  // namespace
}  // namespace qb::favorites

#include "favorites/favorites_intent.hpp"

#include <gtest/gtest.h>

#include "favorites/favorites_store.hpp"
#include "platform/log.hpp"
#include "support/test_support.hpp"

namespace qb::favorites {
namespace {

std::vector<std::string> ids(const std::vector<FavoritesGroupOption>& options) {
    std::vector<std::string> result;
    for (const auto& option : options) result.push_back(option.id);
    return result;
}

using Ids = std::vector<std::string>;

TEST(FavoritesGroupQueryTest, SuggestsAllFirstThenEveryGroupName) {
    test::TempDir dir;
    auto file = dir.write("Favorites.plist", test::plistlibDump(R"([
        {'Name': 'Work', 'Children': []}, {'UUID': 'A'}, {'Name': 'Home', 'Children': []},
        {'Name': 'Work', 'Children': [{'UUID': 'B'}]}])",
                                                                test::PlistFormat::binary));
    const FavoritesGroupQuery query(FavoritesStore::forFile(file));
    const auto suggested = query.suggestedEntities();
    EXPECT_EQ(ids(suggested), (Ids{"_all", "Work", "Home", "Work"}));
    EXPECT_EQ(suggested[0].displayRepresentation().title, "All");
    EXPECT_EQ(query.defaultResult(), FavoritesGroupOption::all());

    // Stored ids resolve as they are, also for groups the file does not list.
    EXPECT_EQ(ids(query.entities({"Gone", "work", "_all"})), (Ids{"Gone", "work", "_all"}));

    const FavoritesGroupQuery noFile(FavoritesStore::forFile(dir.path() / "missing.plist"));
    {
        LogCapture log;  // reading the missing file would say so
        EXPECT_EQ(ids(noFile.entities({"Work"})), Ids{"Work"});
        EXPECT_TRUE(log.records().empty()) << "resolving ids read the file";
    }
    EXPECT_EQ(ids(noFile.suggestedEntities()), Ids{"_all"});
}

TEST(FavoritesGroupQueryTest, SearchMatchesIdsAndTheAllTitle) {
    test::TempDir dir;
    auto file = dir.write("Favorites.plist", test::plistlibDump(R"([
        {'Name': 'Journal', 'Children': []}, {'Name': 'ALPHA', 'Children': []},
        {'Name': 'Misc', 'Children': []}])",
                                                                test::PlistFormat::xml));
    const FavoritesGroupQuery query(FavoritesStore::forFile(file));
    const std::pair<std::string_view, Ids> cases[] = {
        {"al", {"_all", "Journal", "ALPHA"}},
        {"_a", {"_all"}},
        {"MISC", {"Misc"}},
        {"zz", {}},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(ids(query.entitiesMatching(text)), expected) << text;
}

}  // namespace
}  // namespace qb::favorites

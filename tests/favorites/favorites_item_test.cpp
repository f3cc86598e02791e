#include "favorites/favorites_item.hpp"

#include <gtest/gtest.h>

namespace qb::favorites {
namespace {

FavoritesItem item(std::string id, bool isDatabase = false,
                   std::optional<std::string> location = std::nullopt,
                   std::optional<std::string> groupName = std::nullopt,
                   std::optional<std::string> databasePath = std::nullopt, std::int64_t label = 0,
                   std::optional<std::string> urlString = std::nullopt) {
    return FavoritesItem(std::move(id), "Name", Date{}, "doc", label, std::move(location),
                         std::move(groupName), std::move(urlString), std::nullopt, isDatabase,
                         std::move(databasePath), "/home/al");
}

TEST(FavoritesItemTest, HomeIsAbbreviatedOnlyAtAPathComponent) {
    struct Case {
        std::string_view path, home, expected;
    };
    const Case cases[] = {
        {"/home/al/db", "/home/al", "~/db"},
        {"/home/al", "/home/al", "~"},
        {"/home/al/db", "/home/al/", "~/db"},
        {"/home/alice/db", "/home/al", "/home/alice/db"},
        {"/srv/home/al/db", "/home/al", "/srv/home/al/db"},
        {"/db", "/", "/db"},
        {"/db", "", "/db"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(abbreviatingHome(c.path, c.home), c.expected) << c.path << " " << c.home;
}

TEST(FavoritesItemTest, SubtitleFallsBackFromLocationToGroupToDatabasePath) {
    struct Case {
        FavoritesItem item;
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {item("a", false, "Research > Inbox", "Work"), "Research > Inbox"},
        {item("b", false, std::nullopt, "Work"), "Work"},
        {item("c"), std::nullopt},
        {item("d", true, "Somewhere", "Work", "/x.qbBase2"), "Somewhere"},
        {item("e", true, std::nullopt, "Work", "/home/al/Databases/R.qbBase2"), "~/Databases/R.qbBase2"},
        {item("g", true), "Database"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.item.displaySubtitle(), c.expected) << c.item.id;
    EXPECT_EQ(cases[4].item.displayDatabasePath(), "~/Databases/R.qbBase2");
    EXPECT_EQ(cases[5].item.displayDatabasePath(), std::nullopt);
}

TEST(FavoritesItemTest, LabelsGiveDotColours) {
    using ui::Color;
    const std::pair<std::int64_t, std::optional<Color>> cases[] = {
        {0, std::nullopt}, {1, Color::red},   {6, Color::purple},
        {7, Color::gray},  {8, std::nullopt}, {-1, std::nullopt},
    };
    for (const auto& [label, color] : cases)
        EXPECT_EQ(item("x", false, {}, {}, {}, label).dotColor(), color) << label;
}

TEST(FavoritesItemTest, IdentityIsTheIdWhateverTheLink) {
    auto a = item("item:A", false, "one", {}, {}, 0, "x-quillbrook-item://A");
    auto b = item("item:A", true, "two", {}, {}, 0, "x-quillbrook-item://B");
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::hash<FavoritesItem>{}(a), std::hash<FavoritesItem>{}(b));
    EXPECT_NE(a, item("item:B", false, "one", {}, {}, 0, "x-quillbrook-item://A"));
}

TEST(FavoritesItemTest, LinksAreTheStoredTextTaggedWhenAskedFor) {
    struct Case {
        std::optional<std::string> stored;
        std::optional<std::string_view> link;
    };
    const Case cases[] = {
        {"x-quillbrook-item://A B", "x-quillbrook-item://A%20B?widget=favorites"},
        {"not a url:at all", std::nullopt},
        {std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        auto favorite = item("x", false, {}, {}, {}, 0, c.stored);
        const auto url = favorite.url();
        EXPECT_EQ(url ? std::optional<std::string_view>(url->string()) : std::nullopt, c.link)
            << c.stored.value_or("(none)");
        EXPECT_EQ(favorite.displayURL(), url);
    }
    // The link is made from the stored text each time, not kept from the constructor.
    auto favorite = item("y", false, {}, {}, {}, 0, "x-quillbrook-item://OLD");
    favorite.urlString = "x-quillbrook-item://NEW";
    EXPECT_EQ(favorite.url()->string(), "x-quillbrook-item://NEW?widget=favorites");
}

}  // namespace
}  // namespace qb::favorites

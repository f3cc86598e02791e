#include "readinglist/reading_list_item.hpp"

#include <unordered_set>

#include <gtest/gtest.h>

#include "presentation/displayable_item.hpp"

namespace qb::readinglist {
namespace {

static_assert(DisplayableItem<ReadingListItem>);

ReadingListItem itemAt(std::string address, std::int64_t type = 0) {
    return ReadingListItem(std::move(address), "Title", true, Date::distantPast(), type, std::nullopt);
}

TEST(ReadingListItemTest, SourceHostIsTheWebSiteOfHttpAddressesOnly) {
    const std::pair<std::string_view, std::optional<std::string_view>> cases[] = {
        {"https://www.example.com/a", "example.com"},    {"HTTP://Example.COM/a", "Example.COM"},
        {"https://WWW.example.com/", "WWW.example.com"}, {"https://caf%C3%A9.example/x", "caf\u00E9.example"},
        {"https:///only/a/path", std::nullopt},          {"ftp://www.example.com/f.txt", std::nullopt},
        {"x-quillbrook-item://1A2B-3C4D", std::nullopt}, {"not a url at all", std::nullopt},
    };
    for (const auto& [address, host] : cases) {
        const auto actual = itemAt(std::string(address)).sourceHost();
        EXPECT_EQ(actual ? std::optional<std::string_view>(*actual) : std::nullopt, host) << address;
    }
}

TEST(ReadingListItemTest, SubtitleNamesTheTypeAndTheSiteWhenThereIsOne) {
    EXPECT_EQ(itemAt("https://www.example.com/page", 7).displaySubtitle(),
              std::optional<std::string>("HTML \u00B7 example.com"));
    EXPECT_EQ(itemAt("x-quillbrook-item://1A2B", 12).subtitle(), "PDF");
}

TEST(ReadingListItemTest, LinksOpenInQuillbrookTaggedForTheReadingList) {
    const auto web = itemAt("https://www.example.com/a b");
    ASSERT_TRUE(web.url());
    EXPECT_EQ(web.url()->string(),
              "x-quillbrook://open-url?location=https://www.example.com/a%20b&widget=readinglist");
    EXPECT_EQ(web.displayURL(), web.url());
    EXPECT_FALSE(itemAt("").url());
}

TEST(ReadingListItemTest, EqualityAndHashFollowTheAddressAlone) {
    const ReadingListItem first("https://example.com/a", "First", true, Date{10}, 7, Bytes(std::string("x")));
    const ReadingListItem second("https://example.com/a", "Second", false, Date{20}, 12, std::nullopt);
    const ReadingListItem other("https://example.com/b", "First", true, Date{10}, 7, Bytes(std::string("x")));
    EXPECT_EQ(first, second);
    EXPECT_NE(first, other);
    EXPECT_EQ((std::unordered_set<ReadingListItem>{first, second, other}.size()), 2u);
}

}  // namespace
}  // namespace qb::readinglist

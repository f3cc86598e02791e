#include "readinglist/reading_list_item.hpp"

#include <algorithm>
#include <unordered_set>

#include <gtest/gtest.h>

#include "presentation/displayable_item.hpp"

namespace qb {
namespace {

static_assert(DisplayableItem<ReadingListItem>);

ReadingListItem itemAt(std::string address, std::int64_t type = 0, bool isUnread = true) {
    return ReadingListItem(std::move(address), "Title", isUnread, Date::distantPast(), type, std::nullopt);
}

TEST(ReadingListItemTest, SourceHostIsTheWebSiteOfHttpAddressesOnly) {
    struct Case {
        std::string_view address;
        std::optional<std::string_view> host;
    };
    const Case cases[] = {
        {"https://www.example.com/a", "example.com"},
        {"http://www.example.com:8080/a?b=c", "example.com"},
        {"HTTP://Example.COM/a", "Example.COM"},
        {"Https://blog.example.org", "blog.example.org"},
        {"https://WWW.example.com/", "WWW.example.com"},
        {"https://Www.example.com/", "Www.example.com"},
        {"https://caf%C3%A9.example/x", "caf\u00E9.example"},
        {"https:///only/a/path", std::nullopt},
        {"ftp://www.example.com/f.txt", std::nullopt},
        {"x-quillbrook-item://1A2B-3C4D", std::nullopt},
        {"file:///tmp/a.pdf", std::nullopt},
        {"www.example.com/no-scheme", std::nullopt},
        {"not a url at all", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto host = itemAt(std::string(c.address)).sourceHost();
        if (c.host) {
            ASSERT_TRUE(host) << c.address;
            EXPECT_EQ(*host, *c.host) << c.address;
        } else {
            EXPECT_FALSE(host) << c.address << " gave " << *host;
        }
    }
}

TEST(ReadingListItemTest, SubtitleNamesTheTypeAndTheSiteWhenThereIsOne) {
    EXPECT_EQ(itemAt("https://www.example.com/page", 7).subtitle(), "HTML \u00B7 example.com");
    EXPECT_EQ(itemAt("x-quillbrook-item://1A2B", 12).subtitle(), "PDF");
    EXPECT_EQ(itemAt("ftp://example.com/f", 0).subtitle(), "Document");
    EXPECT_EQ(itemAt("https://www.example.com/page", 7).displaySubtitle(),
              std::optional<std::string>("HTML \u00B7 example.com"));
}

TEST(ReadingListItemTest, LinksOpenInQuillbrookTaggedForTheReadingList) {
    struct Case {
        std::string_view address;
        std::optional<std::string_view> link;
    };
    const Case cases[] = {
        {"https://www.example.com/a b?q=1&r=2",
         "x-quillbrook://open-url?location=https://www.example.com/a%20b?q%3D1%26r%3D2&widget=readinglist"},
        {"x-quillbrook-item://1A2B", "x-quillbrook-item://1A2B?widget=readinglist"},
        {"mailto:someone@example.com", "mailto:someone@example.com"},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto item = itemAt(std::string(c.address));
        EXPECT_EQ(item.displayURL(), item.url()) << c.address;
        if (c.link) {
            ASSERT_TRUE(item.url()) << c.address;
            EXPECT_EQ(item.url()->string(), *c.link) << c.address;
        } else {
            EXPECT_FALSE(item.url()) << c.address;
        }
    }
}

TEST(ReadingListItemTest, EqualityAndHashFollowTheAddressAlone) {
    const ReadingListItem first("https://example.com/a", "First", true, Date{10}, 7, Bytes(std::string("x")));
    const ReadingListItem second("https://example.com/a", "Second", false, Date{20}, 12, std::nullopt);
    const ReadingListItem other("https://example.com/b", "First", true, Date{10}, 7, Bytes(std::string("x")));
    EXPECT_EQ(first, second);
    EXPECT_NE(first, other);
    const std::unordered_set<ReadingListItem> set = {first, second, other};
    EXPECT_EQ(set.size(), 2u);
}

TEST(ReadingListItemTest, SampleItemsAreMadeOnceWithTheirEnDashAndThreeUnread) {
    const auto& samples = ReadingListItem::sampleItems();
    ASSERT_EQ(samples.size(), 5u);
    EXPECT_EQ(&samples, &ReadingListItem::sampleItems());
    EXPECT_EQ(samples[2].title, "Meeting Notes \u2013 Q1 Review");
    EXPECT_EQ(std::ranges::count_if(samples, &ReadingListItem::isUnread), 3);
    EXPECT_DOUBLE_EQ(samples[0].date.sinceReferenceDate - samples[4].date.sinceReferenceDate, 172800);
    EXPECT_EQ(samples[4].url()->string(), "x-quillbrook-item://sample5?widget=readinglist");
}

}  // namespace
}  // namespace qb

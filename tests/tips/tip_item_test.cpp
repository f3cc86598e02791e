#include "tips/tip_item.hpp"

#include <unordered_set>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace qb {
namespace {

TipItem tipWithLink(std::string link) {
    return TipItem{"T", "D", std::move(link), Date{1000.5}, "g"};
}

TEST(TipItemTest, OpensItsLinkInQuillbrook) {
    struct Case {
        std::string link;
        std::optional<std::string> url;
    };
    std::vector<Case> cases = {
        {"https://blog.example/a", "x-quillbrook://open-url?location=https://blog.example/a&widget=tips"},
        {"https://blog.example/p?a=1&b=2",
         "x-quillbrook://open-url?location=https://blog.example/p?a%3D1%26b%3D2&widget=tips"},
        {"x-quillbrook-item://1A2B", "x-quillbrook-item://1A2B?widget=tips"},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        auto url = tipWithLink(c.link).url();
        EXPECT_EQ(url ? std::optional(url->string()) : std::nullopt, c.url) << c.link;
    }
}

TEST(TipItemTest, ComparesAllFieldsButIsIdentifiedByItsGuid) {
    TipItem a = tipWithLink("https://h/a");
    TipItem b = a;
    b.description = "Other";
    EXPECT_NE(a, b);
    EXPECT_EQ(a.id(), b.id());
    EXPECT_EQ(std::unordered_set<TipItem>({a, b, a}).size(), 2u);
}

TEST(TipItemTest, KeepsItsSamplesFixed) {
    const auto& samples = TipItem::sampleItems();
    ASSERT_EQ(samples.size(), 3u);
    EXPECT_EQ(&samples, &TipItem::sampleItems());
    EXPECT_EQ(samples[0].guid, "sample1");
    EXPECT_EQ(samples[0].title, "How to Use Smart Rules");
    EXPECT_EQ(samples[1].pubDate.sinceReferenceDate, samples[0].pubDate.sinceReferenceDate - 86400);
    EXPECT_EQ(samples[2].pubDate.sinceReferenceDate, samples[0].pubDate.sinceReferenceDate - 172800);
    for (const auto& sample : samples) {
        ASSERT_TRUE(sample.url()) << sample.guid;
        EXPECT_EQ(sample.link.rfind("https://www.quillbrook.example/", 0), 0u);
    }
}

TEST(TipItemTest, WritesItsFieldsIdAndURLAsJSON) {
    nlohmann::json json = tipWithLink("");
    EXPECT_EQ(json, nlohmann::json::parse(
                        R"({"title":"T","description":"D","link":"","pubDate":"2001-01-01T00:16:40.500Z",
                                             "guid":"g","id":"g","url":null})"));
}

}  // namespace
}  // namespace qb

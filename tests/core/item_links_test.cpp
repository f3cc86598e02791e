#include "core/item_links.hpp"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(ItemLinksTest, TagsAndWrapsLinksForWidgets) {
    enum class Op { tag, wrap };
    struct Case {
        Op op;
        std::string_view input;
        std::string_view widget;
        std::optional<std::string_view> expected;
    };
    const Case cases[] = {
        {Op::tag, "x-quillbrook-item://1A2B-3C4D", "favorites",
         "x-quillbrook-item://1A2B-3C4D?widget=favorites"},
        {Op::tag, "X-Quillbrook-SmartGroup://5E6F", "favorites",
         "X-Quillbrook-SmartGroup://5E6F?widget=favorites"},
        {Op::tag, "x-quillbrook-item://1A?widget=tips", "favorites",
         "x-quillbrook-item://1A?widget=tips&widget=favorites"},
        {Op::tag, "x-quillbrook://open-path?path=/a%20b/c.pdf#p2", "favorites",
         "x-quillbrook://open-path?path=/a%20b/c.pdf&widget=favorites#p2"},
        {Op::tag, "x-quillbrook-items://1A", "favorites", "x-quillbrook-items://1A"},
        {Op::tag, "/no/scheme", "favorites", "/no/scheme"},
        {Op::wrap, "https://H/p?a=1&b=2 c", "readinglist",
         "x-quillbrook://open-url?location=https://H/p?a%3D1%26b%3D2%20c&widget=readinglist"},
        {Op::wrap, "HTTP://H/", "tips", "x-quillbrook://open-url?location=HTTP://H/&widget=tips"},
        {Op::wrap, "https://h/x#a+b%20", "readinglist",
         "x-quillbrook://open-url?location=https://h/x%23a%2Bb%2520&widget=readinglist"},
        {Op::wrap, "x-quillbrook-item://1A2B", "readinglist", "x-quillbrook-item://1A2B?widget=readinglist"},
        {Op::wrap, "file:///tmp/a.pdf", "readinglist", "file:///tmp/a.pdf"},
        {Op::wrap, "mailto:someone@example.com", "readinglist", "mailto:someone@example.com"},
        {Op::wrap, "", "readinglist", std::nullopt},
        {Op::wrap, "not a url:at all", "readinglist", std::nullopt},
    };
    for (const auto& c : cases) {
        std::optional<Url> result;
        if (c.op == Op::tag) {
            auto url = Url::parse(c.input);
            ASSERT_TRUE(url) << c.input;
            result = taggedForWidget(*url, c.widget);
        } else {
            result = quillbrookOpenURL(c.input, c.widget);
        }
        if (c.expected) {
            ASSERT_TRUE(result) << c.input;
            EXPECT_EQ(result->string(), *c.expected) << c.input;
        } else {
            EXPECT_FALSE(result) << c.input << " gave " << result->string();
        }
    }
}

TEST(ItemLinksTest, WrappedLocationDecodesToTheOriginalText) {
    const std::string_view target = "https://example.com/a b?x=1&y=%41+z#frag\xC3\xA9";
    auto url = quillbrookOpenURL(target, "readinglist");
    ASSERT_TRUE(url);
    std::vector<QueryItem> expected = {{"location", std::string(target)}, {"widget", "readinglist"}};
    EXPECT_EQ(url->queryItems(), expected);
    EXPECT_EQ(url->host(), "open-url");
}

}  // namespace
}  // namespace qb

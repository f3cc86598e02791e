#include "platform/url.hpp"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(UrlTest, ParsesLinkTextEncodingWhatMayNotStandRawPerComponent) {
    struct Case {
        std::string_view text;
        std::optional<std::string_view> expected;
    };
    const Case cases[] = {
        {"", std::nullopt},
        {"https://example.com/a b", "https://example.com/a%20b"},
        {"https://h/p?q=a b#frag ment", "https://h/p?q=a%20b#frag%20ment"},
        {"https://h/p?a=<x>&b={y}|\\^`\"", "https://h/p?a=%3Cx%3E&b=%7By%7D%7C%5C%5E%60%22"},
        {"https://[::1]:8080/x", "https://[::1]:8080/x"},
        {"https://h/#a#b", "https://h/#a%23b"},
        {"https://h/100%", "https://h/100%25"},
        {"https://h/a%20b%zz", "https://h/a%20b%25zz"},
        {"tab\there", "tab%09here"},
        {"a b:c", std::nullopt},           // a colon in a relative reference's first segment
        {"http://h:port/", std::nullopt},  // a port is digits
    };
    for (const auto& c : cases) {
        auto url = Url::parse(c.text);
        if (c.expected) {
            ASSERT_TRUE(url) << c.text;
            EXPECT_EQ(url->string(), *c.expected) << c.text;
        } else {
            EXPECT_FALSE(url) << c.text << " parsed as " << url->string();
        }
    }
}

TEST(UrlTest, ReadsSchemeHostAndQueryItemsAsWritten) {
    auto url = Url::parse("X-Quillbrook-SmartGroup://5E%20F?a=1&b&c=&d=x%2By+z&e=%C3%BC");
    ASSERT_TRUE(url);
    EXPECT_EQ(url->scheme(), "X-Quillbrook-SmartGroup");
    EXPECT_EQ(url->host(), "5E F");
    std::vector<QueryItem> expected = {
        {"a", "1"}, {"b", std::nullopt}, {"c", ""}, {"d", "x+y+z"}, {"e", "\xC3\xBC"}};
    EXPECT_EQ(url->queryItems(), expected);

    EXPECT_EQ(Url::parse("x://h")->queryItems(), std::nullopt);
    EXPECT_EQ(Url::parse("x://h?")->queryItems(), std::vector<QueryItem>{});
    EXPECT_EQ(Url::parse("mailto:a@b")->host(), std::nullopt);
    EXPECT_EQ(Url::parse("/relative/path")->scheme(), std::nullopt);
}

TEST(UrlTest, QueryItemsAreEncodedWithOnlyTheCharactersThatDelimitNothingLeftRaw) {
    EXPECT_EQ(percentEncodeQueryItem("a b+c=d&e%f#g/?:@!$'()*,;~\xC3\xBC\x01"),
              "a%20b%2Bc%3Dd%26e%25f%23g/?:@!$'()*,;~%C3%BC%01");
    const std::vector<QueryItem> items = {
        {"a b", "a+b"},       {"k=v", "x&y=z"},    {"pct", "100%"}, {"pct2", "%2B%zz"},     {"hash", "#frag"},
        {"u", "\xC3\xBC/?:"}, {"ctl", "\x01\x7F"}, {"empty", ""},   {"flag", std::nullopt}, {"", "no name"},
    };
    auto base = Url::parse("x-quillbrook://open-path?old=1#top");
    ASSERT_TRUE(base);
    auto url = base->settingQueryItems(items);
    ASSERT_TRUE(url);
    EXPECT_EQ(url->queryItems(), items) << url->string();
    EXPECT_TRUE(url->string().ends_with("&flag&=no%20name#top")) << url->string();
    EXPECT_EQ(Url::parse(url->string()), url);

    auto composed = Url::compose("x-quillbrook", "open-workspace", {{"name", "Work & Play"}});
    ASSERT_TRUE(composed);
    EXPECT_EQ(composed->string(), "x-quillbrook://open-workspace?name=Work%20%26%20Play");
    EXPECT_FALSE(Url::compose("1nvalid scheme", "h", {}));
}

}  // namespace
}  // namespace qb
